#include "refreshretry.h"

#include <utility>

RefreshRetry::RefreshRetry(Refresh refresh) : m_refresh(std::move(refresh)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(500);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_refresh(m_sortBy, m_ascending); });
}

void RefreshRetry::heldUp(const QString& sortBy, bool ascending) {
    m_waiting = true;
    m_sortBy = sortBy;
    m_ascending = ascending;
    m_timer.start();
}

bool RefreshRetry::wentThrough() {
    m_timer.stop();
    return std::exchange(m_waiting, false);
}
