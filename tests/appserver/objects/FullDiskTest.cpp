// The company database on a file system that fills up, and one that turns
// read-only: the clerk's save gets a clear error, everything committed
// before is still there, exactly, and saving works again once there is room.
// Needs a small tmpfs of its own (root may mount one); skipped otherwise.
#include "ProgramServerTestSupport.h"

#include "db/Database.h"
#include "objects/ProgramServer.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>

namespace {

using kv::Variant;
using kv::varArrayOf;

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

class FullDiskTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_mountPoint.path();
        if (!run("mount", {"-t", "tmpfs", "-o", "size=6m", "tmpfs", m_path}))
            GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
        m_mounted = true;
        m_database = slip::Database::openSqlite(m_path.toStdString());
        m_database->openCompany(kCompany, slip::OpenMode::CreateNew);
        m_server = std::make_shared<slip::ProgramServer>(m_database, slip::ServerConfig::sqlite(m_path.toStdString()));
        call("Connect", {programservertest::connectArgs(kCompany)});
    }
    void TearDown() override
    {
        m_server.reset();
        m_database.reset();
        if (m_mounted)
            run("umount", {"-l", m_path});
    }

    static constexpr const char *kCompany = "FULL";

    Variant call(std::string_view name, std::vector<Variant> args)
    {
        return m_server->invoke(name, args, kv::InvokeKind::Method);
    }
    // The reply of a condition-set save: empty when it was stored.
    std::string save(const std::string &name, const std::string &value)
    {
        return call("InsertConTable", {varArrayOf({"a.text;", "0001", "20261208", "QIPR07", name, value, true})})
            .toText();
    }
    // What a fresh connection reads of a set.
    std::string stored(const std::string &name)
    {
        auto reader = slip::Database::openSqlite(m_path.toStdString());
        reader->openCompany(kCompany);
        const kv::ResultTable rows = reader->query("SELECT VCONDITION FROM " + reader->qualifiedTable(kCompany, "GENES") +
                                                   " WHERE NCONDITION = :N",
                                                   {{"N", Variant(name)}});
        return rows.rowCount() == 1 ? std::string(rows.text(0, 0)) : "<missing>";
    }
    // Fills the file system up with a file of its own.
    void fill()
    {
        std::ofstream filler((m_path + "/filler").toStdString(), std::ios::binary);
        const std::string block(64 * 1024, 'f');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }

    QTemporaryDir m_mountPoint;
    QString m_path;
    bool m_mounted = false;
    std::shared_ptr<slip::Database> m_database;
    std::shared_ptr<slip::ProgramServer> m_server;
};

TEST_F(FullDiskTest, AFullDiskRefusesTheSaveClearlyAndLosesNothing)
{
    ASSERT_EQ(save("月结", "已存'\r\n"), "");
    fill();
    // Sets large enough to need new pages until one is refused.
    std::string reply;
    const std::string large(200 * 1024, 'x');
    for (int i = 0; i < 50 && reply.empty(); ++i)
        reply = save("大" + std::to_string(i), large);
    EXPECT_NE(reply.find("full"), std::string::npos) << reply;
    EXPECT_EQ(stored("月结"), "已存'\r\n");

    ASSERT_TRUE(QFile::remove(m_path + "/filler"));
    EXPECT_EQ(save("之后", "又有空间"), "");
    EXPECT_EQ(stored("之后"), "又有空间");
    EXPECT_EQ(stored("月结"), "已存'\r\n");
}

TEST_F(FullDiskTest, AReadOnlyDiskRefusesTheSaveClearlyAndLosesNothing)
{
    ASSERT_EQ(save("月结", "已存"), "");
    m_server.reset();
    m_database.reset();
    // The same files seen through a read-only mount.
    QTemporaryDir readOnly;
    ASSERT_TRUE(run("mount", {"--bind", "-o", "ro", m_path, readOnly.path()}));
    run("mount", {"-o", "remount,bind,ro", readOnly.path()});
    std::string reply;
    try {
        auto database = std::shared_ptr<slip::Database>(slip::Database::openSqlite(readOnly.path().toStdString()));
        database->openCompany(kCompany);
        auto server = std::make_shared<slip::ProgramServer>(database,
                                                            slip::ServerConfig::sqlite(readOnly.path().toStdString()));
        std::vector<Variant> connect{programservertest::connectArgs(kCompany)};
        server->invoke("Connect", connect, kv::InvokeKind::Method);
        std::vector<Variant> request{
            varArrayOf({"a.text;", "0001", "20261208", "QIPR07", "新方案", "值", true})};
        reply = server->invoke("InsertConTable", request, kv::InvokeKind::Method).toText();
    } catch (const std::exception &error) {
        reply = error.what();
    }
    run("umount", {readOnly.path()});
    EXPECT_TRUE(reply.find("read") != std::string::npos || reply.find("open") != std::string::npos) << reply;
    EXPECT_EQ(stored("月结"), "已存");
    EXPECT_EQ(stored("新方案"), "<missing>");
}

} // namespace
