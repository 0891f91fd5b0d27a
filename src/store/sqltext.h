#pragma once

// Small rewrites of the statement texts the windows hand to the store.

#include <QString>
#include <QStringView>

#include <optional>

namespace store {

// Adds "COLLATE GERMAN" to the ORDER BY terms that name a Text or Memo column of Daten, so text
// sorts in German dictionary order: "... ORDER BY KNach ASC" becomes
// "... ORDER BY KNach COLLATE GERMAN ASC". Numeric columns, expressions and terms that already
// name a collation stay as they are; the rest of the text is kept character for character.
QString withGermanCollation(QStringView sql);

// For "SELECT <list> FROM Daten [WHERE ...] [ORDER BY ...]" the statement that reads only the
// record numbers of its rows, in the same order; nothing for any other statement. The text
// ORDER BY terms get the German collation unless germanCollation is false (a server's columns
// carry it already).
std::optional<QString> keyStatement(QStringView sql, bool germanCollation = true);

// A statement of the program (the old engine's dialect) as the database server takes it:
// names in brackets or quotes written as plain names (the server folds them as it folded the
// table's), LIKE with the old engine's wildcards as a regular expression match ("~", see
// serverRegex), Null sorted before every value in ascending order and after them in descending
// order, and text columns in ORDER BY sorted as the file sorts them: by ICU's German collation
// kServerOrder, whose ties go by the bytes as the file's do. The rest is kept character for
// character.
QString forServer(QStringView sql);
// The server's collation for ORDER BY: ICU's German order.
extern const char kServerOrder[];
// A LIKE pattern of the old engine as a regular expression of the server that matches the same
// whole texts: case is ignored by listing a letter's case forms, and a list or range in
// brackets is written out as the characters it takes among the Latin, Greek and Cyrillic
// letters, worked out by the old engine's own matching (JetPattern), so ranges follow the
// German order exactly as the file's LIKE does.
QString serverRegex(QStringView pattern);

// Criteria of FindFirst: "<field> = <whole number>", such as "Nr = 12".
struct Criteria {
    QString field;
    qint64 value;
};
std::optional<Criteria> parseCriteria(QStringView text);
// The same, with a criteria text that is not of that form refused as an engine error.
Criteria requireCriteria(const QString& text);

} // namespace store
