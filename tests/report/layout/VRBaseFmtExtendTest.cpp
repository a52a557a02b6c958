// Extension fields of design mode: drops from the field list and the label
// tool (what is created, with which names and settings, where it may go),
// moves of existing components, deletion, the field-list tool window, the
// document helper's start, and the extended SQL on the real program server
// (SQLite): used fields print, names outside the schema are refused.

#include "LayoutTestSupport.h"

#include "appserver/db/DbTestSupport.h"
#include "objects/ProgramServer.h"
#include "objects/ServerConfig.h"
#include "platform/designer/DesignDrag.h"
#include "platform/layoutio/LayoutText.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRShape.h"
#include "report/layout/ExtensionToolWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <stdexcept>

using namespace layouttest;

namespace {

// A layout with a detail band, a group bound to the report's data, a group
// bound to the look-up data set, a title label and a line.
class ExtendLayout : public kv::TfrmVRBaseFmt {
public:
    explicit ExtendLayout(QWidget *owner = nullptr) : TfrmVRBaseFmt(owner)
    {
        group = new kv::TQRGroup(QuickRep1);
        group->setObjectName(QStringLiteral("QRGroup"));
        group->setExpression(QStringLiteral("ClientDataSet1.TE001+ClientDataSet1.TE002"));
        group->setHeight(20);
        lookupGroup = new kv::TQRGroup(QuickRep1);
        lookupGroup->setObjectName(QStringLiteral("QRLookupGroup"));
        lookupGroup->setExpression(QStringLiteral("ClientDataSet2.MB001"));
        lookupGroup->setHeight(20);
        detail = new kv::TQRBand(QuickRep1, kv::TQRBand::rbDetail);
        detail->setObjectName(QStringLiteral("QRDetailBand"));
        detail->setHeight(20);
        lblTitle = new kv::TQRLabel(detail);
        lblTitle->setObjectName(QStringLiteral("lblTitle"));
        lblTitle->setCaption(QStringLiteral("品号"));
        lblTitle->setWidth(40);
        lblTitle->setHeight(12);
        shpLine = new kv::TQRShape(detail);
        shpLine->setObjectName(QStringLiteral("shpLine"));
        txtItem = new kv::TKVQRDBText(detail);
        txtItem->setObjectName(QStringLiteral("txtItem"));
        txtItem->setDataSet(ClientDataSet1);
        txtItem->setDataField(QStringLiteral("TE004"));
        txtItem->setLeft(50);
        txtItem->setWidth(80);
        txtItem->setHeight(12);

        SQLReBuilder->SetBaseSQL({"SELECT TE.TE001, TE.TE002, TE.TE003, TE.TE004", "FROM $$MOCTE TE",
                                  "ORDER BY TE.TE003", "", "", ""});
        const int items = SQLReBuilder->AddTable("$$INVMB", "TE.TE004 = RT1.MB001");
        nameField = SQLReBuilder->AddField(items, "MB002", "品名");
        codeField = SQLReBuilder->AddField(items, "MB001", "品号条码", 1);
    }

    int OpenData(const std::string &sql) override
    {
        try {
            ClientDataSet1->Close();
            ClientDataSet1->DataRequest(Variant(sql));
            ClientDataSet1->Open();
            return ClientDataSet1->IsEmpty() ? 0 : 1;
        } catch (const std::exception &error) {
            lastError = error.what();
            return -1;
        }
    }

    void SetupNewText(kv::TKVQRDBText *text, int field, const QString &hint) override
    {
        TfrmVRBaseFmt::SetupNewText(text, field, hint);
        if (failSetup)
            throw std::runtime_error("no room on the band");
    }

    std::string sql() const
    {
        const SqlParts &base = SQLReBuilder->baseSQL();
        return base.select + " " + base.from + " " + base.orderBy;
    }

    kv::TQRGroup *group = nullptr;
    QPointer<kv::TQRGroup> lookupGroup;
    kv::TQRBand *detail = nullptr;
    kv::TQRLabel *lblTitle = nullptr;
    kv::TQRShape *shpLine = nullptr;
    kv::TKVQRDBText *txtItem = nullptr;
    int nameField = -1;
    int codeField = -1;
    bool failSetup = false;
    std::string lastError;
};

// The payload of a drag of row values from a list or tool.
std::unique_ptr<QMimeData> dragOf(const QString &source, const QStringList &values)
{
    auto data = std::make_unique<QMimeData>();
    kv::DesignDrag::encode(*data, {source, values});
    return data;
}

// A row of the field list for a builder field, as the list view holds it.
std::unique_ptr<QMimeData> fieldDrag(const kv::TVRSQLBuilder &builder, int field)
{
    const auto &entry = builder.fields().at(std::size_t(field));
    return dragOf(QStringLiteral("lvExtending"),
                  {QString::fromStdString(entry.hint), QString::fromStdString(entry.name),
                   QString::fromStdString(entry.hint), QString::number(entry.table), QString::number(field)});
}

class ExtendTest : public LayoutTest {
protected:
    ExtendLayout *newLayout()
    {
        extend = kv::TKVForm::Create<ExtendLayout>(owner.data());
        return extend;
    }

    // A further, unchanged instance, as saving and loading a stored layout make.
    ExtendLayout *newPristine()
    {
        others.push_back(kv::TKVForm::Create<ExtendLayout>(owner.data()));
        return others.back();
    }

    void TearDown() override
    {
        if (extend)
            extend->Free();
        for (const QPointer<ExtendLayout> &other : others)
            if (other)
                other->Free();
        LayoutTest::TearDown();
    }

    QPointer<ExtendLayout> extend;
    std::vector<QPointer<ExtendLayout>> others;
};

TEST_F(ExtendTest, FieldsDroppedFromTheListBecomeTextsAndBarcodesOnce)
{
    ExtendLayout *layout = newLayout();
    layout->SQLReBuilder->setMaxComponentNum(4);
    const auto name = fieldDrag(*layout->SQLReBuilder, layout->nameField);
    ASSERT_TRUE(layout->DreamDesigner1DragOver(layout->detail, {30, 5}, *name));
    layout->DreamDesigner1DragDrop(layout->detail, {30, 5}, *name);
    // The field has its component now: a second drop is refused.
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {60, 5}, *name));
    layout->DreamDesigner1DragDrop(layout->detail, {60, 5}, *name);

    const auto texts = layout->detail->findChildren<kv::TKVQRDBText *>(QStringLiteral("ExTxtRT1MB0024"));
    ASSERT_EQ(texts.size(), 1);
    kv::TKVQRDBText *text = texts.first();
    EXPECT_EQ(layout->findChildren<kv::TKVQRDBText *>().size(), 2); // txtItem and the new one
    EXPECT_EQ(text->left(), 30);
    EXPECT_EQ(text->top(), 5);
    EXPECT_EQ(text->width(), 100);
    EXPECT_EQ(text->height(), 13);
    EXPECT_EQ(text->dataSet(), layout->ClientDataSet1);
    EXPECT_EQ(text->dataField(), QStringLiteral("RT1MB002"));
    EXPECT_EQ(text->hint(), QStringLiteral("品名"));
    EXPECT_FALSE(text->autoSize());
    EXPECT_EQ(text->textType(), 0);
    EXPECT_TRUE(layout->SQLReBuilder->fields()[std::size_t(layout->nameField)].used);
    EXPECT_EQ(layout->SQLReBuilder->FieldOfComponent("ExTxtRT1MB0024"), layout->nameField);

    const auto code = fieldDrag(*layout->SQLReBuilder, layout->codeField);
    layout->DreamDesigner1DragDrop(layout->group, {10, 2}, *code);
    auto *barcode = layout->group->findChild<kv::TKvQRDBBarcode *>(QStringLiteral("ExBcRT1MB0015"));
    ASSERT_NE(barcode, nullptr);
    EXPECT_EQ(barcode->left(), 10);
    EXPECT_EQ(barcode->height(), 105);
    EXPECT_EQ(barcode->dataSet(), layout->ClientDataSet1);
    EXPECT_EQ(barcode->dataField(), QStringLiteral("RT1MB001"));
    EXPECT_EQ(barcode->text(), QStringLiteral("1234"));
    EXPECT_EQ(barcode->textPosition(), kv::TKvQRDBBarcode::tpBottomCenter);
    EXPECT_TRUE(barcode->autoSize());
    EXPECT_FALSE(barcode->eventOnInvalidChar().isEmpty());

    EXPECT_EQ(layout->UserComponents, (QStringList{"ExTxtRT1MB0024", "ExBcRT1MB0015"}));
    EXPECT_EQ(layout->SQLReBuilder->maxComponentNum(), 6);
    EXPECT_TRUE(layout->DesignerMayDelete);
    // The extended select list prints the two aliases.
    EXPECT_NE(layout->SQLReBuilder->GetExtendedSelect().find("RT1.MB002 AS RT1MB002"), std::string::npos);
    EXPECT_NE(layout->SQLReBuilder->GetExtendedSelect().find("RT1.MB001 AS RT1MB001"), std::string::npos);
}

TEST_F(ExtendTest, TheLabelToolCreatesNumberedLabelsAndSkipsTakenNames)
{
    ExtendLayout *layout = newLayout();
    // A stored layout created ExLbl0 already, without its count.
    auto *stored = new kv::TQRLabel(layout->detail);
    stored->setObjectName(QStringLiteral("ExLbl0"));
    const auto tool = dragOf(QStringLiteral("tbLabel"), {QStringLiteral("新建标签")});
    ASSERT_TRUE(layout->DreamDesigner1DragOver(layout->detail, {5, 3}, *tool));
    layout->DreamDesigner1DragDrop(layout->detail, {5, 3}, *tool);
    layout->DreamDesigner1DragDrop(layout->detail, {120, 3}, *tool);

    auto *first = layout->detail->findChild<kv::TQRLabel *>(QStringLiteral("ExLbl1"));
    auto *second = layout->detail->findChild<kv::TQRLabel *>(QStringLiteral("ExLbl2"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->caption(), QStringLiteral("新建标签"));
    EXPECT_EQ(first->hint(), QStringLiteral("新建标签"));
    EXPECT_FALSE(first->autoSize());
    EXPECT_EQ(first->width(), 100);
    EXPECT_EQ(first->height(), 13);
    EXPECT_EQ(second->left(), 120);
    EXPECT_EQ(layout->UserComponents, (QStringList{"ExLbl1", "ExLbl2"}));
    EXPECT_EQ(layout->SQLReBuilder->maxComponentNum(), 3);
}

TEST_F(ExtendTest, NewComponentsGoOnlyOnBandsThatPrintTheReportRecords)
{
    ExtendLayout *layout = newLayout();
    const auto name = fieldDrag(*layout->SQLReBuilder, layout->nameField);
    const auto tool = dragOf(QStringLiteral("tbLabel"), {QStringLiteral("新建标签")});
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->lookupGroup, {5, 5}, *name));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->lookupGroup, {5, 5}, *tool));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(nullptr, {5, 5}, *tool));
    layout->DreamDesigner1DragDrop(layout->lookupGroup, {5, 5}, *name);
    EXPECT_TRUE(layout->lookupGroup->printables().isEmpty());
    EXPECT_FALSE(layout->SQLReBuilder->fields()[std::size_t(layout->nameField)].used);
    EXPECT_TRUE(layout->UserComponents.isEmpty());

    EXPECT_TRUE(layout->DreamDesigner1DragOver(layout->group, {5, 5}, *name));
    EXPECT_TRUE(layout->DreamDesigner1DragOver(layout->detail, {5, 5}, *name));

    // Rows that do not name a field of the builder, or name it under another
    // table, are stale lists: refused.
    EXPECT_FALSE(layout->DreamDesigner1DragOver(
        layout->detail, {5, 5}, *dragOf("lvExtending", {"品名", "MB002", "品名", "0", "7"})));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(
        layout->detail, {5, 5}, *dragOf("lvExtending", {"品名", "MB002", "品名", "1", "0"})));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {5, 5}, *dragOf("lvExtending", {"品名"})));
    QMimeData foreign;
    foreign.setText(QStringLiteral("lvExtending"));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {5, 5}, foreign));
}

TEST_F(ExtendTest, ComponentsOfOtherListsMoveWithinTheirOwnBand)
{
    ExtendLayout *layout = newLayout();
    std::vector<QObject *> selected;
    layout->DesignerSelect = [&](QObject *object) { selected.push_back(object); };
    const auto title = dragOf(QStringLiteral("lvFields"), {"品号", "Label", "lblTitle"});
    EXPECT_TRUE(layout->DreamDesigner1DragOver(layout->detail, {70, 8}, *title));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {70, 0}, *title));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {70, 20}, *title));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->group, {70, 8}, *title));
    // A line is no printed field; an unknown name is nothing to move.
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {70, 8}, *dragOf("lvFields", {"", "", "shpLine"})));
    EXPECT_FALSE(layout->DreamDesigner1DragOver(layout->detail, {70, 8}, *dragOf("lvFields", {"", "", "lblNone"})));

    layout->DesignerMayDelete = true;
    layout->DreamDesigner1DragDrop(layout->group, {70, 8}, *title);
    EXPECT_EQ(layout->lblTitle->left(), 0);
    layout->lblTitle->setEnabled(false);
    layout->DreamDesigner1DragDrop(layout->detail, {70, 8}, *title);
    EXPECT_EQ(layout->lblTitle->left(), 70);
    EXPECT_EQ(layout->lblTitle->top(), 8);
    EXPECT_TRUE(layout->lblTitle->isEnabled());
    EXPECT_EQ(selected, (std::vector<QObject *>{layout->detail, layout->lblTitle}));
    EXPECT_TRUE(layout->UserComponents.isEmpty());
    // A built-in component stays one the designer may not delete.
    EXPECT_FALSE(layout->DesignerMayDelete);

    // Data texts move too.
    layout->DreamDesigner1DragDrop(layout->detail, {90, 4}, *dragOf("lvFields", {"", "", "txtItem"}));
    EXPECT_EQ(layout->txtItem->left(), 90);
}

TEST_F(ExtendTest, DeletingAUserComponentFreesItsFieldAndThePropertyViewKnowsWhatMayGo)
{
    ExtendLayout *layout = newLayout();
    const auto name = fieldDrag(*layout->SQLReBuilder, layout->nameField);
    layout->DreamDesigner1DragDrop(layout->detail, {30, 5}, *name);
    auto *text = layout->detail->findChild<kv::TKVQRDBText *>(QStringLiteral("ExTxtRT1MB0020"));
    ASSERT_NE(text, nullptr);

    layout->DreamDesigner1ShowProperty(layout->lblTitle);
    EXPECT_FALSE(layout->DesignerMayDelete);
    layout->DreamDesigner1ShowProperty(text);
    EXPECT_TRUE(layout->DesignerMayDelete);

    // A built-in component is no user component: nothing changes.
    layout->DreamDesigner1DeleteComponent(layout->txtItem);
    EXPECT_EQ(layout->UserComponents, QStringList{"ExTxtRT1MB0020"});

    layout->DreamDesigner1DeleteComponent(text);
    delete text;
    EXPECT_TRUE(layout->UserComponents.isEmpty());
    EXPECT_FALSE(layout->SQLReBuilder->fields()[std::size_t(layout->nameField)].used);
    EXPECT_EQ(layout->SQLReBuilder->FieldOfComponent("ExTxtRT1MB0020"), -1);
    // The field can be dropped again, under the next number.
    layout->DreamDesigner1DragDrop(layout->detail, {30, 5}, *name);
    EXPECT_NE(layout->detail->findChild<kv::TKVQRDBText *>(QStringLiteral("ExTxtRT1MB0021")), nullptr);
}

TEST_F(ExtendTest, AFailedCreationIsReportedAndLeavesNothingBehind)
{
    ExtendLayout *layout = newLayout();
    layout->failSetup = true;
    prompter->answerMessage(kv::mrOk);
    layout->DreamDesigner1DragDrop(layout->detail, {30, 5}, *fieldDrag(*layout->SQLReBuilder, layout->nameField));
    ASSERT_EQ(prompter->messageTexts().size(), 1u);
    EXPECT_EQ(QString::fromStdString(prompter->messageTexts().front()).trimmed(),
              QStringLiteral("Create Error no room on the band"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(layout->detail->findChildren<kv::TKVQRDBText *>().size(), 1); // txtItem only
    EXPECT_TRUE(layout->UserComponents.isEmpty());
    EXPECT_FALSE(layout->SQLReBuilder->fields()[std::size_t(layout->nameField)].used);
}

TEST_F(ExtendTest, TheBuilderRelationsTravelWithTheLayoutAsAProperty)
{
    ExtendLayout *layout = newLayout();
    layout->DreamDesigner1DragDrop(layout->detail, {30, 5}, *fieldDrag(*layout->SQLReBuilder, layout->codeField));
    const QStringList stored = layout->SQLReBuilder->property("Relations").toStringList();
    ASSERT_EQ(stored.size(), 3);

    // A fresh instance of the layout, as loading a stored layout makes it.
    kv::TVRSQLBuilder loaded;
    loaded.SetBaseSQL(layout->SQLReBuilder->baseSQL());
    ASSERT_TRUE(loaded.setProperty("Relations", stored));
    EXPECT_TRUE(loaded.relationsError().isEmpty());
    EXPECT_EQ(loaded.relations(), stored);
    EXPECT_EQ(loaded.FieldOfComponent("ExBcRT1MB0010"), layout->codeField);
    EXPECT_EQ(loaded.GetExtendedSelect(), layout->SQLReBuilder->GetExtendedSelect());
    EXPECT_EQ(loaded.GetExtendedJoin(), layout->SQLReBuilder->GetExtendedJoin());

    // Damaged relations change nothing and say why.
    for (const QStringList &damaged :
         {QStringList{R"(["F",0,"MB002","品名",0,""])"}, QStringList{stored.at(0), R"(["T","$$X"])"},
          QStringList{stored.at(0), QStringLiteral("not json")}, QStringList{stored.at(0), R"(["F",-1,"A","",0,""])"}}) {
        loaded.setRelations(damaged);
        EXPECT_FALSE(loaded.relationsError().isEmpty()) << damaged.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(loaded.relations(), stored);
    }
}

TEST_F(ExtendTest, AStoredLayoutTextBringsTheExtensionFieldsBackWithTheirComponents)
{
    ExtendLayout *layout = newLayout();
    layout->DreamDesigner1DragDrop(layout->detail, {30, 5}, *fieldDrag(*layout->SQLReBuilder, layout->codeField));
    const std::string stored = kv::GetMyNeedProp(kv::LayoutText::WriteDifferences(*layout, *newPristine()));
    const std::size_t block = stored.find("inherited SQLReBuilder: TVRSQLBuilder");
    ASSERT_NE(block, std::string::npos) << stored;
    const std::string builder = stored.substr(block, stored.find("end", block) - block);
    EXPECT_NE(builder.find("MaxComponentNum = 1"), std::string::npos) << builder;
    EXPECT_NE(builder.find("Relations = "), std::string::npos) << builder;
    // The builder's switch belongs to the condition window, not the layout.
    EXPECT_EQ(builder.find("Enabled"), std::string::npos) << builder;

    ExtendLayout *loaded = newPristine();
    std::vector<kv::LayoutProblem> problems;
    ASSERT_TRUE(kv::LayoutText::Read(*loaded, stored, problems));
    EXPECT_TRUE(problems.empty()) << problems.front().message;
    EXPECT_EQ(loaded->SQLReBuilder->relations(), layout->SQLReBuilder->relations());
    EXPECT_EQ(loaded->SQLReBuilder->FieldOfComponent("ExBcRT1MB0010"), layout->codeField);
    EXPECT_NE(loaded->findChild<kv::TKvQRDBBarcode *>("ExBcRT1MB0010"), nullptr);

    // A text may not switch the builder through the layout.
    const std::string rootLine = stored.substr(0, stored.find('\n') + 1);
    ASSERT_TRUE(kv::LayoutText::Read(
        *loaded, rootLine + "  inherited SQLReBuilder: TVRSQLBuilder\n    Enabled = False\n  end\nend\n", problems));
    EXPECT_TRUE(loaded->SQLReBuilder->isEnabled());
    EXPECT_FALSE(problems.empty());
}

TEST_F(ExtendTest, TheToolWindowListsTheFieldsAndItsDragsCreateComponents)
{
    ExtendLayout *layout = newLayout();
    layout->ShowExtensionTools();
    kv::ExtensionToolWindow *tools = layout->ExtensionTools();
    ASSERT_NE(tools, nullptr);
    auto *list = tools->findChild<kv::ExtensionFieldList *>(QStringLiteral("lvExtending"));
    auto *button = tools->findChild<QPushButton *>(QStringLiteral("btnRelation"));
    auto *label = tools->findChild<kv::DragToolButton *>(QStringLiteral("tbLabel"));
    ASSERT_TRUE(list && button && label);
    EXPECT_EQ(button->text(), QStringLiteral("关联表..."));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->rowValues(1), (QStringList{"品号条码", "MB001", "品号条码", "0", "1"}));

    // The list's own drag payload is what the drop handlers read.
    std::unique_ptr<QMimeData> row(list->dragData(0));
    ASSERT_NE(row, nullptr);
    layout->DreamDesigner1DragDrop(layout->detail, {10, 2}, *row);
    ASSERT_NE(layout->detail->findChild<kv::TKVQRDBText *>(QStringLiteral("ExTxtRT1MB0020")), nullptr);
    // The list shows the field as used: it cannot be dragged again.
    EXPECT_FALSE(list->topLevelItem(0)->flags().testFlag(Qt::ItemIsDragEnabled));
    EXPECT_TRUE(list->topLevelItem(1)->flags().testFlag(Qt::ItemIsDragEnabled));

    std::unique_ptr<QMimeData> tool(label->dragData());
    layout->DreamDesigner1DragDrop(layout->detail, {150, 2}, *tool);
    EXPECT_NE(layout->detail->findChild<kv::TQRLabel *>(QStringLiteral("ExLbl1")), nullptr);

    // Showing it again reuses the one window.
    layout->ShowExtensionTools();
    EXPECT_EQ(layout->findChildren<kv::ExtensionToolWindow *>().size(), 1);
}

TEST_F(ExtendTest, TheRelationButtonWithoutTheWizardLibrarySaysSo)
{
    ExtendLayout *layout = newLayout();
    QTemporaryDir client;
    layout->ClientRoot = client.path().toStdString() + "/";
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(layout->RunRelationWizard());
    ASSERT_EQ(prompter->messageTexts().size(), 1u);
    EXPECT_EQ(QString::fromStdString(prompter->messageTexts().front()).trimmed(), QStringLiteral("DLL Call Error"));
}

// The document helper starts from the client's helper folder, working there.
TEST_F(ExtendTest, TheDocumentHelperStartsInTheClientHelperFolder)
{
    ExtendLayout *layout = newLayout();
    QTemporaryDir client;
    layout->ClientRoot = client.path().toStdString() + "/";
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(layout->mnuDOCtoEMFClick());
    ASSERT_EQ(prompter->messageTexts().size(), 1u);
    EXPECT_NE(prompter->messageTexts().front().find("doc2emf"), std::string::npos);
    EXPECT_NE(prompter->messageTexts().front().find(layout->ClientRoot + "C_KVBIN/"), std::string::npos);

    ASSERT_TRUE(QDir(client.path()).mkdir(QStringLiteral("C_KVBIN")));
    const QString helper = client.filePath(QStringLiteral("C_KVBIN/doc2emf"));
    const QString marker = client.filePath(QStringLiteral("started"));
    {
        QFile script(helper);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(("#!/bin/sh\npwd > '" + marker + ".tmp' && echo \"$#\" >> '" + marker + ".tmp' && mv '" +
                      marker + ".tmp' '" + marker + "'\n")
                         .toUtf8());
    }
    QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(layout->mnuDOCtoEMFClick());
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(marker) && waited.elapsed() < 10000)
        QThread::msleep(20);
    QFile started(marker);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(started.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(QDir(lines[0]).canonicalPath(), QDir(client.filePath(QStringLiteral("C_KVBIN"))).canonicalPath());
    EXPECT_EQ(lines[1], QStringLiteral("0")); // no arguments: the helper shows its window
}

// ---------------------------------------------------------------- on the real server

class ExtendServerTest : public ExtendTest {
protected:
    void SetUp() override
    {
        ExtendTest::SetUp();
        company = database.createCompany("EX");
        shared = std::shared_ptr<slip::Database>(database.db.get(), [](slip::Database *) {});
        programServer = std::make_shared<slip::ProgramServer>(
            shared, slip::ServerConfig::sqlite(database.dir.path().toStdString()));
        std::vector<Variant> connect{kv::varArrayOf({"QIPR07", "0001", "01", company, "MOCTE", {}, {}, {}})};
        programServer->invoke("Connect", connect, kv::InvokeKind::Method);
        insert("MOCTE", {{"TE001", "5401"}, {"TE002", "0001"}, {"TE003", "0001"}, {"TE004", "A-100"}});
        insert("MOCTE", {{"TE001", "5401"}, {"TE002", "0001"}, {"TE003", "0002"}, {"TE004", "B-200"}});
        insert("INVMB", {{"MB001", "A-100"}, {"MB002", "螺丝"}});
        insert("INVMB", {{"MB001", "B-200"}, {"MB002", "垫片"}});
    }

    void insert(const char *table, std::initializer_list<std::pair<const char *, const char *>> row)
    {
        std::string columns, values;
        slip::SqlParams params;
        for (const auto &[column, value] : row) {
            columns += (columns.empty() ? "" : ", ") + std::string(column);
            values += (values.empty() ? ":" : ", :") + std::string(column);
            params.emplace_back(column, Variant(value));
        }
        database.db->execute("INSERT INTO " + database.table(company, table) + " (" + columns + ") VALUES (" +
                                 values + ")",
                             params);
    }

    ExtendLayout *connectedLayout()
    {
        ExtendLayout *layout = newLayout();
        layout->ClientDataSet1->setRemoteServer(programServer);
        layout->ClientDataSet1->setProviderName("Provider1");
        return layout;
    }

    std::string extended(ExtendLayout *layout)
    {
        std::string sql;
        layout->ExtendSQL(layout->sql(), sql);
        return sql;
    }

    dbtest::TestDatabase database{slip::DbEngine::SQLite};
    std::string company;
    std::shared_ptr<slip::Database> shared;
    std::shared_ptr<slip::ProgramServer> programServer;
};

TEST_F(ExtendServerTest, AUsedFieldJoinsItsTableAndPrintsItsValues)
{
    ExtendLayout *layout = connectedLayout();
    layout->DreamDesigner1DragDrop(layout->detail, {140, 2}, *fieldDrag(*layout->SQLReBuilder, layout->nameField));
    const std::string sql = extended(layout);
    EXPECT_NE(sql.find("LEFT JOIN $$INVMB RT1 ON TE.TE004 = RT1.MB001"), std::string::npos) << sql;
    ASSERT_EQ(layout->OpenData(sql), 1) << layout->lastError;
    delete layout->lookupGroup.data(); // it prints look-ups this run has none of
    const std::vector<Form> forms = [&] {
        EXPECT_TRUE(layout->GeneratePages());
        return formsOf(*layout->QuickRep1->pages());
    }();
    ASSERT_FALSE(forms.empty());
    EXPECT_EQ(forms.front().all(QStringLiteral("ExTxtRT1MB0020")), (QStringList{"螺丝", "垫片"}));
    EXPECT_EQ(forms.front().all(QStringLiteral("txtItem")), (QStringList{"A-100", "B-200"}));
}

TEST_F(ExtendServerTest, FieldsAndTablesOutsideTheSchemaAreRefusedByTheServer)
{
    ExtendLayout *layout = connectedLayout();
    const int unknownColumn = layout->SQLReBuilder->AddField(0, "MB999", "没有的栏位");
    layout->SQLReBuilder->SetFieldUsed(unknownColumn, "ExTxtRT1MB9990");
    EXPECT_EQ(layout->OpenData(extended(layout)), -1);
    EXPECT_NE(layout->lastError.find("MB999"), std::string::npos) << layout->lastError;

    layout->SQLReBuilder->SetFieldUsed(unknownColumn, {});
    const int table = layout->SQLReBuilder->AddTable("$$NOSUCH", "TE.TE004 = RT2.MB001");
    const int field = layout->SQLReBuilder->AddField(table, "MB002", "");
    layout->SQLReBuilder->SetFieldUsed(field, "ExTxtRT2MB0020");
    EXPECT_EQ(layout->OpenData(extended(layout)), -1);
    EXPECT_NE(QString::fromStdString(layout->lastError).toUpper().indexOf(QStringLiteral("NOSUCH")), -1)
        << layout->lastError;
}

} // namespace
