#pragma once
// A QtSql connection of a test's own to the PostgreSQL server of the run,
// for the tests that check what reaches the database apart from the server
// objects.

#include "db/PgConnInfo.h"
#include "support/PgServer.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <gtest/gtest.h>


namespace kvtest {

// Opens the connection under the given name; a failure fails the test.
inline QSqlDatabase openPgTestConnection(const QString &name)
{
    const slip::PgConnInfo info(pgConnInfo() ? pgConnInfo() : "");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    info.applyTo(db);
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    return db;
}

} // namespace kvtest
