#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVector>

#include <optional>

// An INI file read and written key by key, the way the settings file has always been handled:
//
// - Section and key names are compared without regard to case; blanks around names and values
//   are trimmed; a value in matching double quotes loses them; of two equal keys the first
//   counts; a missing key (or file) gives the caller's fallback.
// - A value read is at most MaxValueLength characters and ends before the first NUL character.
// - Writing a key replaces the value of its first occurrence in place, or adds the key after the
//   last line of its section, or adds the section at the end of the file, or creates the file.
//   Every other line, comments included, is written back byte for byte with its own line end.
//   Added lines take the line end most lines of the file use (CR LF for a new file), so a file
//   with LF line ends stays an LF file.
// - A file that is valid UTF-8 is read as UTF-8 (a byte order mark is kept); any other file is
//   taken as Windows-1252, as files brought over from Windows are, and written back in it unless
//   a value no longer fits that code page, or the bytes would read as UTF-8 next time: then the
//   whole file is written as UTF-8.
// - A line ends at CR LF, LF or a lone CR; every line keeps its own end when written back.
// - save() writes the whole file under a temporary name, flushes it to the disk and only then
//   puts it in the place of the old one, so a full disk or a crash leaves the old file as it
//   was, never half a file or an empty one. It refuses (returns false) when the file is marked
//   read-only, when something other than a regular file stands in its place, or when the file
//   could not be read at load time; problem() then says why in German.
//
// The object holds the file's lines as read; nothing touches the disk except the constructor and
// save().
class IniFile {
  public:
    static constexpr int MaxValueLength = 254;
    // Bigger files are not settings files; they are neither read nor overwritten.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    enum class Encoding { Utf8, Windows1252 };

    // Reads the file now.
    explicit IniFile(QString path);
    // The same without a file: `bytes` read as a file's content. save() on it fails (no path).
    static IniFile fromBytes(QByteArray bytes);

    const QString& path() const { return m_path; }
    // False when the file was missing, unreadable or not a regular file.
    bool wasRead() const { return m_state == State::Read; }
    Encoding encoding() const { return m_encoding; }

    QString value(QStringView section, QStringView key, const QString& fallback) const;
    // The value however long it is (still ending before a NUL); empty when the key is missing.
    std::optional<QString> fullValue(QStringView section, QStringView key) const;

    // A NUL ends the value; line breaks in it become blanks. Blanks around the value and
    // enclosing quotes are kept by quoting the value, so it reads back as it was given.
    void setValue(QStringView section, QStringView key, QStringView value);

    bool save();
    // Why the file could not be read (it exists but wasRead() is false) or why the last save()
    // failed, as a German sentence; empty otherwise.
    const QString& problem() const { return m_problem; }
    // What save() writes.
    QByteArray toBytes() const;
    // Puts bytes in the place of the file at path as save() does: whole or not at all. Returns
    // why it failed, or nothing.
    static std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);

    // One-call forms.
    static QString read(const QString& path, QStringView section, QStringView key,
                        const QString& fallback);
    static bool write(const QString& path, QStringView section, QStringView key, QStringView value);

  private:
    enum class State { Missing, Read, Unusable };
    struct Line {
        QString text; // without its line end
        QString end;  // "\r\n", "\n", "\r", or empty for a last line without one
    };
    struct Location {
        qsizetype keyLine = -1;     // the key's first occurrence
        qsizetype sectionLast = -1; // last non-blank line of the section's first occurrence
    };

    IniFile() = default;
    void load();
    void parseBytes(QByteArray bytes);
    QByteArray encode(Encoding& encoding) const;
    Location locate(QStringView section, QStringView key) const;
    QString newLineEnd() const;
    void insertLine(qsizetype at, const QString& text);

    QString m_path;
    State m_state = State::Missing;
    Encoding m_encoding = Encoding::Utf8;
    bool m_byteOrderMark = false;
    QVector<Line> m_lines;
    QString m_problem;
};
