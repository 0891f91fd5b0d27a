#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// The statement behind the window's record set (Data_Refresh): the table view's columns, filtered
// by the six search fields, sorted by one field.

// The fields the six search texts filter, in the order of the search fields:
// KNach, KVor, KGeb, KGrp, KEssen, KOrt.
const std::array<QString, 6>& searchFieldNames();

// Field names of the statement's columns in order: Nr, KNach, KVor, KGeb, KGrp, KEssen, then the
// group of each column choice entry (0..15, ascending) that equals 1. Any other value adds nothing.
QStringList refreshColumns(const std::array<int, 16>& columnChoice);

// text as an SQL string literal: enclosed in single quotes, a quote inside doubled. A NUL
// character, which would cut the statement short, is dropped.
QString sqlStringLiteral(QStringView text);

// "SELECT <columns> FROM Daten WHERE <filter>  ORDER BY <sortBy> ASC|DESC".
// Each search text becomes a prefix pattern (text + "*") for the database's LIKE; its wildcards
// * ? # [ ] keep their meaning, while a quote is an ordinary character, so no search text can
// change the statement. An empty search text matches every record, also one whose field is Null:
// "(KNach LIKE '*' OR KNach IS NULL)"; a non-empty one never matches Null.
// sortBy must name a field of Daten (any case; written as the field table spells it); anything else
// sorts by Nr.
QString buildRefreshStatement(const std::array<QString, 6>& search,
                              const std::array<int, 16>& columnChoice, const QString& sortBy,
                              bool ascending);
