// IniFile in memory: parse arbitrary bytes, set a few keys (new ones and ones the file has),
// serialise, parse again. Every value set must read back as set, every other key as before,
// an untouched file must come back byte for byte, and the encoding must follow its rules.
#include "inifile.h"

#include <QHash>
#include <QStringDecoder>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

// The file before and after, shown when a check fails.
QByteArray shownBefore;
QByteArray shownAfter;

void check(bool ok, const char* what, const QString& detail = QString()) {
    if (ok)
        return;
    std::fprintf(stderr, "%s %s\nbefore: %s\nafter: %s\n", what, detail.toUtf8().constData(),
                 shownBefore.toPercentEncoding(" []=;").constData(),
                 shownAfter.toPercentEncoding(" []=;").constData());
    std::abort();
}

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decodes only when made a QString
    return !decoder.hasError();
}

bool isAscii(const QByteArray& bytes) {
    for (char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    return true;
}

// The text in Windows-1252 as IniFile reads its 128 upper bytes; nothing when a character has
// no byte there.
std::optional<QByteArray> toWindows1252(const QString& text) {
    static const QHash<QChar, char> upper = [] {
        QByteArray bytes = "[a]\nk=\"";
        for (int b = 0x80; b < 0x100; ++b)
            bytes += char(b);
        const QString read = IniFile::fromBytes(bytes + '"').fullValue(u"a", u"k").value();
        check(read.size() == 128, "Windows-1252 upper half");
        QHash<QChar, char> map;
        for (int i = 0; i < 128; ++i)
            map.insert(read[i], char(0x80 + i));
        return map;
    }();
    QByteArray bytes;
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            bytes += char(c.unicode());
        else if (upper.contains(c))
            bytes += upper.value(c);
        else
            return std::nullopt;
    }
    return bytes;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\uFEFF';
}

// Names a caller can use: one line, no blanks around, and for a key no "=" and no start that
// makes the line a section or a comment.
bool usableName(const QString& name, bool key) {
    if (name.contains(QChar(0)) || name.contains(u'\n') || name.contains(u'\r'))
        return false;
    if (!name.isEmpty() && (isBlank(name.front()) || isBlank(name.back())))
        return false;
    return !key || (!name.contains(u'=') && !name.startsWith(u'[') && !name.startsWith(u';'));
}

struct Name {
    QString section;
    QString key;
    bool operator==(const Name& o) const {
        return section.compare(o.section, Qt::CaseInsensitive) == 0 &&
               key.compare(o.key, Qt::CaseInsensitive) == 0;
    }
};

// Section and key names as they stand in the file, found roughly (any line break ends a line),
// at most 16 of them.
std::vector<Name> namesIn(const QString& text) {
    std::vector<Name> names;
    QString section;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size() && names.size() < 16; ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r')
            continue;
        const QString line = text.mid(start, i - start).trimmed();
        start = i + 1;
        if (line.startsWith(u'[') && line.lastIndexOf(u']') > 0)
            section = line.mid(1, line.lastIndexOf(u']') - 1).trimmed();
        else if (line.contains(u'=') && !line.startsWith(u';'))
            names.push_back({section, line.left(line.indexOf(u'=')).trimmed()});
    }
    return names;
}

// What a value set reads back as: it ends at a NUL, line breaks become blanks.
QString asRead(QString value) {
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return value.replace(u'\r', u' ').replace(u'\n', u' ');
}

QString show(const Name& n) {
    return QString::fromLatin1(
        (u'[' + n.section + QStringLiteral("] ") + n.key).toUtf8().toPercentEncoding(" []=;"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    struct Op {
        int pick; // < 0: the names below; else a name found in the file
        QString section, key, value;
    };
    std::vector<Op> ops(input.ConsumeIntegralInRange(0, 4));
    for (Op& op : ops) {
        op.pick = input.ConsumeBool() ? input.ConsumeIntegralInRange(0, 255) : -1;
        if (op.pick < 0) {
            op.section = QString::fromStdString(input.ConsumeRandomLengthString(40));
            op.key = QString::fromStdString(input.ConsumeRandomLengthString(40));
        }
        op.value = QString::fromStdString(input.ConsumeRandomLengthString(600));
    }
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));
    shownBefore = bytes;
    shownAfter.clear();

    const IniFile before = IniFile::fromBytes(bytes);
    const bool wasUtf8 = before.encoding() == IniFile::Encoding::Utf8;
    check(wasUtf8 == isValidUtf8(bytes), "encoding detected");
    check(before.toBytes() == bytes, "an untouched file changed");
    const std::vector<Name> inFile =
        namesIn(wasUtf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));

    IniFile file = IniFile::fromBytes(bytes);
    std::vector<std::pair<Name, QString>> set; // the last value set for each name
    for (const Op& op : ops) {
        Name name{op.section, op.key};
        if (op.pick >= 0 && !inFile.empty())
            name = inFile[size_t(op.pick) % inFile.size()];
        if (!usableName(name.section, false) || !usableName(name.key, true))
            continue;
        file.setValue(name.section, name.key, op.value);
        std::erase_if(set, [&](const auto& entry) { return entry.first == name; });
        set.emplace_back(name, asRead(op.value));
    }

    const QByteArray written = file.toBytes();
    shownAfter = written;
    const IniFile after = IniFile::fromBytes(written);
    check(after.toBytes() == written, "a file written changed when written again");
    // A UTF-8 file stays UTF-8. A Windows-1252 file stays Windows-1252 (plain ASCII reads the same
    // either way) unless its text no longer fits that code page or would read as UTF-8.
    if (after.encoding() == IniFile::Encoding::Utf8) {
        const std::optional<QByteArray> old = toWindows1252(QString::fromUtf8(written));
        check(wasUtf8 || isAscii(written) || !old || isValidUtf8(*old),
              "Windows-1252 file written as UTF-8, or read as UTF-8 after writing");
    } else {
        check(!wasUtf8, "UTF-8 file written as Windows-1252");
    }
    if (wasUtf8)
        check(written.startsWith("\xEF\xBB\xBF") == bytes.startsWith("\xEF\xBB\xBF"),
              "byte order mark");

    for (const auto& [name, value] : set) {
        for (const IniFile* f : {&std::as_const(file), &after}) {
            const std::optional<QString> full = f->fullValue(name.section, name.key);
            check(full == value, "value set",
                  show(name) + u' ' + show({value, full.value_or(QStringLiteral("<none>"))}));
            const QString cut = f->value(name.section, name.key, QStringLiteral("-"));
            const bool pairSplit = value.size() > IniFile::MaxValueLength &&
                                   value[IniFile::MaxValueLength - 1].isHighSurrogate();
            check(cut == value.left(IniFile::MaxValueLength - (pairSplit ? 1 : 0)),
                  "value set, cut", show(name));
        }
    }
    for (const Name& name : inFile) {
        if (std::any_of(set.begin(), set.end(), [&](const auto& e) { return e.first == name; }))
            continue;
        check(after.fullValue(name.section, name.key) == before.fullValue(name.section, name.key),
              "another key changed", show(name));
    }
    return 0;
}
