// erp-host --send mail with the real module on a demo company: the preview's
// e-mail button pressed without a screen sends each supplier one mail with
// the pages of its own slips to a real SMTP server on loopback; every
// supplier leaves one send-log row and every sent slip counts once.

#include "DemoShell.h"
#include "support/SmtpSink.h"
#include "support/ErpHostProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using kvtest::binFile;

// The slip of every form (one sent picture each) of the run's page texts.
std::map<int, QString> slipOfForm(const QString &pagesJson)
{
    QFile file(pagesJson);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << pagesJson.toStdString();
    std::map<int, QString> slips;
    for (const QJsonValue &page : QJsonDocument::fromJson(file.readAll())["pages"].toArray())
        for (const QJsonValue &text : page["texts"].toArray())
            if (text["component"].toString() == QLatin1String("txtTC002"))
                slips[text["form"].toInt()] = text["text"].toString();
    return slips;
}

class HostSendTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString reason = kvtest::SmtpSink::unavailableReason();
        if (!reason.isEmpty())
            GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(QString::fromStdString(demo.dataDir() + "DEMO.db"));
        ASSERT_TRUE(db.open());
    }
    void TearDown() override
    {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("demo"));
    }

    QString value(const QString &sql) const
    {
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
        return query.next() ? query.value(0).toString() : QString();
    }

    int run(const QStringList &arguments, std::string &err) const
    {
        const kvtest::HostRun run = kvtest::runErpHost(
            demo.hostLogin() + QStringList{"--module", QString::fromStdString(binFile("QIPR07C.so"))} + arguments,
            {{QStringLiteral("TMPDIR"), temp.path()}});
        err = run.err;
        return run.status;
    }

    kvtest::DemoShell demo{60};
    QTemporaryDir temp;
    QSqlDatabase db;
};

TEST_F(HostSendTest, EachSupplierGetsOneMailWithThePagesOfItsOwnSlips)
{
    kvtest::SmtpSink sink;
    ASSERT_GT(sink.port(), 0);
    const QString pages = temp.filePath(QStringLiteral("pages.json"));
    // Outsourced issue slips, "Email To 供应商", printed or not, every send status.
    const QString conditions = QStringLiteral(R"(["", [0, [true, [[["", "edtTC001"], ["", "cboTC010"], ["", "cboSendWay"],)"
                                              R"( ["", "rgSendType"], ["", "cboSendStatus"]], ["5402", 2, 1, 1, 2]]]]])");
    std::map<QString, int> before;
    QSqlQuery counts(db);
    ASSERT_TRUE(counts.exec(QStringLiteral("SELECT TC002, TC017 FROM MOCTC WHERE TC001='5402'")));
    while (counts.next())
        before[counts.value(0).toString()] = counts.value(1).toInt();

    std::string err;
    EXPECT_EQ(run({"--conditions", conditions, "--pages-json", pages, "--execute", "5", "--preview", "true", "--send",
                   "mail", "--subject", "委外领料单", "--smtp", QString::fromStdString(sink.url())},
                  err),
              0)
        << err;

    // What each supplier should get: its e-mail address and its forms.
    std::map<QString, QString> mailOf;
    std::map<QString, int> formsOf;
    std::set<QString> sentSlips;
    const std::map<int, QString> forms = slipOfForm(pages);
    ASSERT_FALSE(forms.empty());
    for (const auto &[form, slip] : forms) {
        const QString supplier = value("SELECT TC006 FROM MOCTC WHERE TC001='5402' AND TC002='" + slip + "'");
        mailOf[supplier] = value("SELECT MA011 FROM PURMA WHERE MA001='" + supplier + "'").trimmed();
        ++formsOf[supplier];
        if (!mailOf[supplier].isEmpty())
            sentSlips.insert(slip);
    }
    std::map<QString, int> attachmentsTo;
    for (const QJsonValue &mail : sink.mails()) {
        EXPECT_EQ(mail["subject"].toString(), QStringLiteral("委外领料单"));
        const QJsonArray parts = mail["attachments"].toArray();
        attachmentsTo[mail["to"].toString()] += int(parts.size());
        for (const QJsonValue &part : parts)
            EXPECT_EQ(kvtest::toolOutput(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m"),
                                                                       part["path"].toString()}),
                      QStringLiteral("GIF"));
    }
    std::map<QString, int> expected;
    for (const auto &[supplier, address] : mailOf)
        if (!address.isEmpty())
            expected[address] = formsOf[supplier];
    // The demo company has enough outsourced slips for several suppliers.
    EXPECT_GE(expected.size(), 2u);
    EXPECT_EQ(attachmentsTo, expected);
    EXPECT_EQ(int(sink.mails().size()), int(expected.size())) << "one mail per supplier";

    QSqlQuery log(db);
    ASSERT_TRUE(log.exec(QStringLiteral("SELECT TA002, TA003, TA004 FROM ADMTA WHERE TA001='QIPR07'")));
    std::map<QString, QString> rows;
    while (log.next()) {
        EXPECT_EQ(rows.count(log.value(0).toString()), 0u) << "two rows for " << log.value(0).toString().toStdString();
        rows[log.value(0).toString()] = log.value(1).toString() + QLatin1Char(' ') + log.value(2).toString();
    }
    std::map<QString, QString> expectedRows;
    for (const auto &[supplier, address] : mailOf)
        expectedRows[supplier] = address.isEmpty() ? QStringLiteral("N Not assign e-Mail address!")
                                                   : QStringLiteral("Y Send e-Mail Complete !");
    EXPECT_EQ(rows, expectedRows);

    // Every sent slip counts once as sent; the others keep their count.
    for (const auto &[slip, count] : before)
        EXPECT_EQ(value("SELECT TC017 FROM MOCTC WHERE TC001='5402' AND TC002='" + slip + "'").toInt(),
                  count + (sentSlips.count(slip) ? 1 : 0))
            << slip.toStdString();
    EXPECT_TRUE(QDir(temp.path()).entryList({QStringLiteral("QIPR07_*")}, QDir::Files).isEmpty());
}

TEST_F(HostSendTest, FaxesToTheLocalServerSpoolOneJobPerSupplierWithAFaxNumber)
{
    const QString spool = temp.filePath(QStringLiteral("spool"));
    const QString pages = temp.filePath(QStringLiteral("pages.json"));
    // "FAX To 供应商".
    const QString conditions = QStringLiteral(R"(["", [0, [true, [[["", "edtTC001"], ["", "cboTC010"], ["", "cboSendWay"],)"
                                              R"( ["", "rgSendType"], ["", "cboSendStatus"]], ["5402", 2, 0, 1, 2]]]]])");
    std::string err;
    EXPECT_EQ(run({"--conditions", conditions, "--pages-json", pages, "--execute", "5", "--preview", "true", "--send",
                   "fax", "--fax-server", "127.0.0.1", "--fax-spool", spool},
                  err),
              0)
        << err;
    std::map<QString, int> expected; // fax number → pages
    for (const auto &[form, slip] : slipOfForm(pages)) {
        const QString supplier = value("SELECT TC006 FROM MOCTC WHERE TC001='5402' AND TC002='" + slip + "'");
        const QString number = value("SELECT MA010 FROM PURMA WHERE MA001='" + supplier + "'").trimmed();
        if (!number.isEmpty())
            ++expected[number];
    }
    std::map<QString, int> spooled;
    for (const QString &job : QDir(spool).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        QFile description(QDir(spool).filePath(job + QStringLiteral("/job.ini")));
        ASSERT_TRUE(description.open(QIODevice::ReadOnly)) << job.toStdString();
        const QString text = QString::fromUtf8(description.readAll());
        const QString number = text.section(QStringLiteral("FaxNumber="), 1).section(QLatin1Char('\n'), 0, 0);
        spooled[number] += text.section(QStringLiteral("Pages="), 1).section(QLatin1Char('\n'), 0, 0).toInt();
    }
    EXPECT_GE(expected.size(), 2u);
    EXPECT_EQ(spooled, expected);
    EXPECT_TRUE(QDir(temp.path()).entryList({QStringLiteral("QIPR07_*")}, QDir::Files).isEmpty());
}

TEST_F(HostSendTest, ASendTheRunDoesNotOfferIsTold)
{
    std::string err;
    run({"--conditions", R"(["", [0, [true, [[["", "edtTC001"]], ["5402"]]]]])", "--execute", "5", "--preview", "true",
         "--send", "mail", "--smtp", "smtp://127.0.0.1:1"},
        err);
    EXPECT_NE(err.find("send: this run offers no e-mail"), std::string::npos) << err;
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM ADMTA")), QStringLiteral("0"));
    run({"--execute", "5", "--preview", "true", "--send", "post"}, err);
    EXPECT_NE(err.find("--send takes mail or fax"), std::string::npos) << err;
}

} // namespace
