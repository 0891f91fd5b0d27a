#include "refreshquery.h"

#include "recordfields.h"

namespace {

// The column groups the table view can add, by index of the column choice.
const std::array<QStringList, 16>& columnGroups() {
    static const std::array<QStringList, 16> groups{{
        {"KKonf"},
        {"KNat"},
        {"KStr", "KPLZ", "KOrt"},
        {"KTel1"},
        {"KTel2"},
        {"KArzt"},
        {"MNach", "MVor"},
        {"MArb"},
        {"MTel1"},
        {"MTel2"},
        {"MArbTel"},
        {"VNach", "VVor"},
        {"VArb"},
        {"VTel1"},
        {"VTel2"},
        {"VArbTel"},
    }};
    return groups;
}

QString sortField(const QString& sortBy) {
    const FieldDef* field = findField(sortBy);
    return field ? QString::fromLatin1(field->name) : QStringLiteral("Nr");
}

} // namespace

const std::array<QString, 6>& searchFieldNames() {
    static const std::array<QString, 6> names{"KNach", "KVor", "KGeb", "KGrp", "KEssen", "KOrt"};
    return names;
}

QStringList refreshColumns(const std::array<int, 16>& columnChoice) {
    QStringList columns{"Nr", "KNach", "KVor", "KGeb", "KGrp", "KEssen"};
    for (std::size_t i = 0; i < columnChoice.size(); ++i)
        if (columnChoice[i] == 1)
            columns += columnGroups()[i];
    return columns;
}

QString sqlStringLiteral(QStringView text) {
    QString literal;
    literal.reserve(text.size() + 2);
    literal += QLatin1Char('\'');
    for (QChar c : text) {
        if (c == QLatin1Char('\''))
            literal += QLatin1Char('\'');
        else if (c.isNull())
            continue;
        literal += c;
    }
    literal += QLatin1Char('\'');
    return literal;
}

QString buildRefreshStatement(const std::array<QString, 6>& search,
                              const std::array<int, 16>& columnChoice, const QString& sortBy,
                              bool ascending) {
    // A field left empty lists every record, those with Null included: it adds no condition,
    // so that the list without a search costs no more than reading it.
    QStringList conditions;
    for (std::size_t i = 0; i < search.size(); ++i)
        if (!search[i].isEmpty())
            conditions += searchFieldNames()[i] + QLatin1String(" LIKE ") +
                          sqlStringLiteral(search[i] + QLatin1Char('*'));

    // Equal values are listed by number, so both engines show ties in the same order.
    const QString field = sortField(sortBy);
    return QLatin1String("SELECT ") + refreshColumns(columnChoice).join(QLatin1String(", ")) +
           QLatin1String(" FROM Daten") +
           (conditions.isEmpty()
                ? QString()
                : QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "))) +
           QLatin1String("  ORDER BY ") + field +
           (ascending ? QLatin1String(" ASC") : QLatin1String(" DESC")) +
           (field == QLatin1String("Nr") ? QString() : QStringLiteral(", Nr ASC"));
}
