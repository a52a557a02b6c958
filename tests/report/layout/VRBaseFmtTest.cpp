// The report layout window: capital amounts, the text-type print handlers
// and barcode replacements on a printed run, page generation with its
// progress window (cancel, other windows disabled, faults reported), the
// preview and its send buttons, direct printing, the SQL builder's
// extension of the report SQL and the server calls through the owner.

#include "LayoutTestSupport.h"

#include "platform/report/TKvQRDBBarcode.h"
#include "report/layout/PageProgressWindow.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace layouttest;
using kv::varArrayOf;

namespace {

// A layout of one detail band with a field of each text type and a barcode.
class TextLayout : public kv::TfrmVRBaseFmt {
public:
    explicit TextLayout(QWidget *owner = nullptr) : TfrmVRBaseFmt(owner)
    {
        detail = new kv::TQRBand(QuickRep1, kv::TQRBand::rbDetail);
        detail->setObjectName(QStringLiteral("QRDetailBand"));
        detail->setHeight(20);
        int left = 0;
        const auto field = [&](const char *name, const char *dataField, int type) {
            auto *text = new kv::TKVQRDBText(detail);
            text->setObjectName(QLatin1String(name));
            text->setDataSet(ClientDataSet1);
            text->setDataField(QLatin1String(dataField));
            text->setTextType(type);
            text->setLeft(left);
            text->setWidth(200);
            text->setHeight(14);
            left += 210;
            return text;
        };
        field("txtDate", "DATE", 1);
        field("txtPercent", "PCT", 2);
        field("txtAmount", "AMOUNT", 3);
        txtCode = field("txtCode", "CODE", 5);
        txtCode->setDictionary(QStringLiteral("11\x03十一||1\x03一||2\x03二||"));
        barcode = new kv::TKvQRDBBarcode(detail);
        barcode->setObjectName(QStringLiteral("bcCode"));
        barcode->setDataField(QStringLiteral("CODE"));
        barcode->setBarcodeType(kv::TKvQRDBBarcode::bcCode128C);
        barcode->setTop(14);
        barcode->setWidth(100);
        barcode->setHeight(5);
        barcode->setEventOnInvalidChar(kv::EventHandler(
            [this](QObject *sender, kv::EventArgs &args) { OnBarCodeInvalidChar(sender, args); }));
    }

    void open(const std::vector<std::vector<std::string>> &rows)
    {
        kv::ResultTable::Builder builder;
        for (const char *name : {"DATE", "PCT", "AMOUNT", "CODE"})
            builder.addColumn(name, kv::FieldType::Text);
        for (const auto &row : rows) {
            for (int column = 0; column < 4; ++column)
                builder.setText(column, row[std::size_t(column)]);
            builder.endRow();
        }
        ClientDataSet1->setData(builder.finish());
    }

    kv::TQRBand *detail = nullptr;
    kv::TKVQRDBText *txtCode = nullptr;
    kv::TKvQRDBBarcode *barcode = nullptr;
};

// A fax server object that names two servers.
class FaxServer : public kv::DispatchObject {
public:
    FaxServer() : DispatchObject("QRMFAX.APP")
    {
        addMethod("RefreshFaxServerInfo", 0, 0, [](std::vector<Variant> &) { return Variant(); });
        addMethod("FaxServerCount", 0, 0, [](std::vector<Variant> &) { return Variant(2); });
        addMethod("GetFaxServerInfo", 3, 3, [](std::vector<Variant> &args) {
            const int index = args[0].toInt();
            args[1].assign(Variant(index == 0 ? "总部" : "工厂"));
            args[2].assign(Variant(index == 0 ? "127.0.0.1" : "10.0.0.9"));
            return Variant();
        });
    }
};

std::string capital(kv::TfrmVRBaseFmt &layout, const std::string &text)
{
    std::string result;
    layout.AmountToChinese(text, result);
    return result;
}

std::string digits(kv::TfrmVRBaseFmt &layout, const std::string &text)
{
    std::string result = "unchanged";
    layout.DigitsToChinese(text, result);
    return result;
}

} // namespace

class BaseFmtTest : public LayoutTest {
protected:
    void TearDown() override
    {
        if (textLayout)
            textLayout->Free();
        LayoutTest::TearDown();
    }
    TextLayout *createTextLayout()
    {
        textLayout = kv::TKVForm::Create<TextLayout>(owner.data());
        textLayout->DateType = 1;
        textLayout->DateFormat = "/";
        return textLayout;
    }
    QPointer<TextLayout> textLayout;
};

TEST_F(BaseFmtTest, CapitalAmounts)
{
    TextLayout &layout = *createTextLayout();
    EXPECT_EQ(capital(layout, "-1,234.50"), "负壹仟贰佰叁拾肆元伍角");
    EXPECT_EQ(capital(layout, "0.05"), "伍分");
    EXPECT_EQ(capital(layout, "10000"), "壹万元整");
    EXPECT_EQ(capital(layout, "10100"), "壹万零壹佰元整");
    EXPECT_EQ(capital(layout, "12.05"), "壹拾贰元零伍分");
    EXPECT_EQ(capital(layout, "12.3"), "壹拾贰元叁角");
    EXPECT_EQ(capital(layout, "0.8"), "捌角");
    EXPECT_EQ(capital(layout, "1001.999"), "壹仟零壹元玖角玖分");
    EXPECT_EQ(capital(layout, "100000001"), "壹亿零壹元整");
    EXPECT_EQ(capital(layout, "100010000"), "壹亿零壹万元整");
    // Beyond 亿 the magnitude is kept: 万亿, and 亿 itself when its group is empty.
    EXPECT_EQ(capital(layout, "1,000,000,000,000"), "壹万亿元整");
    EXPECT_EQ(capital(layout, "1,0002,0000,0000"), "壹万零贰亿元整");
    // Not a number, nothing, zero, or less than a fen.
    for (const char *text : {"abc", "", "-0", "0.00", "1e3", "12-3", "0.001"})
        EXPECT_EQ(capital(layout, text), "零元整") << text;

    EXPECT_EQ(digits(layout, "1001"), "壹仟零壹");
    EXPECT_EQ(digits(layout, "0101"), "壹佰零壹");
    EXPECT_EQ(digits(layout, "1010"), "壹仟零壹拾");
    EXPECT_EQ(digits(layout, "0000"), "");
    EXPECT_EQ(digits(layout, "12a4"), "");
    EXPECT_EQ(digits(layout, "123"), "");
    // The numerals are the hidden memo's lines, the unit blank trimmed.
    EXPECT_EQ(layout.ChineseNumerals[15], "");
    EXPECT_EQ(layout.ChineseNumerals[19], "整");
}

TEST_F(BaseFmtTest, TextTypesAndBarcodesOnAPrintedRun)
{
    TextLayout &layout = *createTextLayout();
    layout.ConnectData();
    // A barcode without data set prints the report's records.
    EXPECT_EQ(layout.barcode->dataSet(), layout.ClientDataSet1);
    layout.open({{"20240105", "0.125", "-1,234.50", "1"},
                 {"", "abc", "0.05", "11"},
                 {"2024013x", "3", "x", "9A9"}});
    ASSERT_TRUE(layout.GeneratePages());
    const std::vector<Form> forms = formsOf(*layout.QuickRep1->pages());
    ASSERT_EQ(forms.size(), 1u);
    const Form &form = forms[0];
    // An empty date prints nothing, a text that is no date stays.
    EXPECT_EQ(form.all("txtDate"), (QStringList{"2024/01/05", "2024013x"}));
    EXPECT_EQ(form.all("txtPercent"), (QStringList{"12.5%", "0%", "300%"}));
    EXPECT_EQ(form.all("txtAmount"), (QStringList{"负壹仟贰佰叁拾肆元伍角", "伍分", "零元整"}));
    // "1" is not found inside the entry of "11"; a value without entry stays.
    EXPECT_EQ(form.all("txtCode"), (QStringList{"一", "十一", "9A9"}));
    // Code 128 C carries digits only: a letter becomes "00".
    EXPECT_EQ(layout.barcode->printedData(), QStringLiteral("9009"));
    EXPECT_TRUE(layout.barcode->lastError().isEmpty());

    kv::BarcodeInvalidCharArgs args;
    for (const auto &[kind, replacement] : std::vector<std::pair<int, std::string>>{{22, "00"}, {12, "0"}, {3, " "}}) {
        args.barcodeType = kind;
        layout.OnBarCodeInvalidChar(nullptr, args);
        EXPECT_EQ(args.replacement, replacement) << kind;
    }

    // Text type 0 drops a handler; a type out of range leaves it.
    layout.txtCode->setTextType(0);
    layout.BindOnPrint(layout.txtCode);
    EXPECT_TRUE(layout.txtCode->eventOnPrint().isEmpty());
    layout.txtCode->setTextType(2);
    layout.BindOnPrint(layout.txtCode);
    layout.txtCode->setTextType(9);
    layout.BindOnPrint(layout.txtCode);
    EXPECT_EQ(layout.txtCode->eventOnPrint().methodName(), "OnPercentPrint");
}

TEST_F(BaseFmtTest, ConnectDataBindsTheServerAndConvertsOnlyFieldsWithoutHandlers)
{
    TextLayout &layout = *createTextLayout();
    auto *plain = new kv::TKVQRDBText(layout.detail);
    auto *own = new kv::TKVQRDBText(layout.detail);
    own->setEventOnPrint(kv::EventHandler([](QObject *, kv::EventArgs &) {}, "ownPrint"));
    layout.ConvertData = true;
    layout.ConnectData();
    EXPECT_EQ(layout.ClientDataSet1->ProviderName(), "Provider1");
    EXPECT_EQ(layout.ClientDataSet2->ProviderName(), "Provider2");
    EXPECT_EQ(plain->eventOnPrint().methodName(), "OnConvertPrint");
    EXPECT_EQ(own->eventOnPrint().methodName(), "ownPrint");
    // Fields with a text type keep the handler of their type.
    EXPECT_EQ(layout.txtCode->eventOnPrint().methodName(), "OnDictionaryPrint");

    // Without extension fields the user's own components are switched off.
    layout.UserComponents = QStringList{QStringLiteral("txtCode"), QStringLiteral("bcCode"), QStringLiteral("gone")};
    layout.DisableUserComponents();
    EXPECT_FALSE(layout.txtCode->isEnabled());
    EXPECT_FALSE(layout.barcode->isEnabled());
    EXPECT_EQ(layout.barcode->dataSet(), nullptr);
    EXPECT_TRUE(plain->isEnabled());
}

TEST_F(BaseFmtTest, PreviewGetsThePagesAndTheSendButtonsTheModesAllow)
{
    openLayout(slipTable({{"5401", "A001", 25}}));
    layout->QuickRep1->setReportTitle(QStringLiteral("示范公司 - 领料单打印"));
    layout->ShowPreview();
    ASSERT_EQ(previewer->requests.size(), 1u);
    kv::PreviewRequest request = previewer->requests[0];
    EXPECT_EQ(request.layout, layout.data());
    EXPECT_EQ(request.report, layout->QuickRep1);
    EXPECT_EQ(previewer->pageCounts[0], 2);
    EXPECT_EQ(request.firstPage, 1);
    EXPECT_EQ(request.zoom, 100);
    EXPECT_FALSE(request.emailVisible);
    EXPECT_FALSE(request.faxVisible);
    EXPECT_EQ(layout->QuickRep1->reportTitle(), QStringLiteral("示范公司 - 领料单打印"));

    layout->SendModes = 1;
    layout->ShowPreview();
    EXPECT_TRUE(previewer->requests.back().emailVisible);
    EXPECT_FALSE(previewer->requests.back().faxVisible);

    // Fax allowed but no fax server object: neither way of sending.
    layout->SendModes = 3;
    layout->ShowPreview();
    request = previewer->requests.back();
    EXPECT_FALSE(request.sendEnabled);
    EXPECT_FALSE(request.emailVisible);
    EXPECT_FALSE(request.faxVisible);

    kv::OleClassRegistry::registerClass("QRMFAX.APP", [] { return std::make_shared<FaxServer>(); });
    layout->ShowPreview();
    kv::OleClassRegistry::unregisterClass("QRMFAX.APP");
    request = previewer->requests.back();
    EXPECT_TRUE(request.sendEnabled);
    EXPECT_TRUE(request.faxVisible);
    EXPECT_EQ(request.faxServers, (QStringList{"总部(127.0.0.1)", "工厂(10.0.0.9)"}));

    // Without a preview window the user is told so.
    kv::VRPreviewer::setCurrent(nullptr);
    prompter->answerMessage(kv::mrOk);
    layout->ShowPreview();
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(previewer->requests.size(), 4u);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseFmtTest, CancelStopsGenerationAndOtherWindowsComeBack)
{
    openLayout(slipTable({{"5401", "A001", 25}, {"5401", "A002", 25}}));
    QWidget other;
    other.show();
    bool otherEnabledWhileRunning = true;
    layout->QRDetailBand->setEventAfterPrint(kv::EventHandler([&](QObject *, kv::EventArgs &) {
        otherEnabledWhileRunning = otherEnabledWhileRunning && other.isEnabled();
        ASSERT_TRUE(layout->ProgressForm);
        if (layout->ClientDataSet1->RecNo() == 12)
            layout->ProgressForm->btnCancel->click();
    }));
    layout->ShowPreview();
    EXPECT_TRUE(previewer->requests.empty());
    EXPECT_TRUE(layout->QuickRep1->pages()->isCancelled());
    EXPECT_LT(layout->QuickRep1->pages()->formCount(), 5);
    EXPECT_FALSE(otherEnabledWhileRunning);
    EXPECT_TRUE(other.isEnabled());
    EXPECT_FALSE(layout->ProgressForm);
}

TEST_F(BaseFmtTest, RunFaultsAreReportedNotRaised)
{
    openLayout(slipTable({{"5401", "A001", 3}}));
    layout->txtTE004->setDataField(QStringLiteral("TE999"));
    prompter->answerMessage(kv::mrOk);
    EXPECT_FALSE(layout->GeneratePages());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("TE999"), std::string::npos);
    EXPECT_EQ(prompter->questions()[0].type, kv::MessageType::Error);

    // A printer that does not exist fails before any page is made.
    layout->txtTE004->setDataField(QStringLiteral("TE004"));
    layout->QuickRep1->setPrinterIndex(999);
    layout->PrintFileName.clear();
    prompter->answerMessage(kv::mrOk);
    layout->PageCount = -1;
    layout->PrintDirect();
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(layout->PageCount, -1);
    EXPECT_TRUE(prompter->allAnswered());
}

TEST_F(BaseFmtTest, PrintDirectWritesThePagesIntoAFileWhenAsked)
{
    QTemporaryDir folder;
    openLayout(slipTable({{"5401", "A001", 25}, {"5401", "A002", 2}}));
    layout->PrintFileName = folder.filePath(QStringLiteral("slips.pdf"));
    layout->PrintDirect();
    ASSERT_TRUE(QFile::exists(layout->PrintFileName));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {layout->PrintFileName});
    ASSERT_TRUE(info.waitForFinished(30000));
    // Four slip pages, two to a sheet.
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))));
    EXPECT_EQ(layout->PageCount, 4);
    EXPECT_TRUE(messages().empty());
}

TEST_F(BaseFmtTest, SqlBuilderExtendsTheReportSqlWithUsedFieldsOnly)
{
    TextLayout &layout = *createTextLayout();
    const kv::TfrmVRBaseFmt::SqlParts parts{"Select TC001,TC002 ", " From $$MOCTC MOCTC ", " Order by TC001 ",
                                            " Group By TC001,TC002 ", " Where TC009='Y' ", ""};
    const std::string sql = "Select TC001,TC002 From $$MOCTC MOCTC Where TC009='Y' Group By TC001,TC002 Order by TC001";
    EXPECT_TRUE(layout.SQLBuilderEmpty());
    EXPECT_TRUE(layout.CheckSQLBuilder(parts, false));
    layout.ResetSQLBuilder(parts, true, false);
    EXPECT_FALSE(layout.CheckSQLBuilder(parts, false));
    std::string extended;
    layout.ExtendSQL(sql, extended);
    EXPECT_EQ(extended, sql);

    kv::TVRSQLBuilder &builder = *layout.SQLReBuilder;
    const int table = builder.AddTable("$$CMSMQ", "RT1.MQ001=MOCTC.TC001");
    const int name = builder.AddField(table, "MQ002", "单据名称");
    builder.AddField(table, "MQ003", "单据性质");
    builder.SetFieldUsed(name, "ExTxtRT1MQ0021");
    layout.ExtendSQL(sql, extended);
    EXPECT_EQ(extended, "Select TC001,TC002, RT1.MQ002 AS RT1MQ002 From $$MOCTC MOCTC LEFT JOIN $$CMSMQ RT1 ON "
                        "RT1.MQ001=MOCTC.TC001 Where TC009='Y' Group By TC001,TC002, RT1.MQ002 Order by TC001");
    // A changed base SQL must be set again.
    kv::TfrmVRBaseFmt::SqlParts changed = parts;
    changed.where = " Where TC009='N' ";
    EXPECT_TRUE(layout.CheckSQLBuilder(changed, false));
    builder.setEnabled(false);
    layout.ExtendSQL(sql, extended);
    EXPECT_EQ(extended, sql);

    layout.InitSQLBuilder("QIPR07", "DS", "MOCTC", "DEMO", "01");
    EXPECT_EQ(builder.vrInfo(), (std::vector<std::string>{"QIPR07", "DS", "MOCTC", "DEMO", "01"}));
    EXPECT_NE(builder.boundFields().find("AMOUNT="), std::string::npos);
}

TEST_F(BaseFmtTest, ServerCallsGoThroughTheOwnersProgramServer)
{
    TextLayout &layout = *createTextLayout();
    layout.UpdatePrintCount("$$MOCTC", "TC010", "TC001='5401' and TC002='A001'");
    ASSERT_EQ(server->printCounts.size(), 1u);
    // The slip, then what the output was for the server's print ledger.
    const Variant &request = server->printCounts[0];
    ASSERT_EQ(request.array().elementCount(), 9u);
    EXPECT_EQ(request[0], Variant("$$MOCTC"));
    EXPECT_EQ(request[1], Variant("TC010"));
    EXPECT_EQ(request[2], Variant("TC001='5401' and TC002='A001'"));
    EXPECT_EQ(request[3], Variant(layout.PrintFileName.isEmpty() ? "1" : "2"));
    EXPECT_EQ(request[6], Variant(true));
    server->freeSqlRows = 4;
    EXPECT_EQ(layout.RunFreeSQL("UPDATE $$MOCTC SET TC010=TC010"), 4);

    auto *alone = kv::TKVForm::Create<kv::TfrmVRBaseFmt>();
    EXPECT_THROW(alone->RunFreeSQL("SELECT 1"), kv::DispatchError);
    alone->Free();
}
