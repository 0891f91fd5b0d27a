#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The back/forward history of the main window: record numbers visited before the current one
// (cmbBack, newest at index 0) and record numbers left by back steps (cmbForward, nearest at
// index 0), each at most Limit entries; older entries, at the high indices, are dropped.
//
// A history step runs in two halves: the step itself (stepBack, chooseBack, stepForward,
// chooseForward) changes the lists and returns the number to find; the move it causes then runs
// recordMove like every other move, which completes the step. A step whose target the current
// record set no longer holds must leave the history as it was: copy the history before the step
// and assign the copy back when the find fails. NavHistory is a plain value type for this.
//
// Only numbers of records that were really shown belong in the history: an empty number passed
// as the record being left or as the current record is never recorded.
class NavHistory {
  public:
    static constexpr int Limit = 15;

    // How the next record move comes about (NavModus).
    enum Modus : int { Initial = 0, BackStep = 1, ForwardStep = 2, OtherMove = 3 };

    const QStringList& backList() const { return m_back; }
    const QStringList& forwardList() const { return m_forward; }
    int navModus() const { return m_modus; }

    // cmdBack and cmbBack are enabled exactly when the back list has entries; likewise forward.
    bool backEnabled() const { return !m_back.isEmpty(); }
    bool forwardEnabled() const { return !m_forward.isEmpty(); }

    // cmdBack: the newest back entry becomes the target; currentNr goes to the front of the
    // forward list. Returns the target. Sets NavModus to BackStep.
    QString stepBack(const QString& currentNr);
    // cmbBack: jump to back entry index. The entries between it and the current record move to
    // the forward list, nearest first, followed by currentNr. Returns the target.
    QString chooseBack(int index, const QString& currentNr);
    // cmdForward and cmbForward: the mirror images, with NavModus ForwardStep.
    QString stepForward(const QString& currentNr);
    QString chooseForward(int index, const QString& currentNr);
    // All four do nothing and return an empty text when the entry does not exist.

    // The bookkeeping of every move in browse state, run after the move and before the record is
    // displayed. After a history step it only completes the step. After any other move leftNr
    // (the record left; empty when none was shown) goes to the front of the back list unless it is
    // already there or is the record moved to; with no record left (the shown one was deleted)
    // the back list loses its first entry when that is newNr; then the forward list loses its first
    // entry when that is newNr (the user walked the next forward step by other means) and is
    // cleared otherwise. A move to the record already shown changes neither list.
    void recordMove(const QString& leftNr, const QString& newNr);

    bool operator==(const NavHistory&) const = default;

  private:
    QString step(QStringList& from, QStringList& to, int index, const QString& currentNr,
                 Modus modus);

    QStringList m_back;
    QStringList m_forward;
    int m_modus = Initial;
};
