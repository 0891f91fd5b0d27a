#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store {

// The different values of groups of Text columns in the order of their first appearance
// (Database::valuesInOrder), for every engine: the statement to run, the rows as the engine hands
// them out in any order, and the lists. Each value keeps the lowest position it was seen at,
// Nr * (columns in its group) + its column's place in the group, so sorting by that position
// gives the order of first appearance.
class FirstAppearances {
  public:
    // Refuses (EngineError 3061) a name that is no Text column of Daten. The statement names the
    // field table's columns, never the caller's text.
    explicit FirstAppearances(const QList<QStringList>& groups);

    // "SELECT Nr, <columns of every group> FROM Daten".
    const QByteArray& statement() const { return m_statement; }
    // One row: its number, and the text of the statement's column (1 for the first named), or
    // nothing for Null.
    void add(qint64 nr, const std::function<std::optional<std::string_view>(int column)>& text);
    // One list per group.
    QList<QStringList> lists() const;

  private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    using Seen = std::unordered_map<std::string, qint64, Hash, std::equal_to<>>;

    QByteArray m_statement;
    std::vector<qint64> m_counts; // columns of each group
    std::vector<Seen> m_seen;
};

} // namespace store
