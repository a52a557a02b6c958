#pragma once

namespace slip {

class Database;

// A transaction of the calling thread that rolls back unless committed, so
// an exception between begin and commit leaves the database unchanged.
// Transactions nest (savepoints).
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();
    void rollback();
    bool active() const { return m_active; }

private:
    Database &m_db;
    bool m_active = true;
};

} // namespace slip
