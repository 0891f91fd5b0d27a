#pragma once

#include "recordfields.h"

#include <QString>
#include <QVariant>

// What the worker writes, so that a test can tell a whole record or settings file from a half
// one: every field of record nr in version v has its own value.
namespace workload {

inline constexpr int SharedRecords = 3;
inline constexpr int IniKeys = 40;

inline QVariant value(int field, int nr, int version) {
    const FieldDef& f = fieldTable()[size_t(field)];
    switch (f.type) {
    case FieldType::Long:
        return nr;
    case FieldType::Integer:
        return (nr + version) % 4;
    case FieldType::Single:
        return double(nr) + version / 4.0;
    case FieldType::Memo:
        return QStringLiteral("Bemerkung %1 Fassung %2 ").arg(nr).arg(version).repeated(20);
    case FieldType::Text:
        break;
    }
    // The version first: a short column keeps it whatever it cuts off.
    return QStringLiteral("v%1 %2 %3").arg(version).arg(nr).arg(QLatin1String(f.name)).left(f.size);
}

inline QString iniValue(int key, int generation) {
    return QStringLiteral("Generation %1 Schlüssel %2 ").arg(generation).arg(key).repeated(3);
}

} // namespace workload
