#pragma once

#include <QStringList>

#include <optional>

// The religion and nationality choice lists of the six choice boxes: the three religion boxes
// share one list and the three nationality boxes another. The lists live as long as the window
// and are never cleared: a later fill only appends values not listed yet.
class ChoiceLists {
  public:
    const QStringList& religions() const { return m_religions; }
    const QStringList& nationalities() const { return m_nationalities; }

    // Appends, in the given order, each value not listed yet (exact, case-sensitive comparison);
    // empty texts are skipped. Returns whether anything was appended.
    bool add(const QStringList& religions, const QStringList& nationalities);

  private:
    QStringList m_religions;
    QStringList m_nationalities;
};

// The number a new record gets: one more than the highest stored number, 1 for an empty table
// (no highest number). Nothing when the highest number is already the largest the field Nr holds:
// the user then types a free number.
std::optional<qint64> nextNumber(std::optional<qint64> highest);
