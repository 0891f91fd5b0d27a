#pragma once

#include "history.h"

#include <QRect>
#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;

// The back/forward row: the history of visited record numbers with its two buttons and two
// lists, and between them the record navigator, which the row hosts.
class HistoryRow : public QWidget {
    Q_OBJECT
  public:
    HistoryRow(QWidget* navigator, QWidget* parent = nullptr);

    const NavHistory& history() const { return m_history; }

    // The bookkeeping of a move in browse state (see NavHistory::recordMove).
    void recordMove(const QString& leftNr, const QString& newNr);
    // A step back or forward (index -1: the button, else the list entry). find moves the
    // window to a number and tells whether the current record set holds it; when it does not,
    // the history stays as it was and the missing number comes back (else an empty text).
    QString step(bool back, int index, const QString& shownNr,
                 const std::function<bool(const QString&)>& find);
    // The history controls, enabled only when their list has entries; disabled altogether
    // while the start-up runs.
    void disableAll();

    struct Geometry {
        QRect back;
        QRect backButton;
        QRect navigator;
        QRect forward;
        QRect forwardButton;
    };
    void place(const Geometry& g);

  signals:
    // The user asked for a step; the window decides whether it may run.
    void stepRequested(bool back, int index);

  private:
    void updateControls();

    NavHistory m_history;
    QWidget* m_navigator;
    QComboBox* m_backList;
    QPushButton* m_backButton;
    QComboBox* m_forwardList;
    QPushButton* m_forwardButton;
};
