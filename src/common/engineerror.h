#pragma once

#include <QString>

#include <exception>
#include <string>

// A failure of the database engine or of reading the settings: a number and a German
// description. It is thrown by the store and the settings and caught by the procedure that
// shows the program's error box ("Fehler in <...>", "Nummer :<number> - <description>").
class EngineError : public std::exception {
  public:
    EngineError(int number, QString description, QString detail = QString())
        : m_number(number), m_description(std::move(description)), m_detail(std::move(detail)),
          m_what(m_description.toStdString()) {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    // The engine's own words behind the description (often English), for a box that shows them
    // apart from the program's text; empty when the description says everything.
    const QString& detail() const { return m_detail; }
    const char* what() const noexcept override { return m_what.c_str(); }

  private:
    int m_number;
    QString m_description;
    QString m_detail;
    std::string m_what;
};

// Error numbers that callers single out.
namespace ErrorNumber {
constexpr int TypeMismatch = 13; // a value that cannot be converted
constexpr int InvalidUseOfNull = 94;
constexpr int RecordLocked = 3260; // another workstation holds the write lock
constexpr int GridInvalidRow = 30009;
constexpr int DatabaseGeneric = 3049; // file is not a database or is damaged
constexpr int CannotOpen = 3051;      // file cannot be opened or created
constexpr int NoCurrentRecord = 3021;
constexpr int UpdateRefused = 3022;    // duplicate key, constraint violated
constexpr int ConversionFailed = 3421; // a value that does not fit the column's type
constexpr int SqlSyntax = 3075;
constexpr int OutOfMemory = 7;
constexpr int NotEditing = 3020;     // Update or a field assignment without AddNew or Edit
constexpr int FileNotFound = 3024;   // the database file does not exist
constexpr int LoginRefused = 3029;   // the database server refused the name or the password
constexpr int PasswordNeeded = 3031; // the database server asks for a password
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;     // the database cannot be written
constexpr int InvalidPath = 3044;  // the folder of a path does not exist
constexpr int FileInUse = 3045;    // the file is locked by another process
constexpr int KeyIsNull = 3058;    // a record without a number
constexpr int UnknownName = 3061;  // a statement names an unknown column
constexpr int UnknownField = 3070; // criteria name an unknown field
constexpr int CriteriaSyntax = 3077;
constexpr int TableNotFound = 3078; // the file has no table Daten
constexpr int FieldTooSmall = 3163; // a text longer than its column
constexpr int ItemNotFound = 3265;  // a field name that the record does not have
constexpr int ZeroLengthText = 3315;
constexpr int NumericOverflow = 3349; // a number outside its column's range
constexpr int ObjectClosed = 3420;    // a record set used after Close
constexpr int ConnectionLost = 3151;  // the connection to the database server broke
} // namespace ErrorNumber
