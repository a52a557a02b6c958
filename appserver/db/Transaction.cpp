#include "db/Transaction.h"

#include "db/Database.h"
#include "db/DatabaseError.h"

namespace slip {

Transaction::Transaction(Database &db)
    : m_db(db)
{
    m_db.begin();
}

Transaction::~Transaction()
{
    if (!m_active)
        return;
    try {
        m_db.rollback();
    } catch (const DatabaseError &) {
        // Nothing more can be done while unwinding; the engine discards an
        // unfinished transaction when the connection closes.
    }
}

void Transaction::commit()
{
    if (!m_active)
        throw DatabaseError("the transaction has ended already");
    m_active = false;
    m_db.commit();
}

void Transaction::rollback()
{
    if (!m_active)
        throw DatabaseError("the transaction has ended already");
    m_active = false;
    m_db.rollback();
}

} // namespace slip
