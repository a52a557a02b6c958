#pragma once
// What the slip-layout tests share: a demo company on SQLite or PostgreSQL
// (QIPR07_PG_CONNINFO) served by the real in-process program server, a
// condition window that owns the layouts (with the "按仓库分页" box the
// layouts read), the report query of the material-issue report as the
// condition window builds it, and the recorded texts of the generated forms
// (LayoutTestSupport's Form).

#include "base/SocketConnection.h"
#include "controls/BtChkBox.h"
#include "controls/GSpdBtn.h"
#include "qipr07/ConstructionPrompter.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/Dispatch.h"
#include "qipr07/Qipr07.h"
#include "report/layout/LayoutTestSupport.h"
#include "report/layout/VRPreview.h"
#include "support/PgServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace layoutdata {

using kv::Variant;

using kvtest::pgConnInfo;

// Pictures of the windows for the manual are taken only when the variable
// names a folder: the folder, with the window shown at the manual's size,
// or "" and the window left as it is.
inline QString manualPictureFolder(QWidget &window, const char *variable, QSize size)
{
    const QString folder = qEnvironmentVariable(variable);
    if (folder.isEmpty())
        return folder;
    window.showNormal();
    window.resize(size);
    QTest::qWait(200);
    return folder;
}

// A fresh demo company for one test, its server objects registered for
// in-process creation; dropped again at the end.
class DemoCompany {
public:
    DemoCompany(slip::DbEngine engine, int slips)
    {
        static int counter = 0;
        companyDb = "Q2_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        slip::ServerConfig config;
        if (engine == slip::DbEngine::SQLite) {
            database = slip::Database::openSqlite(dir.path().toStdString());
            config = slip::ServerConfig::sqlite(dir.path().toStdString());
        } else {
            database = slip::Database::openPostgres(pgConnInfo(), 4);
            config = slip::ServerConfig::postgres(pgConnInfo(), 4);
        }
        slip::DemoDataOptions options;
        options.companyDb = companyDb;
        options.slips = slips;
        options.seed = 7;
        slip::DemoData(*database, options).generate();
        slip::registerServerObjects(database, config);
    }
    ~DemoCompany()
    {
        slip::unregisterServerObjects();
        try {
            database->dropCompany(companyDb);
        } catch (const std::exception &error) {
            ADD_FAILURE() << "dropping " << companyDb << ": " << error.what();
        }
    }

    // SQL on the company's tables, written with {TABLE} for each table.
    kv::ResultTable query(std::string sql, const slip::SqlParams &params = {}) const
    {
        return database->query(tables(std::move(sql)), params);
    }
    std::int64_t execute(std::string sql, const slip::SqlParams &params = {}) const
    {
        return database->execute(tables(std::move(sql)), params);
    }

    QTemporaryDir dir;
    std::shared_ptr<slip::Database> database;
    std::string companyDb;

private:
    std::string tables(std::string sql) const
    {
        for (std::size_t open = sql.find('{'); open != std::string::npos; open = sql.find('{', open)) {
            const std::size_t close = sql.find('}', open);
            sql.replace(open, close - open + 1, database->qualifiedTable(companyDb, sql.substr(open + 1, close - open - 1)));
        }
        return sql;
    }
};

// The condition window that owns the layouts: the material-issue report's
// own window, built but not opened. Its check boxes ("按仓库分页",
// "汇总打印" and the summary's grouping) decide the report query and the
// page break of the layouts, as the clerk's choices do.
using ConditionWindow = kv::TfrmQipr07;

// What a test asks of the report: slips of one type and, when given, the
// listed numbers, with the choices of the condition window.
struct ReportQuery {
    std::string slipType;
    std::vector<std::string> numbers;
    bool byWarehouse = false; // "按仓库分页"
    bool summary = false;     // "汇总打印"
    bool summaryByWarehouse = false;
    bool summaryByLot = false;
};

using qipr07test::ConstructionPrompter;

// The printed lines: for each form, the texts of the given components that
// stand on one row (same top), top to bottom; a component that printed
// nothing on a row is missing from its map.
struct PrintedRow {
    int form = 0;
    std::map<QString, QString> texts;
    QString operator[](const char *component) const
    {
        const auto found = texts.find(QLatin1String(component));
        return found == texts.end() ? QString() : found->second;
    }
};

inline std::vector<PrintedRow> rowsOf(const kv::PageStore &store, const QString &keyComponent,
                                      const QStringList &components)
{
    std::map<std::pair<int, long long>, PrintedRow> rows;
    std::vector<kv::PageText> texts;
    for (int page = 1; page <= store.pageCount(); ++page) {
        for (kv::PageText &text : store.texts(page))
            texts.push_back(std::move(text));
    }
    const auto key = [](const kv::PageText &text) { return std::make_pair(text.form, std::llround(text.rect.top())); };
    for (const kv::PageText &text : texts) {
        if (text.component == keyComponent)
            rows[key(text)].form = text.form;
    }
    for (const kv::PageText &text : texts) {
        const auto found = rows.find(key(text));
        if (found != rows.end() && (components.contains(text.component) || text.component == keyComponent))
            found->second.texts[text.component] = text.text;
    }
    std::vector<PrintedRow> list;
    for (auto &[position, row] : rows)
        list.push_back(std::move(row));
    return list;
}

// Each test runs on a fresh demo company of its engine, with a shell whose
// settings name the loop-back address, and a condition window connected to
// the program server.
class SlipLayoutTest : public testing::TestWithParam<slip::DbEngine> {
protected:
    void SetUp() override
    {
        if (GetParam() == slip::DbEngine::PostgreSQL && !pgConnInfo())
            GTEST_SKIP() << "QIPR07_PG_CONNINFO is not set";
        shell.writeRegistry(shell.clientDir(), shell.serverDir());
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n");
        company = std::make_unique<DemoCompany>(GetParam(), 16);
        {
            kv::ScopedPrompter building(std::make_shared<ConstructionPrompter>());
            owner = kv::TKVForm::Create<ConditionWindow>();
        }
        owner->setCaption(QStringLiteral("领料单打印"));
        server = kv::createOleObject("QIPR07S.Class1");
        server->call("Connect", {kv::varArrayOf({"QIPR07", "DS", "01", company->companyDb, "MOCTC", "", "", ""})});
        owner->MainMidas->setAppServer(server);
        owner->ProgramServer = Variant(server);
    }

    void TearDown() override
    {
        for (auto &layout : layouts) {
            if (layout)
                layout->Free();
        }
        if (owner)
            owner->Free();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        server.reset();
        company.reset();
    }

    // A layout of the class, owned by the condition window, context copied
    // in, data connected and opened with the query.
    template <class Layout>
    Layout *openLayout(const ReportQuery &query, int expected = 1)
    {
        auto *layout = kv::TKVForm::Create<Layout>(owner.data());
        layouts.push_back(layout);
        layout->ProgramCode = "QIPR07";
        layout->CompanyID = "01";
        layout->CompanyDB = company->companyDb;
        layout->UserID = "DS";
        layout->DateType = 1;
        layout->DateFormat = "/";
        layout->CompanyInfo = QStringList{QStringLiteral("01"), QStringLiteral("示范公司")};
        layout->ConnectData();
        layout->SetSignIns({QStringLiteral("主管:"), QStringLiteral("仓管:"), QStringLiteral("领料:")});
        EXPECT_EQ(layout->OpenData(reportSql(query)), expected);
        return layout;
    }

    // The report query as the condition window builds it for a run from its
    // conditions, with the window's boxes set as the query asks.
    std::string reportSql(const ReportQuery &query)
    {
        owner->chkPrint->setChecked(query.summary);
        owner->btn05->setChecked(query.summary && query.summaryByWarehouse);
        owner->btn06->setChecked(query.summary && query.summaryByLot);
        owner->chkCMSMC->setChecked(query.byWarehouse);
        std::vector<Variant> numbers{Variant(std::string("\x05"))};
        for (const std::string &number : query.numbers)
            numbers.emplace_back(number);
        // Option slots: 1 slip type, 2 slip numbers, 3 to 6 no condition.
        Variant values = kv::varArrayOf({Variant(), Variant("='" + query.slipType + "'"),
                                         query.numbers.empty() ? Variant() : kv::varArrayOf(numbers), Variant(),
                                         Variant(), Variant(), Variant(), Variant(), Variant()});
        Variant sql;
        owner->BuildQuery(0, values, sql);
        const std::string text = owner->FinishWhere();
        EXPECT_FALSE(text.empty());
        return text;
    }

    std::vector<layouttest::Form> generate(kv::TfrmVRFormat *layout)
    {
        EXPECT_TRUE(layout->GeneratePages());
        return layouttest::formsOf(*layout->QuickRep1->pages());
    }

    // Slip numbers of a type with their line counts, in number order.
    std::vector<std::pair<std::string, int>> slipsOfType(const std::string &type) const
    {
        const kv::ResultTable rows = company->query(
            "SELECT TC002, (SELECT COUNT(*) FROM {MOCTE} WHERE TE001=TC001 AND TE002=TC002) AS N FROM {MOCTC} "
            "WHERE TC001=:T ORDER BY TC002",
            {{"T", Variant(type)}});
        std::vector<std::pair<std::string, int>> slips;
        for (int row = 0; row < rows.rowCount(); ++row)
            slips.emplace_back(rows.value(row, 0).toText(), int(rows.value(row, 1).toInt64()));
        return slips;
    }

    // The first of the demo's slip types with at least `slips` slips, or "".
    std::string typeWithSlips(std::size_t slips) const
    {
        for (const char *candidate : {"5401", "5402", "5403", "5501", "5502"}) {
            if (slipsOfType(candidate).size() >= slips)
                return candidate;
        }
        return {};
    }

    // The print count of every slip of a type, by slip number.
    std::map<std::string, double> printCountsOfType(const std::string &type) const
    {
        const kv::ResultTable rows =
            company->query("SELECT TC002, TC010 FROM {MOCTC} WHERE TC001=:T", {{"T", Variant(type)}});
        std::map<std::string, double> counts;
        for (int row = 0; row < rows.rowCount(); ++row)
            counts[rows.value(row, 0).toText()] = rows.isNull(row, 1) ? 0 : rows.value(row, 1).toDouble();
        return counts;
    }

    std::vector<std::string> messages() const
    {
        return prompter->questionTexts();
    }

    kvtest::ShellFixture shell;
    std::unique_ptr<DemoCompany> company;
    QPointer<ConditionWindow> owner;
    kv::DispatchPtr server;
    std::vector<QPointer<kv::TfrmVRFormat>> layouts;
    std::shared_ptr<kv::ScriptedPrompter> prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scopedPrompter{prompter};
};

// A preview opened by ShowPreview generates its pages inside its own loop,
// once it is on screen; a scripted answer that looks at every page lets the
// loop run until the last one is there.
inline void waitUntilGenerated(kv::TfrmVRPreview &preview)
{
    const QDeadlineTimer deadline(std::chrono::minutes(5));
    do
        QCoreApplication::processEvents();
    while ((preview.isGenerating() || !preview.report()->pages()->isFinished()) && !deadline.hasExpired() &&
           !preview.report()->pages()->isCancelled());
}

inline std::string engineParamName(const testing::TestParamInfo<slip::DbEngine> &info)
{
    return info.param == slip::DbEngine::SQLite ? "SQLite" : "PostgreSQL";
}

#define SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Suite)                                                                   \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                                                      \
                             testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL),                 \
                             layoutdata::engineParamName)

} // namespace layoutdata
