#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// Tables as text files with separated values: written in the form a German spreadsheet opens
// without questions, read in the forms such files come in.
namespace csv {

// --- Writing: UTF-8 with a byte order mark, ";" between fields, CR LF after each row.

inline constexpr char Separator = ';';
inline constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr QByteArrayView RowEnd = "\r\n";

// Appends one field: as it is, or in quotes (a quote inside doubled) when it holds the
// separator, a quote, a line break or blanks at either end, which a spreadsheet would drop.
void appendField(QByteArray& out, QByteArrayView utf8);
// A real number with a decimal comma and no exponent, in as few digits as give back the same
// value: a value that a single-precision field holds is written with a single's digits
// (1.2f as "1,2", not "1,20000005").
void appendReal(QByteArray& out, double value);
void appendWhole(QByteArray& out, qint64 value);

// Whether a spreadsheet would take a text for a formula: after any leading apostrophes it begins
// with "=", "+", "-" or "@" ("-" alone, the placeholder of an empty field, is text to a
// spreadsheet too). The table export writes such a text with one apostrophe in front, which a
// spreadsheet shows as text, and the import of a table export takes that apostrophe off again.
bool looksLikeFormula(QByteArrayView utf8);
// A text as the table export wrote it back as it was stored: the apostrophe it put in front taken
// off again.
QByteArrayView withoutFormulaMark(QByteArrayView utf8);

// --- Reading.

// The file's text as UTF-8, and the encoding it was recognised in.
struct Text {
    QByteArray utf8;
    QString encoding; // "UTF-8", "UTF-16" or "Windows-1252"
    // Bytes of a UTF-8 file that are no UTF-8, outside fields of binary data; each byte that is
    // no UTF-8 stands in utf8 as the replacement character U+FFFD, so a text holding one was not
    // read as written.
    qsizetype faults = 0;
};

inline constexpr QByteArrayView ReplacementCharacter = "\xEF\xBF\xBD";

// Recognises the encoding: a byte order mark (UTF-8 or UTF-16); otherwise UTF-8 when the file
// reads as UTF-8 in its bulk, that is when it has no byte that is no UTF-8 or at least as many
// characters of several bytes as such bytes; otherwise Windows-1252, in which every byte is a
// character. Fields of binary data (isBinary, as a picture) count for neither. Nothing for a file
// whose first line holds a NUL byte (outside UTF-16): that is no text file; problem then says why,
// in German.
std::optional<Text> decode(const QByteArray& bytes, QString* problem);

// Whether a field holds binary data: a byte below 0x20 other than tab, CR and LF.
bool isBinary(QByteArrayView utf8);

// The separator of a file from its first row: whichever of ";", "," and tab occurs most often
// outside quotes (";" when none does).
char detectSeparator(QByteArrayView utf8);

// One field of a row: its text, and whether it stood in quotes ("" is an empty text, while an
// empty field without quotes is no value at all).
struct Field {
    QByteArrayView text;
    bool quoted = false;
};

// Reads rows one after the other. Quoted fields may hold separators, doubled quotes and line
// breaks; a row ends with CR LF, LF or CR outside quotes. Fields point into the reader's own
// buffer and are valid until the next row is read.
class Reader {
  public:
    Reader(QByteArrayView utf8, char separator);

    // Reads the next row into fields; false at the end of the text. Empty lines are passed
    // over.
    bool next(std::vector<Field>& fields);
    // Whether the row just read had a quote out of place (text after a closing quote); its
    // fields then hold what could be read, and the row must not be trusted.
    bool malformed() const { return m_malformed; }
    // Whether the text ended inside quotes: the last row is cut off.
    bool unterminated() const { return m_unterminated; }
    // Where the next row starts, and a reader that starts there (rows are read again later
    // without keeping all their fields).
    qsizetype position() const { return m_pos; }
    // Where the row just read starts, after the empty lines before it.
    qsizetype rowStart() const { return m_rowStart; }
    void seek(qsizetype position) { m_pos = position; }
    qsizetype size() const { return m_text.size(); }

  private:
    QByteArrayView m_text;
    char m_separator;
    qsizetype m_pos = 0;
    qsizetype m_rowStart = 0;
    bool m_malformed = false;
    bool m_unterminated = false;
    QByteArray m_buffer;           // the unquoted fields of the row
    std::vector<qsizetype> m_ends; // end of each field in m_buffer
    std::vector<bool> m_quoted;
};

} // namespace csv
