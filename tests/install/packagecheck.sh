#!/usr/bin/env bash
# Makes the Debian package with scripts/package (its own release build, lintian without errors)
# and checks it from outside: it holds exactly the files of packaging/contents.txt below /usr,
# and its dependencies name the libraries the program links and the plugins it loads.
#   packagecheck.sh <source dir>
# Skipped (77) unless TARVEX_TEST_PACKAGE=1: making the package takes minutes.
set -euo pipefail
src="$1"
if [ "${TARVEX_TEST_PACKAGE:-}" != 1 ]; then
    echo "SKIP: set TARVEX_TEST_PACKAGE=1 to make and check the Debian package"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$src/scripts/package" "$work"
debs=("$work"/tarvex_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single package in $work: ${debs[*]}"
deb="${debs[0]}"

# Regular files only: the folders come with them.
held="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | LC_ALL=C sort)"
expected="$(sed 's|^|usr/|' "$src/packaging/contents.txt" | LC_ALL=C sort)"
[ "$held" = "$expected" ] ||
    fail "the package's files differ from contents.txt:"$'\n'"$(diff <(echo "$expected") <(echo "$held"))"

version="$(dpkg-deb -f "$deb" Version)"
[ "$(basename "$deb")" = "tarvex_${version}_amd64.deb" ] || fail "$deb is not named by version $version"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libc6 'libstdc\+\+6' 'libqt6core6[a-z]*' libqt6gui6 libqt6widgets6 libqt6printsupport6 \
    libsqlite3-0 libpq5 'libicu[0-9]+' qt6-qpa-plugins qt6-translations-l10n; do
    grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
echo "ok: $deb ($version)"
