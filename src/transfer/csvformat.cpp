#include "csvformat.h"

#include <QStringDecoder>

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

// Whether bytes are well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
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
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += length;
    }
    return true;
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
    if (view.contains('\0'))
        return refuse(QStringLiteral("Die Datei ist keine Textdatei."));
    if (view.startsWith(ByteOrderMark)) {
        if (!isValidUtf8(view.sliced(ByteOrderMark.size())))
            return refuse(QStringLiteral("Die Datei ist als UTF-8 gekennzeichnet, enthält aber "
                                         "ungültige Zeichen."));
        return Text{bytes.sliced(ByteOrderMark.size()), QStringLiteral("UTF-8")};
    }
    if (isValidUtf8(view))
        return Text{bytes, QStringLiteral("UTF-8")};
    return Text{fromWindows1252(view), QStringLiteral("Windows-1252")};
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
