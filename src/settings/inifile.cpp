#include "inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Windows-1252 ----------------------------------------------------------------------------

// Bytes 0x80..0x9F; the five bytes the code page leaves free map to the C1 controls of the same
// number, so that every byte reads and writes back unchanged. Everything else is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uchar>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

// Empty when some character has no place in the code page.
std::optional<QByteArray> encodeCp1252(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes[i] = static_cast<char>(c);
            continue;
        }
        int b = 0;
        while (b < 32 && kCp1252High[b] != c)
            ++b;
        if (b == 32)
            return std::nullopt;
        bytes[i] = static_cast<char>(0x80 + b);
    }
    return bytes;
}

// Strict: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length;
        char32_t cp;
        char32_t least;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, cp = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, cp = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, cp = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

// ---- lines ------------------------------------------------------------------------------------

// U+FEFF too: a second byte order mark at the start of a file is text, but stands for nothing.
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\uFEFF';
}

QStringView trimmed(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

enum class Kind { Blank, Comment, Section, Key, Other };

struct Parsed {
    Kind kind;
    QStringView name = {};
    QStringView value = {};
};

Parsed parse(QStringView line) {
    const QStringView t = trimmed(line);
    if (t.isEmpty())
        return {Kind::Blank};
    if (t[0] == u';')
        return {Kind::Comment};
    if (t[0] == u'[') {
        const qsizetype close = t.lastIndexOf(u']');
        if (close > 0)
            return {Kind::Section, trimmed(t.mid(1, close - 1))};
        return {Kind::Other};
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return {Kind::Other};
    return {Kind::Key, trimmed(t.left(eq)), trimmed(t.mid(eq + 1))};
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString valueRead(QStringView v) {
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"')
        v = v.mid(1, v.size() - 2);
    const qsizetype nul = v.indexOf(QChar(0));
    return (nul >= 0 ? v.left(nul) : v).toString();
}

// The text written after "key=" so that valueRead() gives `value` back.
QString valueWritten(QStringView value) {
    const qsizetype nul = value.indexOf(QChar(0));
    QString v = (nul >= 0 ? value.left(nul) : value).toString();
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    const bool quote = !v.isEmpty() && (isBlank(v.front()) || isBlank(v.back()) ||
                                        (v.size() >= 2 && v.front() == u'"' && v.back() == u'"'));
    return quote ? u'"' + v + u'"' : v;
}

// ---- Writing the whole file safely ------------------------------------------------------------

QString writeFailure(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case EDQUOT:
        return QStringLiteral("Das Speicherkontingent auf dem Datenträger ist erschöpft.");
    case EFBIG:
        return QStringLiteral("Die Datei würde größer, als das System erlaubt.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Es fehlt die Berechtigung, im Ordner der Datei zu schreiben.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EIO:
        return QStringLiteral("Beim Schreiben auf den Datenträger ist ein Fehler aufgetreten.");
    default:
        return QStringLiteral("Die Datei kann nicht geschrieben werden (%1).")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A folder the user may not create files in, holding a file the user may write: the file is
// written in place rather than the settings lost. The new content goes over the old from the
// start and the rest is cut off only once all of it is written.
std::optional<QString> writeInPlace(const QByteArray& target, const QByteArray& bytes) {
    const int fd = ::open(target.constData(), O_WRONLY);
    if (fd < 0)
        return writeFailure(errno);
    bool ok = writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok)
        return writeFailure(error);
    return std::nullopt;
}

// Writes bytes as the file at path: into a new file beside it, flushed to the disk, which then
// takes the old one's place in one step. Nothing of the old file changes before the new one is
// complete. Returns why it failed, or nothing.
std::optional<QString> writeWhole(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    QByteArray temporary =
        folder + "/." + QFile::encodeName(QFileInfo(path).fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        const int error = errno;
        if ((error == EACCES || error == EPERM) && existed)
            return writeInPlace(target, bytes);
        return writeFailure(error);
    }
    const mode_t mode = existed ? (old.st_mode & 07777) : mode_t(0644 & ~currentUmask());
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return writeFailure(error);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {
    load();
}

void IniFile::load() {
    const QFileInfo info(m_path);
    if (!info.exists()) {
        m_state = State::Missing;
        return;
    }
    m_state = State::Unusable;
    // Folders, pipes and devices are not read: a pipe or a device could block or never end.
    if (!info.isFile()) {
        m_problem = QStringLiteral("An ihrer Stelle steht ein Ordner oder etwas anderes als "
                                   "eine Datei.");
        return;
    }
    const QString tooBig = QStringLiteral("Die Datei ist größer als %1 MB und damit keine "
                                          "Einstellungsdatei.")
                               .arg(MaxFileSize / (1024 * 1024));
    if (info.size() > MaxFileSize) {
        m_problem = tooBig;
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_problem =
            QStringLiteral("Die Datei kann nicht gelesen werden (%1).").arg(file.errorString());
        return;
    }
    QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        m_problem =
            QStringLiteral("Die Datei kann nicht gelesen werden (%1).").arg(file.errorString());
        return;
    }
    if (bytes.size() > MaxFileSize) {
        m_problem = tooBig;
        return;
    }
    m_state = State::Read;
    parseBytes(std::move(bytes));
}

IniFile IniFile::fromBytes(QByteArray bytes) {
    IniFile file;
    file.m_state = State::Read;
    file.parseBytes(std::move(bytes));
    return file;
}

void IniFile::parseBytes(QByteArray bytes) {
    QString text;
    m_byteOrderMark = bytes.startsWith(kByteOrderMark);
    if (m_byteOrderMark)
        bytes.remove(0, kByteOrderMark.size());
    if (isValidUtf8(bytes)) {
        m_encoding = Encoding::Utf8;
        // fromUtf8() would drop a second byte order mark; it is kept like any other text.
        text = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
                   .decode(bytes);
    } else {
        if (m_byteOrderMark)
            bytes.prepend(kByteOrderMark);
        m_byteOrderMark = false;
        m_encoding = Encoding::Windows1252;
        text = decodeCp1252(bytes);
    }

    // A line ends at CR LF, LF or a lone CR (as some old editors write), and keeps its own end.
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        const bool crlf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        m_lines.append(
            {text.mid(start, i - start), crlf ? QStringLiteral("\r\n") : QString(text[i])});
        if (crlf)
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        m_lines.append({text.mid(start), QString()});
}

IniFile::Location IniFile::locate(QStringView section, QStringView key) const {
    Location loc;
    bool inSection = false;
    bool inFirstOccurrence = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Parsed p = parse(m_lines[i].text);
        if (p.kind == Kind::Section) {
            inSection = sameName(p.name, section);
            inFirstOccurrence = inSection && loc.sectionLast < 0;
            if (inFirstOccurrence)
                loc.sectionLast = i;
            continue;
        }
        if (!inSection)
            continue;
        if (p.kind == Kind::Key && sameName(p.name, key)) {
            loc.keyLine = i;
            return loc;
        }
        if (inFirstOccurrence && p.kind != Kind::Blank)
            loc.sectionLast = i;
    }
    return loc;
}

std::optional<QString> IniFile::fullValue(QStringView section, QStringView key) const {
    const Location loc = locate(section, key);
    if (loc.keyLine < 0)
        return std::nullopt;
    return valueRead(parse(m_lines[loc.keyLine].text).value);
}

QString IniFile::value(QStringView section, QStringView key, const QString& fallback) const {
    std::optional<QString> v = fullValue(section, key);
    if (!v)
        return fallback;
    if (v->size() > MaxValueLength) {
        v->truncate(MaxValueLength);
        if (v->back().isHighSurrogate())
            v->chop(1);
    }
    return *v;
}

QString IniFile::newLineEnd() const {
    qsizetype lf = 0;
    qsizetype cr = 0;
    qsizetype crlf = 0;
    for (const Line& line : m_lines) {
        if (line.end == u"\n")
            ++lf;
        else if (line.end == u"\r")
            ++cr;
        else if (!line.end.isEmpty())
            ++crlf;
    }
    if (lf > crlf && lf >= cr)
        return QStringLiteral("\n");
    if (cr > crlf && cr > lf)
        return QStringLiteral("\r");
    return QStringLiteral("\r\n");
}

void IniFile::insertLine(qsizetype at, const QString& text) {
    const QString end = newLineEnd();
    if (at > 0 && m_lines[at - 1].end.isEmpty())
        m_lines[at - 1].end = end;
    m_lines.insert(at, {text, end});
}

void IniFile::setValue(QStringView section, QStringView key, QStringView value) {
    const QString v = valueWritten(value);
    const Location loc = locate(section, key);
    if (loc.keyLine >= 0) {
        // Keep the key as it is spelt and any blanks after "=" in front of a value.
        QString& text = m_lines[loc.keyLine].text;
        const qsizetype eq = text.indexOf(u'=');
        qsizetype start = eq + 1;
        while (start < text.size() && (text[start] == u' ' || text[start] == u'\t'))
            ++start;
        if (start == text.size())
            start = eq + 1;
        text = text.left(start) + v;
        return;
    }
    const QString line = key.toString() + u'=' + v;
    if (loc.sectionLast >= 0) {
        insertLine(loc.sectionLast + 1, line);
        return;
    }
    if (!m_lines.isEmpty() && !trimmed(m_lines.back().text).isEmpty())
        insertLine(m_lines.size(), QString());
    insertLine(m_lines.size(), u'[' + section.toString() + u']');
    insertLine(m_lines.size(), line);
}

bool IniFile::save() {
    if (m_path.isEmpty())
        return false;
    if (m_state == State::Unusable) {
        // A file that was not read is never overwritten: it may hold what the user needs.
        m_problem += QStringLiteral(" Sie wird deshalb nicht überschrieben.");
        return false;
    }
    const QFileInfo info(m_path);
    if (info.exists()) {
        if (!info.isFile()) {
            m_problem = QStringLiteral("An ihrer Stelle steht ein Ordner oder etwas anderes als "
                                       "eine Datei.");
            return false;
        }
        // Replacing the file through a rename would get round a read-only mark; honour it.
        constexpr auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (!info.isWritable() || !(info.permissions() & anyWrite)) {
            m_problem = QStringLiteral("Die Datei ist schreibgeschützt.");
            return false;
        }
    }
    const std::optional<QString> failure = writeWhole(m_path, encode(m_encoding));
    if (failure) {
        m_problem = *failure;
        return false;
    }
    m_problem.clear();
    m_state = State::Read;
    return true;
}

std::optional<QString> IniFile::replaceFile(const QString& path, const QByteArray& bytes) {
    return writeWhole(path, bytes);
}

QByteArray IniFile::toBytes() const {
    Encoding encoding = m_encoding;
    return encode(encoding);
}

// Falls back to UTF-8 (and says so in `encoding`) when the text does not fit Windows-1252 or
// would read back as UTF-8.
QByteArray IniFile::encode(Encoding& encoding) const {
    QString text;
    for (const Line& line : m_lines)
        text += line.text + line.end;
    QByteArray bytes;
    if (encoding == Encoding::Windows1252) {
        std::optional<QByteArray> cp = encodeCp1252(text);
        // Bytes such as "Ã¶" that happen to be UTF-8 throughout would read back as other text.
        const auto nonAscii = [](char b) { return static_cast<uchar>(b) >= 0x80; };
        if (cp && isValidUtf8(*cp) && std::any_of(cp->cbegin(), cp->cend(), nonAscii))
            cp.reset();
        if (cp)
            bytes = std::move(*cp);
        else
            encoding = Encoding::Utf8;
    }
    if (encoding == Encoding::Utf8)
        bytes = (m_byteOrderMark ? kByteOrderMark : QByteArray()) + text.toUtf8();
    return bytes;
}

QString IniFile::read(const QString& path, QStringView section, QStringView key,
                      const QString& fallback) {
    return IniFile(path).value(section, key, fallback);
}

bool IniFile::write(const QString& path, QStringView section, QStringView key, QStringView value) {
    IniFile file(path);
    file.setValue(section, key, value);
    return file.save();
}
