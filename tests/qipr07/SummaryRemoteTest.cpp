// The summary slip with slipserv in another process, as at a site with a
// remote application server: the real slipserv program on loop-back TCP
// over the demo company. The report data and the line query go through it,
// the printed quantities are those of the same run in-process, and the
// client is given neither the server's files nor credentials that write.
// When the server cannot be reached the run ends with its message.

#include "LayoutDataSupport.h"

#include "appserver/db/DbTestSupport.h"
#include "platform/ConnectionString.h"
#include "platform/RemoteConnection.h"
#include "qipr07/Qipr07Fmt_1.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace layoutdata;
using kv::TfrmQipr07Fmt_1;

namespace {

const char *const kToken = "summary-remote-token";

// The slipserv program on a free loop-back port, stopped at the end.
class Daemon {
public:
    explicit Daemon(const QString &settingsFile)
    {
        m_process.start(QStringLiteral(QIPR07_BIN_DIR "/slipserv"),
                        {"--config", settingsFile, "--port", "0", "--listen", "127.0.0.1"});
        const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        QByteArray output;
        const QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(500);
            output += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch()) {
                port = match.captured(1).toInt();
                return;
            }
        }
        ADD_FAILURE() << "slipserv did not start: " << output.toStdString()
                      << m_process.readAllStandardError().toStdString();
    }
    ~Daemon()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(20000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    int port = 0;

private:
    QProcess m_process;
};

} // namespace

class SummaryRemoteTest : public SlipLayoutTest {
protected:
    void SetUp() override
    {
        SlipLayoutTest::SetUp();
        if (IsSkipped())
            return;
        std::string settings = "[Slipserv]\nAccessToken=" + std::string(kToken) + "\n";
        if (GetParam() == slip::DbEngine::SQLite)
            settings += "Engine=sqlite\nDataDir=" + company->dir.path().toStdString() + "\n";
        else
            settings += "Engine=postgres\nPoolSize=2\nConnInfo=" + std::string(pgConnInfo()) +
                        "\nReaderConnInfo=" + dbtest::pgReaderConnInfo() + "\n";
        shell.writeFile("server/MarshalS.ini", settings);
        daemon = std::make_unique<Daemon>(QString::fromStdString(shell.serverDir() + "MarshalS.ini"));
        ASSERT_GT(daemon->port, 0);
        kv::RemoteConnectionOptions options;
        options.port = daemon->port;
        options.token = kToken;
        connection = kv::RemoteConnection::open(options);
        remoteServer = connection->createObject("QIPR07S.Class1");
        remoteServer->call("Connect",
                           {kv::varArrayOf({"QIPR07", "DS", "01", company->companyDb, "MOCTC", "", "", ""})});
    }

    void TearDown() override
    {
        remoteServer.reset();
        if (connection)
            connection->close();
        daemon.reset();
        SlipLayoutTest::TearDown();
    }

    // The condition window talks to the daemon from now on.
    void useRemoteServer()
    {
        owner->MainMidas->setAppServer(remoteServer);
        owner->ProgramServer = Variant(remoteServer);
    }

    // A summary by warehouse and lot of every slip of the first slip type
    // that has lines.
    ReportQuery summaryQuery() const
    {
        const kv::ResultTable first = company->query("SELECT MIN(TE001) FROM {MOCTE}");
        ReportQuery query{first.value(0, 0).toText(), {}};
        query.summary = query.summaryByWarehouse = query.summaryByLot = true;
        return query;
    }

    static std::vector<std::map<QString, QString>> printedLines(const TfrmQipr07Fmt_1 &layout)
    {
        std::vector<std::map<QString, QString>> lines;
        for (const PrintedRow &row :
             rowsOf(*layout.QuickRep1->pages(), QStringLiteral("txtTE004"),
                    {QStringLiteral("txtTE006"), QStringLiteral("txtTE005"), QStringLiteral("txtTE008"),
                     QStringLiteral("txtTE010")}))
            lines.push_back(row.texts);
        return lines;
    }

    static std::map<std::string, std::string> connectionParts(const TfrmQipr07Fmt_1 &layout)
    {
        return kv::ConnectionString::parse(layout.ADO01->ConnectionString());
    }

    std::unique_ptr<Daemon> daemon;
    std::shared_ptr<kv::RemoteConnection> connection;
    kv::DispatchPtr remoteServer;
};

TEST_P(SummaryRemoteTest, ThroughTheDaemonTheSummaryPrintsTheQuantitiesOfTheInProcessRun)
{
    const ReportQuery query = summaryQuery();
    TfrmQipr07Fmt_1 *local = openLayout<TfrmQipr07Fmt_1>(query);
    const std::vector<layouttest::Form> localForms = generate(local);
    const auto localLines = printedLines(*local);
    ASSERT_FALSE(localLines.empty());
    const auto quantityOf = [](const std::map<QString, QString> &line) {
        const auto found = line.find(QStringLiteral("txtTE005"));
        return found == line.end() ? 0.0 : found->second.toDouble();
    };
    EXPECT_TRUE(std::any_of(localLines.begin(), localLines.end(), [&](const auto &line) { return quantityOf(line) > 0; }));
    // In the server's process the company file is opened as before.
    if (GetParam() == slip::DbEngine::SQLite) {
        EXPECT_EQ(connectionParts(*local).at("DRIVER"), "QSQLITE");
    }

    useRemoteServer();
    TfrmQipr07Fmt_1 *remote = openLayout<TfrmQipr07Fmt_1>(query);
    const std::vector<layouttest::Form> remoteForms = generate(remote);
    EXPECT_EQ(printedLines(*remote), localLines);
    ASSERT_EQ(remoteForms.size(), localForms.size());
    for (std::size_t form = 0; form < localForms.size(); ++form)
        EXPECT_EQ(remoteForms[form].text("txtTE005C1"), localForms[form].text("txtTE005C1")) << form;
    EXPECT_TRUE(messages().empty());

    const std::string handed = remote->ADO01->ConnectionString();
    EXPECT_EQ(handed.find(company->dir.path().toStdString()), std::string::npos) << handed;
    const auto parts = connectionParts(*remote);
    if (GetParam() == slip::DbEngine::SQLite) {
        EXPECT_EQ(parts.at("DRIVER"), "SLIPSERV");
        EXPECT_EQ(parts.count("DATABASE"), 0u);
    } else {
        EXPECT_EQ(parts.at("DRIVER"), "QPSQL");
        EXPECT_EQ(parts.at("USER"), "qipr07_reader");
        EXPECT_EQ(handed.find(slip::PgConnInfo(pgConnInfo()).password()), std::string::npos);
    }
}

TEST_P(SummaryRemoteTest, AServerThatCannotBeReachedEndsTheRunWithTheMessage)
{
    useRemoteServer();
    TfrmQipr07Fmt_1 *layout = openLayout<TfrmQipr07Fmt_1>(summaryQuery());
    // The data has arrived; then the server goes away.
    daemon.reset();
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(layout->GeneratePages());
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(QString::fromStdString(messages().back()).trimmed(), QStringLiteral("请用最新的counter再来运行该程序"));
    EXPECT_FALSE(layout->ADO01->Connected());
}

SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(SummaryRemoteTest);
