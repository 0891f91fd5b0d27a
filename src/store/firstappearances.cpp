#include "firstappearances.h"

#include "engineerror.h"
#include "recordfields.h"

#include <algorithm>

namespace store {

FirstAppearances::FirstAppearances(const QList<QStringList>& groups)
    : m_seen(size_t(groups.size())) {
    m_statement = "SELECT Nr";
    for (const QStringList& columns : groups) {
        for (const QString& column : columns) {
            const FieldDef* field = findField(column);
            if (!field || !isTextType(field->type))
                throw EngineError(ErrorNumber::UnknownName,
                                  QStringLiteral("Das Feld \"%1\" ist kein Textfeld der Tabelle "
                                                 "Daten.")
                                      .arg(column));
            m_statement += QByteArray(", ") + field->name;
        }
        m_counts.push_back(columns.size());
    }
    m_statement += " FROM Daten";
}

void FirstAppearances::add(qint64 nr,
                           const std::function<std::optional<std::string_view>(int column)>& text) {
    int column = 1;
    for (size_t g = 0; g < m_seen.size(); ++g) {
        const qint64 count = m_counts[g];
        for (qint64 k = 0; k < count; ++k, ++column) {
            const std::optional<std::string_view> value = text(column);
            if (!value)
                continue; // Null is no value
            const qint64 position = nr * count + k;
            auto it = m_seen[g].find(*value);
            if (it == m_seen[g].end())
                m_seen[g].emplace(std::string(*value), position);
            else if (position < it->second)
                it->second = position;
        }
    }
}

QList<QStringList> FirstAppearances::lists() const {
    QList<QStringList> result;
    for (const Seen& values : m_seen) {
        std::vector<std::pair<qint64, const std::string*>> ordered;
        ordered.reserve(values.size());
        for (const auto& [text, position] : values)
            ordered.emplace_back(position, &text);
        std::sort(ordered.begin(), ordered.end());
        QStringList texts;
        texts.reserve(qsizetype(ordered.size()));
        for (const auto& entry : ordered)
            texts << QString::fromUtf8(entry.second->data(), qsizetype(entry.second->size()));
        result << texts;
    }
    return result;
}

} // namespace store
