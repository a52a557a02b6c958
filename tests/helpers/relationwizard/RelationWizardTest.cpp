// The relation wizard library as the layout window runs it: loaded from the
// client's helper folder, its dialog driven by object names, the schema read
// from the real program server (SQLite), the result in the SQL builder.

#include "report/layout/LayoutTestSupport.h"

#include "appserver/db/DbTestSupport.h"
#include "base/SocketConnection.h"
#include "objects/ProgramServer.h"
#include "objects/ServerConfig.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

using namespace layouttest;

namespace {

class WizardTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        company = database.createCompany("RW");
        shared = std::shared_ptr<slip::Database>(database.db.get(), [](slip::Database *) {});
        programServer = std::make_shared<slip::ProgramServer>(
            shared, slip::ServerConfig::sqlite(database.dir.path().toStdString()));
        std::vector<Variant> connect{kv::varArrayOf({"QIPR07", "0001", "01", company, "MOCTE", {}, {}, {}})};
        programServer->invoke("Connect", connect, kv::InvokeKind::Method);
        owner->MainMidas->setAppServer(programServer);

        // The client's helper folder holds the library, as installed.
        ASSERT_TRUE(QDir(client.path()).mkdir(QStringLiteral("c_kvbin")));
        ASSERT_TRUE(QFile::link(QStringLiteral(QIPR07_BIN_DIR "/RelationWizard.so"),
                                client.filePath(QStringLiteral("c_kvbin/RelationWizard.so"))));
        layout = kv::TKVForm::Create<kv::TfrmVRBaseFmt>(owner.data());
        layout->ClientRoot = client.path().toStdString() + "/";
        builder().SetBaseSQL({"SELECT TE.TE001, TE.TE002, TE.TE004 AS ITEM, SUM(TE.TE005) AS QTY", "FROM $$MOCTE TE",
                              "", "", "", ""});
    }

    void TearDown() override
    {
        if (layout)
            layout->Free();
        LayoutTest::TearDown();
    }

    kv::TVRSQLBuilder &builder() { return *layout->SQLReBuilder; }

    // Runs the wizard with its dialog handed to script once it is up.
    bool runWizard(const std::function<void(QDialog &)> &script)
    {
        bool scripted = false;
        std::function<void()> poll;
        poll = [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<QDialog *>(widget);
                if (dialog && dialog->objectName() == QLatin1String("frmRelationWizard") && dialog->isVisible()) {
                    scripted = true;
                    script(*dialog);
                    if (dialog->isVisible())
                        dialog->reject(); // a script that forgot to close must not hang the test
                    return;
                }
            }
            QTimer::singleShot(10, poll);
        };
        QTimer::singleShot(0, poll);
        const bool ran = layout->RunRelationWizard();
        EXPECT_TRUE(scripted);
        return ran;
    }

    template <typename T> static T *part(QDialog &dialog, const char *name)
    {
        T *widget = dialog.findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static void readColumns(QDialog &dialog, const QString &table)
    {
        part<QComboBox>(dialog, "cbTable")->setEditText(table);
        part<QPushButton>(dialog, "btnColumns")->click();
    }

    // Checks a column in the column list (offered; barcode when asked) and
    // gives it a hint.
    static void offer(QDialog &dialog, const QString &column, const QString &hint, bool barcode)
    {
        auto *columns = part<QTreeWidget>(dialog, "lvColumns");
        const QList<QTreeWidgetItem *> found = columns->findItems(column, Qt::MatchExactly, 0);
        ASSERT_EQ(found.size(), 1) << column.toStdString();
        found.first()->setCheckState(0, Qt::Checked);
        found.first()->setText(1, hint);
        found.first()->setCheckState(2, barcode ? Qt::Checked : Qt::Unchecked);
    }

    static void join(QDialog &dialog, const QString &reportColumn, const QString &relatedColumn)
    {
        part<QComboBox>(dialog, "cbReportColumn")->setEditText(reportColumn);
        auto *related = part<QComboBox>(dialog, "cbRelatedColumn");
        related->setCurrentIndex(related->findText(relatedColumn));
    }

    static QString message(QDialog &dialog) { return part<QLabel>(dialog, "lblMessage")->text(); }

    QTemporaryDir client;
    dbtest::TestDatabase database{slip::DbEngine::SQLite};
    std::string company;
    std::shared_ptr<slip::Database> shared;
    std::shared_ptr<slip::ProgramServer> programServer;
    QPointer<kv::TfrmVRBaseFmt> layout;
};

TEST_F(WizardTest, ARelatedTableWithItsFieldsFillsTheBuilder)
{
    QStringList reportColumns;
    QStringList relatedColumns;
    const bool ran = runWizard([&](QDialog &dialog) {
        auto *report = part<QComboBox>(dialog, "cbReportColumn");
        for (int index = 0; index < report->count(); ++index)
            reportColumns << report->itemText(index);
        readColumns(dialog, QStringLiteral("INVMB"));
        auto *related = part<QComboBox>(dialog, "cbRelatedColumn");
        for (int index = 0; index < related->count(); ++index)
            relatedColumns << related->itemText(index);
        join(dialog, QStringLiteral("TE.TE004"), QStringLiteral("MB001"));
        offer(dialog, QStringLiteral("MB002"), QStringLiteral("品名"), false);
        offer(dialog, QStringLiteral("MB001"), QStringLiteral("品号条码"), true);
        part<QPushButton>(dialog, "btnAdd")->click();
        EXPECT_EQ(part<QTreeWidget>(dialog, "lvRelations")->topLevelItemCount(), 1);
        part<QPushButton>(dialog, "btnOK")->click();
    });
    EXPECT_TRUE(ran);
    // Plain columns of the select list only: no aggregate.
    EXPECT_EQ(reportColumns, (QStringList{"TE.TE001", "TE.TE002", "TE.TE004"}));
    EXPECT_TRUE(relatedColumns.contains(QStringLiteral("MB001")));
    EXPECT_TRUE(relatedColumns.contains(QStringLiteral("MB002")));

    ASSERT_EQ(builder().tables().size(), 1u);
    EXPECT_EQ(builder().tables()[0].name, "$$INVMB");
    EXPECT_EQ(builder().tables()[0].joinCondition, "TE.TE004 = RT1.MB001");
    ASSERT_EQ(builder().fields().size(), 2u);
    // Columns come in the table's order.
    EXPECT_EQ(builder().fields()[0].name, "MB001");
    EXPECT_EQ(builder().fields()[0].hint, "品号条码");
    EXPECT_EQ(builder().fields()[0].kind, 1);
    EXPECT_EQ(builder().fields()[1].name, "MB002");
    EXPECT_EQ(builder().fields()[1].hint, "品名");
    EXPECT_EQ(builder().fields()[1].kind, 0);
    EXPECT_FALSE(builder().fields()[1].used);
}

TEST_F(WizardTest, TablesOutsideTheSchemaAreRefusedAndCancelKeepsTheBuilder)
{
    const int table = builder().AddTable("$$CMSMC", "TE.TE007 = RT1.MC001");
    builder().AddField(table, "MC002", "仓库名称");
    QString unknown;
    QString unsafe;
    QString withoutColumns;
    QStringList offered;
    runWizard([&](QDialog &dialog) {
        auto *tables = part<QComboBox>(dialog, "cbTable");
        for (int index = 0; index < tables->count(); ++index)
            offered << tables->itemText(index);
        readColumns(dialog, QStringLiteral("NOSUCH"));
        unknown = message(dialog);
        EXPECT_EQ(part<QTreeWidget>(dialog, "lvColumns")->topLevelItemCount(), 0);
        part<QPushButton>(dialog, "btnAdd")->click();
        withoutColumns = message(dialog);
        readColumns(dialog, QStringLiteral("INVMB WHERE 1=1; DROP TABLE INVMB"));
        unsafe = message(dialog);
        EXPECT_EQ(part<QTreeWidget>(dialog, "lvRelations")->topLevelItemCount(), 1);
        part<QPushButton>(dialog, "btnCancel")->click();
    });
    EXPECT_TRUE(unknown.toUpper().contains(QStringLiteral("NOSUCH"))) << unknown.toStdString();
    EXPECT_FALSE(withoutColumns.isEmpty());
    // The server's catalogue lists no tables: the report's own and the
    // related ones are offered.
    EXPECT_EQ(offered, (QStringList{"$$MOCTE", "$$CMSMC"}));
    EXPECT_TRUE(unsafe.contains(QStringLiteral("no table name"))) << unsafe.toStdString();
    ASSERT_EQ(builder().tables().size(), 1u);
    EXPECT_EQ(builder().tables()[0].name, "$$CMSMC");
    EXPECT_EQ(builder().fields().size(), 1u);
}

TEST_F(WizardTest, PrintedFieldsKeepTheirRelationAndTheirMark)
{
    const int table = builder().AddTable("$$INVMB", "TE.TE004 = RT1.MB001");
    const int name = builder().AddField(table, "MB002", "品名");
    builder().SetFieldUsed(name, "ExTxtRT1MB0020");
    QString refusal;
    runWizard([&](QDialog &dialog) {
        auto *relations = part<QTreeWidget>(dialog, "lvRelations");
        ASSERT_EQ(relations->topLevelItemCount(), 1);
        EXPECT_EQ(relations->topLevelItem(0)->text(1), QStringLiteral("TE.TE004 = RT1.MB001"));
        relations->setCurrentItem(relations->topLevelItem(0));
        part<QPushButton>(dialog, "btnRemove")->click();
        refusal = message(dialog);
        EXPECT_EQ(relations->topLevelItemCount(), 1);

        readColumns(dialog, QStringLiteral("$$CMSMC"));
        join(dialog, QStringLiteral("TE.TE001"), QStringLiteral("MC001"));
        offer(dialog, QStringLiteral("MC002"), QStringLiteral("仓库名称"), false);
        part<QPushButton>(dialog, "btnAdd")->click();
        // The new relation is not printed from: it may go again.
        relations->setCurrentItem(relations->topLevelItem(1));
        part<QPushButton>(dialog, "btnRemove")->click();
        EXPECT_EQ(relations->topLevelItemCount(), 1);
        readColumns(dialog, QStringLiteral("CMSMC"));
        join(dialog, QStringLiteral("TE.TE001"), QStringLiteral("MC001"));
        offer(dialog, QStringLiteral("MC002"), QStringLiteral("仓库名称"), false);
        part<QPushButton>(dialog, "btnAdd")->click();
        part<QPushButton>(dialog, "btnOK")->click();
    });
    EXPECT_FALSE(refusal.isEmpty());
    ASSERT_EQ(builder().tables().size(), 2u);
    EXPECT_EQ(builder().tables()[0].joinCondition, "TE.TE004 = RT1.MB001");
    EXPECT_EQ(builder().tables()[1].name, "$$CMSMC");
    EXPECT_EQ(builder().tables()[1].joinCondition, "TE.TE001 = RT2.MC001");
    EXPECT_EQ(builder().FieldOfComponent("ExTxtRT1MB0020"), 0);
    EXPECT_EQ(builder().GetAsField(0), "RT1MB002");
    ASSERT_EQ(builder().fields().size(), 2u);
    EXPECT_EQ(builder().GetAsField(1), "RT2MC002");
    EXPECT_FALSE(builder().fields()[1].used);
}

} // namespace
