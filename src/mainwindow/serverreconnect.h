#pragma once

#include <QTimer>

#include <functional>

class Database;
class QThread;

// Connects to the database server again after the connection broke, in the background: each
// attempt runs on a thread of its own, so the window stays usable while the server does not
// answer, and attempts follow each other until one succeeds. The new connection is taken into
// the database on the window's thread, and then back is called there.
class ServerReconnect {
  public:
    ServerReconnect();
    // Waits for an attempt still running (the address's connect_timeout bounds it).
    ~ServerReconnect();
    ServerReconnect(const ServerReconnect&) = delete;
    ServerReconnect& operator=(const ServerReconnect&) = delete;

    // Starts the attempts for db unless they run already; nothing for a database file.
    void start(Database* db, std::function<void()> back);
    // No further attempt; the database is about to close.
    void stop();
    bool running() const { return m_db != nullptr; }
    // The pause between two attempts.
    void setInterval(int milliseconds) { m_timer.setInterval(milliseconds); }

  private:
    void attempt();

    QTimer m_timer;
    Database* m_db = nullptr;
    QThread* m_thread = nullptr;
    std::function<void()> m_back;
};
