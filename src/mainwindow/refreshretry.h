#pragma once

#include <QString>
#include <QTimer>

#include <functional>

// A refresh of the list held up by another workstation's lock is tried again every half second,
// with the sort it was asked for, until one goes through.
class RefreshRetry {
  public:
    using Refresh = std::function<void(const QString& sortBy, bool ascending)>;
    explicit RefreshRetry(Refresh refresh);

    void stop() { m_timer.stop(); }
    // A refresh was held up: try it again soon.
    void heldUp(const QString& sortBy, bool ascending);
    // A refresh went through; true when one had been held up, so that its message can go.
    bool wentThrough();

  private:
    Refresh m_refresh;
    QTimer m_timer;
    bool m_waiting = false;
    QString m_sortBy;
    bool m_ascending = true;
};
