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

// --- Reading.

// The file's text as UTF-8, and the encoding it was recognised in.
struct Text {
    QByteArray utf8;
    QString encoding; // "UTF-8", "UTF-16" or "Windows-1252"
};

// Recognises the encoding: a byte order mark (UTF-8 or UTF-16), otherwise UTF-8 when every byte
// sequence is valid UTF-8, otherwise Windows-1252, in which every byte is a character. Nothing
// for a file that is not text (a NUL byte outside UTF-16); problem then says why, in German.
std::optional<Text> decode(const QByteArray& bytes, QString* problem);

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
    void seek(qsizetype position) { m_pos = position; }
    qsizetype size() const { return m_text.size(); }

  private:
    QByteArrayView m_text;
    char m_separator;
    qsizetype m_pos = 0;
    bool m_malformed = false;
    bool m_unterminated = false;
    QByteArray m_buffer;           // the unquoted fields of the row
    std::vector<qsizetype> m_ends; // end of each field in m_buffer
    std::vector<bool> m_quoted;
};

} // namespace csv
