#pragma once

#include <QString>

#include <exception>
#include <string>

// A failure of the database engine or of reading the settings: a number and a German
// description. It is thrown by the store and the settings and caught by the procedure that
// shows the program's error box ("Fehler in <...>", "Nummer :<number> - <description>").
class EngineError : public std::exception {
  public:
    EngineError(int number, QString description)
        : m_number(number), m_description(std::move(description)),
          m_what(m_description.toStdString()) {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

  private:
    int m_number;
    QString m_description;
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
} // namespace ErrorNumber
