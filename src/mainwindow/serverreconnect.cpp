#include "serverreconnect.h"

#include "database.h"
#include "engineerror.h"

#include <QThread>

#include <memory>

ServerReconnect::ServerReconnect() {
    m_timer.setSingleShot(true);
    m_timer.setInterval(2000);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { attempt(); });
}

ServerReconnect::~ServerReconnect() {
    stop();
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void ServerReconnect::start(Database* db, std::function<void()> back) {
    if (m_db || !db || !db->reconnector())
        return;
    m_db = db;
    m_back = std::move(back);
    // The first attempt at once: a server restarted for an update is often back already.
    attempt();
}

void ServerReconnect::stop() {
    m_timer.stop();
    m_db = nullptr;
    m_back = nullptr;
}

void ServerReconnect::attempt() {
    if (!m_db || m_thread)
        return;
    auto connect = m_db->reconnector();
    auto made = std::make_shared<std::unique_ptr<Reconnection>>();
    m_thread = QThread::create([connect, made] {
        try {
            *made = connect();
        } catch (const EngineError&) {
            // The server does not answer yet: the next attempt follows.
        }
    });
    QObject::connect(m_thread, &QThread::finished, &m_timer, [this, made] {
        m_thread->deleteLater();
        m_thread = nullptr;
        if (!m_db)
            return; // stopped meanwhile
        if (!*made) {
            m_timer.start();
            return;
        }
        try {
            m_db->takeReconnection(std::move(*made));
        } catch (const EngineError&) {
            m_timer.start(); // lost again at once: the next attempt follows
            return;
        }
        const std::function<void()> back = m_back;
        stop();
        if (back)
            back();
    });
    m_thread->start();
}
