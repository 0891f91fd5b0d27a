#include "csvformat.h"

#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace csv {

namespace {

bool needsQuotes(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    if (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' || text.back() == '\t')
        return true;
    for (char c : text)
        if (c == Separator || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

// Characters 0x80-0x9F of Windows-1252; the five bytes it leaves unassigned keep their C1 code.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QByteArray fromWindows1252(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        char16_t code = c;
        if (c >= 0x80 && c < 0xA0)
            code = kWindows1252High[c - 0x80];
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// The length of the well-formed UTF-8 character at p, or 0 for a byte that starts none: a stray
// continuation byte, an overlong form, a surrogate, a code above U+10FFFF or a cut-off sequence.
int characterLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char c = *p;
    if (c < 0x80)
        return 1;
    int length;
    unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0;
        else if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return length;
}

bool isControl(unsigned char c) {
    return c < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

// How a file without a byte order mark reads as UTF-8 outside its fields of binary data (a
// picture from an old database, which may well hold long stretches of bytes that are no UTF-8):
// its characters of several bytes, and its bytes that start no character. The fields are found
// in the bytes themselves: separators, quotes and line breaks are the same bytes in every
// encoding a table file comes in.
struct Utf8Reading {
    qsizetype characters = 0;
    qsizetype faults = 0;
};

Utf8Reading readAsUtf8(QByteArrayView bytes) {
    Utf8Reading reading;
    Reader reader(bytes, detectSeparator(bytes));
    std::vector<Field> fields;
    while (reader.next(fields)) {
        for (const Field& field : fields) {
            if (isBinary(field.text))
                continue;
            const auto* p = reinterpret_cast<const unsigned char*>(field.text.data());
            const auto* end = p + field.text.size();
            while (p < end) {
                const int length = characterLength(p, end);
                if (length == 0)
                    ++reading.faults;
                else if (length > 1)
                    ++reading.characters;
                p += std::max(length, 1);
            }
        }
    }
    return reading;
}

// The text with every byte that starts no character given as U+FFFD.
QByteArray withReplacements(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    QByteArray out;
    out.reserve(bytes.size());
    while (p < end) {
        const int length = characterLength(p, end);
        if (length == 0) {
            out.append(ReplacementCharacter);
            ++p;
        } else {
            out.append(reinterpret_cast<const char*>(p), length);
            p += length;
        }
    }
    return out;
}

} // namespace

void appendField(QByteArray& out, QByteArrayView utf8) {
    if (!needsQuotes(utf8)) {
        out.append(utf8);
        return;
    }
    out += '"';
    qsizetype from = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '"') {
            out.append(utf8.sliced(from, i + 1 - from));
            out += '"';
            from = i + 1;
        }
    }
    out.append(utf8.sliced(from));
    out += '"';
}

void appendReal(QByteArray& out, double value) {
    char digits[400];
    std::to_chars_result written{};
    const auto single = static_cast<float>(value);
    if (std::isfinite(value) && double(single) == value)
        written = std::to_chars(digits, digits + sizeof digits, single, std::chars_format::fixed);
    else
        written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    for (char* c = digits; c != written.ptr; ++c)
        if (*c == '.')
            *c = ',';
    out.append(digits, written.ptr - digits);
}

void appendWhole(QByteArray& out, qint64 value) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, written.ptr - digits);
}

std::optional<Text> decode(const QByteArray& bytes, QString* problem) {
    auto refuse = [problem](const QString& why) -> std::optional<Text> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(view.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                           : QStringDecoder::Utf16BE);
        const QString text = decoder.decode(view.sliced(2));
        if (decoder.hasError())
            return refuse(QStringLiteral("Die Datei ist als UTF-16 gekennzeichnet, enthält aber "
                                         "ungültige Zeichen."));
        return Text{text.toUtf8(), QStringLiteral("UTF-16")};
    }
    // The first line of a table names its columns; a NUL byte there is no text. Further down it
    // may be binary data in a column (a picture from an old database).
    const auto lineEnd =
        std::find_if(view.begin(), view.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (std::find(view.begin(), lineEnd, '\0') != lineEnd)
        return refuse(QStringLiteral("Die Datei ist keine Textdatei."));
    const bool marked = view.startsWith(ByteOrderMark);
    const QByteArrayView body = marked ? view.sliced(ByteOrderMark.size()) : view;
    const Utf8Reading reading = readAsUtf8(body);
    if (!marked && reading.faults > reading.characters)
        return Text{fromWindows1252(body), QStringLiteral("Windows-1252")};
    return Text{withReplacements(body), QStringLiteral("UTF-8"), reading.faults};
}

bool isBinary(QByteArrayView utf8) {
    return std::any_of(utf8.begin(), utf8.end(),
                       [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

bool looksLikeFormula(QByteArrayView utf8) {
    qsizetype start = 0;
    while (start < utf8.size() && utf8[start] == '\'')
        ++start;
    if (start == utf8.size())
        return false;
    const char first = utf8[start];
    if (first == '-')
        return utf8.size() - start > 1;
    return first == '=' || first == '+' || first == '@';
}

QByteArrayView withoutFormulaMark(QByteArrayView utf8) {
    if (utf8.startsWith('\'') && looksLikeFormula(utf8.sliced(1)))
        return utf8.sliced(1);
    return utf8;
}

char detectSeparator(QByteArrayView utf8) {
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (char c : utf8) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\r' || c == '\n')
            break;
        else if (c == ';')
            ++semicolons;
        else if (c == ',')
            ++commas;
        else if (c == '\t')
            ++tabs;
    }
    if (commas > semicolons && commas >= tabs)
        return ',';
    if (tabs > semicolons && tabs > commas)
        return '\t';
    return ';';
}

Reader::Reader(QByteArrayView utf8, char separator) : m_text(utf8), m_separator(separator) {}

bool Reader::next(std::vector<Field>& fields) {
    fields.clear();
    m_buffer.clear();
    m_ends.clear();
    m_quoted.clear();
    m_malformed = false;
    const char* text = m_text.data();
    const qsizetype size = m_text.size();
    // Empty lines between rows are no rows.
    while (m_pos < size && (text[m_pos] == '\r' || text[m_pos] == '\n'))
        ++m_pos;
    if (m_pos >= size)
        return false;
    m_rowStart = m_pos;

    bool quoted = false;
    for (;;) {
        // One field: from m_pos to the separator or the row's end.
        if (m_pos < size && text[m_pos] == '"') {
            quoted = true;
            ++m_pos;
            for (;;) {
                const char* quote =
                    static_cast<const char*>(std::memchr(text + m_pos, '"', size_t(size - m_pos)));
                if (!quote) {
                    m_buffer.append(text + m_pos, size - m_pos);
                    m_pos = size;
                    m_unterminated = true;
                    break;
                }
                const qsizetype at = quote - text;
                m_buffer.append(text + m_pos, at - m_pos);
                m_pos = at + 1;
                if (m_pos < size && text[m_pos] == '"') {
                    m_buffer += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what follows a closing quote (which should be nothing).
        const qsizetype start = m_pos;
        while (m_pos < size && text[m_pos] != m_separator && text[m_pos] != '\r' &&
               text[m_pos] != '\n')
            ++m_pos;
        if (m_pos > start) {
            if (quoted)
                m_malformed = true;
            m_buffer.append(text + start, m_pos - start);
        }
        m_ends.push_back(m_buffer.size());
        m_quoted.push_back(quoted);
        quoted = false;
        if (m_pos < size && text[m_pos] == m_separator) {
            ++m_pos;
            continue;
        }
        // The row's end: CR LF, LF, CR or the end of the text.
        if (m_pos < size && text[m_pos] == '\r')
            ++m_pos;
        if (m_pos < size && text[m_pos] == '\n')
            ++m_pos;
        break;
    }
    qsizetype from = 0;
    fields.reserve(m_ends.size());
    for (size_t i = 0; i < m_ends.size(); ++i) {
        fields.push_back(
            Field{QByteArrayView(m_buffer.constData() + from, m_ends[i] - from), m_quoted[i]});
        from = m_ends[i];
    }
    return true;
}

} // namespace csv
