#pragma once
// What the slip-layout tests share: a demo company on SQLite or PostgreSQL
// (QIPR07_PG_CONNINFO) served by the real in-process program server, a
// condition window that owns the layouts (with the "按仓库分页" box the
// layouts read), the report query of the material-issue report as the
// condition window builds it, and the recorded texts of the generated forms
// (LayoutTestSupport's Form).

#include "base/SocketConnection.h"
#include "controls/BtChkBox.h"
#include "db/Database.h"
#include "db/DemoData.h"
#include "objects/ServerConfig.h"
#include "objects/ServerObjects.h"
#include "platform/Dispatch.h"
#include "report/layout/LayoutTestSupport.h"
#include "report/options/VRBaseOpt.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace layoutdata {

using kv::Variant;

inline const char *pgConnInfo()
{
    const char *conninfo = std::getenv("QIPR07_PG_CONNINFO");
    return conninfo && *conninfo ? conninfo : nullptr;
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

// The condition window that owns a layout: the report condition window
// with the page break box of the material-issue report.
class ConditionWindow : public kv::TfrmVRBaseOpt {
public:
    ConditionWindow()
    {
        chkCMSMC = new kv::TBitCheckBox(this);
        chkCMSMC->setObjectName(QStringLiteral("chkCMSMC"));
    }
    kv::TBitCheckBox *chkCMSMC;
};

// The report query of the condition window (joins written with LEFT JOIN),
// for slips of one type and, when given, the listed numbers.
struct ReportQuery {
    std::string slipType;
    std::vector<std::string> numbers;
    bool byWarehouse = false; // "按仓库分页": the order puts the warehouse before the line
    bool summary = false;     // "汇总打印"
    bool summaryByWarehouse = false;
    bool summaryByLot = false;

    std::string where() const
    {
        std::string text = " WHERE 1=1 ";
        text += " and (TC001='" + slipType + "')";
        if (!numbers.empty()) {
            std::string list;
            for (const std::string &number : numbers)
                list += (list.empty() ? "'" : ",'") + number + "'";
            text += " and (TC002 IN (" + list + "))";
        }
        return text;
    }

    std::string sql() const
    {
        const std::string udfHeader =
            " ,MOCTC.UDF01 AS UDF01M, MOCTC.UDF02 AS UDF02M, MOCTC.UDF03 AS UDF03M, MOCTC.UDF04 AS UDF04M, "
            "MOCTC.UDF05 AS UDF05M, MOCTC.UDF06 AS UDF06M, "
            " MOCTC.UDF51 AS UDF51M, MOCTC.UDF52 AS UDF52M, MOCTC.UDF53 AS UDF53M, MOCTC.UDF54 AS UDF54M, "
            "MOCTC.UDF55 AS UDF55M, MOCTC.UDF56 AS UDF56M";
        const std::string udfLines =
            " MOCTE.UDF01 AS UDF01D, MOCTE.UDF02 AS UDF02D, MOCTE.UDF03 AS UDF03D, MOCTE.UDF04 AS UDF04D, "
            "MOCTE.UDF05 AS UDF05D, MOCTE.UDF06 AS UDF06D, "
            " MOCTE.UDF51 AS UDF51D, MOCTE.UDF52 AS UDF52D, MOCTE.UDF53 AS UDF53D, MOCTE.UDF54 AS UDF54D, "
            "MOCTE.UDF55 AS UDF55D, MOCTE.UDF56 AS UDF56D ";
        std::string select;
        if (!summary) {
            select =
                "SELECT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS "
                "CMSMB002,CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS "
                "PURMA002,TE001,TE003,TE004,TE005,TE006,TE008,TE009,TE010,TE011,TE012,TE013,TE014,TE017,TE018,CMSMC."
                "MC002 AS CMSMC002,INVMC.MC003 AS INVMC003,TA006,TD006,TB004,PURMA.MA003 AS "
                "PURMA003,TC014,TC016,INVMB.MB002 AS INVMB002,INVMB.MB003 AS INVMB003,TA034,TA035 "
                ",TE021,TE022,TC031, CMSNO.NO002 AS CMSNO002,TE025 ,TC021,CMSME.ME002 AS CMSME002 "
                ",TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR AS CREATOR,B.MF002 AS MF002C2,TE015 "
                ",TC010,TC011,TC012,TC015,A.MF002 AS MF002C1,TB004-TB005 AS TB004C,TB019,TB019-TB020 AS TB019C "
                ",TE016,TE019,TE020,PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 ,TA057,TA058,TE024,INVME.ME017 "
                "AS ME017,INVME.ME018 AS ME018,INVME.ME019 AS ME019 ,INVME.ME017+'-'+INVME.ME018+'-'+INVME.ME019 AS "
                "ME017C,INVME.ME020 AS ME020 ,INVME.ME021 AS ME021,TE023 ";
            select += ", TE026, TE027 ";
            select += udfHeader + ", " + udfLines;
            select += " ,MW002 AS TE009C ";
            select += " ,TA015,TA016 ";
            select += ",TC029 AS TE005C1 ,TC030 AS TE021C1,0 AS TB004C1,0 AS TB005C1,0 AS TB019C1,0 AS TB020C1";
        } else {
            select = "SELECT  DISTINCT TC001,TC002,TC003,TC004,TC005,TC006,TC007,TC009,TC031, CMSNO.NO002 AS "
                     "CMSNO002,CMSMQ.MQ002 AS CMSMQ002,CMSMB.MB002 AS CMSMB002,CMSMD.MD002 AS CMSMD002,PURMA.MA002 AS "
                     "PURMA002,TE001,TE002,'null' CMSMC002";
            if (summaryByWarehouse)
                select += ",CMSMC.MC002 AS CMSMC002C";
            select += ",PURMA.MA003 AS PURMA003,TC014,TC016 " + std::string(",TC021,CMSME.ME002 AS CMSME002 ") +
                      ",TC008,TC013,TC018,TC019,TC020,MOCTC.CREATOR AS CREATOR,B.MF002 AS MF002C2 " +
                      ",TC010,TC011,TC012,TC015,A.MF002 AS MF002C1 " +
                      ",PURMA.MA010 AS PURMA010,PURMA.MA011 AS PURMA011 " +
                      ",INVME.ME017 AS ME017,INVME.ME018 AS ME018,INVME.ME019 AS ME019 " + ",TE023 ";
            select += udfHeader + " ";
            select += ",TE004,TE006,BB.MB002 AS BBMB002,BB.MB003 AS BBMB003,0 TE005C,'NULL' TE008C ,'NULL'  TE010C ";
            if (summaryByWarehouse)
                select += ",TE008";
            if (summaryByLot)
                select += ",TE010";
            select += ",0 AS TE005C1,0 AS TE021C1 ";
        }
        select += ",TC028, CMSMV.MV002 as CMSMV002 ";
        select += ",TEC01 ";

        std::string tail =
            " LEFT JOIN $$MOCTE AS MOCTE ON TC001=TE001 AND TC002=TE002 LEFT JOIN $$CMSMQ AS CMSMQ ON TC001=MQ001 "
            "LEFT JOIN $$CMSMB AS CMSMB ON TC004=MB001 LEFT JOIN $$CMSMD AS CMSMD ON TC005=MD001 LEFT JOIN $$CMSME AS "
            "CMSME ON CMSME.ME001=TC021  LEFT JOIN $$CMSNO AS CMSNO ON CMSNO.NO001=TC031  LEFT JOIN $$PURMA AS PURMA "
            "ON TC006=MA001";
        if (!summary || summaryByWarehouse)
            tail += " LEFT JOIN $$CMSMC AS CMSMC ON TE008=CMSMC.MC001";
        if (summary)
            tail += " LEFT JOIN $$INVMB AS BB ON TE004=BB.MB001";
        tail += " LEFT JOIN $$INVMC AS INVMC ON TE004=INVMC.MC001 AND TE008=INVMC.MC002";
        if (!summary) {
            tail += " LEFT JOIN $$MOCTA AS MOCTA ON TE011=TA001 AND TE012=TA002";
            tail += " LEFT JOIN $$MOCTB AS MOCTB ON TE011=TB001 AND TE012=TB002 AND TE004=TB003 AND TE009=TB006";
            tail += " LEFT JOIN $$MOCTD AS MOCTD ON TE001=TD001 AND TE002=TD002 AND TE011=TD003 AND TE012=TD004";
            tail += " LEFT JOIN $$INVMB AS INVMB ON TA006=INVMB.MB001 ";
        }
        tail += std::string(" LEFT JOIN $$INVME AS INVME ON INVME.ME001=TE004 AND INVME.ME002=TE010 ") +
                " LEFT JOIN $$ADMMF AS A ON TC015=A.MF001 " + " LEFT JOIN $$ADMMF AS B ON MOCTC.CREATOR=B.MF001 " +
                " LEFT JOIN $$CMSMW AS CMSMW ON TE009=MW001 ";
        tail += " LEFT JOIN $$CMSMV AS CMSMV ON MV001=TC028 ";

        std::string order = byWarehouse ? " ORDER BY TC001,TC002,TC003,TE008,TE003" : " ORDER BY TC001,TC002,TC003,TE003";
        if (summary)
            order = " ORDER BY TC001,TC002,TC003";
        return select + " FROM $$MOCTC AS MOCTC" + tail + where() + order;
    }
};

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
        owner = kv::TKVForm::Create<ConditionWindow>();
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
        EXPECT_EQ(layout->OpenData(query.sql()), expected);
        return layout;
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

inline std::string engineParamName(const testing::TestParamInfo<slip::DbEngine> &info)
{
    return info.param == slip::DbEngine::SQLite ? "SQLite" : "PostgreSQL";
}

#define SLIP_LAYOUT_TEST_ON_BOTH_ENGINES(Suite)                                                                   \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                                                      \
                             testing::Values(slip::DbEngine::SQLite, slip::DbEngine::PostgreSQL),                 \
                             layoutdata::engineParamName)

} // namespace layoutdata
