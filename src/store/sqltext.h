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
// record numbers of its rows, in the same order; nothing for any other statement.
std::optional<QString> keyStatement(QStringView sql);

// Criteria of FindFirst: "<field> = <whole number>", such as "Nr = 12".
struct Criteria {
    QString field;
    qint64 value;
};
std::optional<Criteria> parseCriteria(QStringView text);
// The same, with a criteria text that is not of that form refused as an engine error.
Criteria requireCriteria(const QString& text);

} // namespace store
