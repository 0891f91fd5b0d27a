#include "choicelists.h"

#include "recordfields.h"

#include <QSet>

namespace {

// Appends the values of from that list does not hold yet; the set of listed values makes a fill
// from a large table linear rather than quadratic.
bool appendNew(QStringList& list, const QStringList& from) {
    QSet<QString> listed(list.cbegin(), list.cend());
    bool appended = false;
    for (const QString& value : from) {
        if (value.isEmpty() || listed.contains(value))
            continue;
        listed.insert(value);
        list << value;
        appended = true;
    }
    return appended;
}

} // namespace

bool ChoiceLists::add(const QStringList& religions, const QStringList& nationalities) {
    const bool religionAdded = appendNew(m_religions, religions);
    const bool nationalityAdded = appendNew(m_nationalities, nationalities);
    return religionAdded || nationalityAdded;
}

std::optional<qint64> nextNumber(std::optional<qint64> highest) {
    if (!highest)
        return 1;
    static const qint64 largest = qint64(valueRange(fieldDef(fieldIndex(u"Nr")).type).highest);
    if (*highest >= largest)
        return std::nullopt;
    return *highest + 1;
}
