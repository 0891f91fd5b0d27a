#!/usr/bin/env bash
# Installs the program into a temporary prefix and checks one side of it:
#   installcheck.sh files      <build dir> <app id> <contents.txt>
#                                                     the files where a desktop expects them,
#                                                     exactly those of contents.txt, which the
#                                                     Debian package holds below /usr
#   installcheck.sh manpage    <build dir> <app id>   the manual page read as man reads it
#   installcheck.sh desktop    <build dir> <app id>   desktop-file-validate on the desktop entry
#   installcheck.sh appstream  <build dir> <app id>   appstreamcli on the AppStream metadata
#   installcheck.sh readonly   <build dir> <app id> <makesample>
#                                                     the installed program started from a folder
#                                                     it may not write to: its files in the user's
#                                                     folders, one instance at a time
# Exits 77 (skipped) when the validating tool is not installed.
set -euo pipefail
mode="$1" build="$2" id="$3"

work="$(mktemp -d)"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
need_tool() {
    command -v "$1" >/dev/null || {
        echo "SKIP: $1 is not installed (scripts/setup installs it)"
        exit 77
    }
}

case "$mode" in
files)
    # What contents.txt lists, and nothing else.
    installed="$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)"
    expected="$(LC_ALL=C sort "$4")"
    [ "$installed" = "$expected" ] ||
        fail "installed files differ from $4:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"
    [ -x "$prefix/bin/tarvex" ] || fail "bin/tarvex is not executable"
    # Every icon has the size of its folder.
    for size in 16 24 32 48 64 128 256; do
        png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
        read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
            awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
        [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x$h"
    done
    desktop="$prefix/share/applications/$id.desktop"
    for line in "Name=Tarvex" "Comment=Kinderdaten für das Kindergartenbüro verwalten" \
        "Categories=Office;" "Exec=tarvex" "Icon=$id"; do
        grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
    done
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
        "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metadata names no desktop entry"
    # The changelog starts with the version the metadata names.
    version="$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/$id.metainfo.xml")"
    zcat "$prefix/share/doc/tarvex/changelog.gz" | head -1 | grep -q "^tarvex ($version) " ||
        fail "share/doc/tarvex/changelog.gz does not start with version $version"
    ;;
manpage)
    need_tool man
    page="$prefix/share/man/man1/tarvex.1.gz"
    # Every warning of groff fails.
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "$page: $warnings"
    LC_ALL=C.UTF-8 lexgrog "$page" | grep -qF 'tarvex - Kinderdaten' || fail "$page: no name line"
    ;;
desktop)
    need_tool desktop-file-validate
    desktop-file-validate "$prefix/share/applications/$id.desktop"
    ;;
appstream)
    need_tool appstreamcli
    # --strict: a warning or a hint fails too; --no-net: no look-ups of addresses.
    appstreamcli validate --strict --no-net "$prefix/share/metainfo/$id.metainfo.xml"
    ;;
readonly)
    makesample="$4"
    home="$work/home"
    mkdir -p "$home/config" "$home/data/Tarvex" "$home/runtime"
    chmod 700 "$home/runtime"
    "$makesample" "$home/data/Tarvex/TarvexDB.mdb" 5 >/dev/null
    run=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
        XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}")
    if [ "$(id -u)" -eq 0 ]; then
        # root may write anywhere: the program runs as nobody, to whom the prefix is read-only.
        chown -R 65534:65534 "$home"
        run=(setpriv --reuid=65534 --regid=65534 --clear-groups "${run[@]}")
    else
        chmod a-w "$prefix/bin"
    fi
    ( cd / && exec "${run[@]}" "$prefix/bin/tarvex" ) >"$work/first.log" 2>&1 &
    pids+=($!)
    ini="$home/config/Tarvex/Tarvex.ini"
    # The time of this start is written once the database has been found and opened.
    for _ in $(seq 100); do
        grep -q '^LetzterAufruf=.' "$ini" 2>/dev/null && break
        kill -0 "${pids[0]}" 2>/dev/null || { cat "$work/first.log"; fail "the program ended"; }
        sleep 0.2
    done
    grep -q '^LetzterAufruf=.' "$ini" 2>/dev/null || fail "no start time in $ini"
    # A second start ends at once while the first runs.
    timeout 20 "${run[@]}" "$prefix/bin/tarvex" || fail "the second start did not end by itself"
    kill -0 "${pids[0]}" 2>/dev/null || fail "the first instance ended"
    [ -z "$(ls -A "$prefix/bin" | grep -v '^tarvex$')" ] || fail "files in bin: $(ls "$prefix/bin")"
    # The database and, beside it, the backup made at the start.
    [ "$(ls -A "$home/data/Tarvex" | tr '\n' ' ')" = "Sicherungen TarvexDB.mdb " ] ||
        fail "data folder: $(ls -A "$home/data/Tarvex")"
    ls "$home/data/Tarvex/Sicherungen" | grep -q '^TarvexDB_.*\.mdb$' || fail "no backup at the start"
    ;;
*)
    fail "unknown check $mode"
    ;;
esac
echo "ok: $mode"
