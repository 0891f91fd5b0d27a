#pragma once

namespace store {

// Rolls back on every way out that did not commit, so neither a refusal nor an exception leaves
// the write lock or half a change behind. Connection is either engine's connection.
template <class Connection> class Transaction {
  public:
    explicit Transaction(Connection& connection) : m_connection(connection) {}
    ~Transaction() {
        if (!m_done)
            m_connection.rollback();
    }
    void commit() {
        m_done = true;
        m_connection.commit();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

  private:
    Connection& m_connection;
    bool m_done = false;
};

} // namespace store
