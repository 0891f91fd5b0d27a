#include "history.h"

namespace {

void cut(QStringList& list) {
    if (list.size() > NavHistory::Limit)
        list.erase(list.begin() + NavHistory::Limit, list.end());
}

} // namespace

QString NavHistory::stepBack(const QString& currentNr) {
    return step(m_back, m_forward, 0, currentNr, BackStep);
}

QString NavHistory::chooseBack(int index, const QString& currentNr) {
    return step(m_back, m_forward, index, currentNr, BackStep);
}

QString NavHistory::stepForward(const QString& currentNr) {
    return step(m_forward, m_back, 0, currentNr, ForwardStep);
}

QString NavHistory::chooseForward(int index, const QString& currentNr) {
    return step(m_forward, m_back, index, currentNr, ForwardStep);
}

QString NavHistory::step(QStringList& from, QStringList& to, int index, const QString& currentNr,
                         Modus modus) {
    if (index < 0 || index >= from.size())
        return {};
    m_modus = modus;
    const QString target = from.at(index);
    if (!currentNr.isEmpty())
        to.prepend(currentNr);
    // The entries passed over on the way to the target, nearest to the current record first.
    for (int i = 0; i < index; ++i)
        to.prepend(from.takeFirst());
    from.removeFirst();
    cut(to);
    return target;
}

void NavHistory::recordMove(const QString& leftNr, const QString& newNr) {
    if (m_modus == BackStep || m_modus == ForwardStep) {
        // The step has already moved the numbers between the lists.
        m_modus = OtherMove;
        return;
    }
    m_modus = OtherMove;
    if (!leftNr.isEmpty() && leftNr == newNr)
        return;
    if (!leftNr.isEmpty() && (m_back.isEmpty() || m_back.first() != leftNr)) {
        m_back.prepend(leftNr);
        cut(m_back);
    }
    // No record was left (the one shown was deleted): a back step to the record now shown would
    // change nothing.
    if (leftNr.isEmpty() && !m_back.isEmpty() && m_back.first() == newNr)
        m_back.removeFirst();
    if (!m_forward.isEmpty() && m_forward.first() == newNr)
        m_forward.removeFirst();
    else
        m_forward.clear();
}
