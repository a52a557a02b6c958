// TfrmQipr07Fmt: construction of the detailed slip: report settings, bands,
// the printed fields and where they stand on the pre-printed form.

#include "qipr07/Qipr07Fmt.h"

#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"

#include <QFile>

// Qt's resource initialiser must be called outside any namespace.
static void initQipr07Resources()
{
    Q_INIT_RESOURCE(qipr07);
}

namespace kv {

namespace {

constexpr int kBandWidth = 740;
constexpr int kFieldHeight = 16;
// Fields the user places in design mode wait left of the page.
constexpr int kOffPage = -5000;

// The header grid of the form: four rows of boxes below the titles, three
// columns of caption and value.
constexpr int kGridTop = 60;
constexpr int kGridRow = 24;
constexpr int kTextInRow = 5;

int rowTop(int row)
{
    return kGridTop + row * kGridRow + kTextInRow;
}

QFont fieldFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    return font;
}

} // namespace

TfrmQipr07Fmt::TfrmQipr07Fmt(QWidget *owner) : TfrmQipr07Fmt(owner, HeaderOnly{})
{
    setObjectName(QStringLiteral("frmQipr07Fmt"));
    applyReportSettings(195, 63, 380, 225);
    buildHeader();
    buildLines();
    buildFooter();
    bindHandlers();
    loadPagePicture(QStringLiteral(":/qipr07/pictures/slip.svg"));
}

TfrmQipr07Fmt::TfrmQipr07Fmt(QWidget *owner, HeaderOnly) : TfrmVRFormat(owner)
{
    initQipr07Resources();
}

TfrmQipr07Fmt::~TfrmQipr07Fmt() = default;

// ---------------------------------------------------------------- settings

void TfrmQipr07Fmt::applyReportSettings(int header, int detail, int footer, int footerChild)
{
    // The zoom comes first: sizes set afterwards count at 100 %.
    QuickRep1->setZoom(100);
    QuickRep1->setPageStyle(Report::qrFullPage);
    const auto size = [](TQRBand *band, int height) {
        band->setWidth(kBandWidth);
        band->setHeight(height);
    };
    size(QRGroup, header);
    size(QRDetailBand, detail);
    size(QRGroupFooter, footer);
    size(GroupFooterChildBand, footerChild);
    QRGroup->setExpression(QStringLiteral("ClientDataSet1.TC001+ClientDataSet1.TC002"));

    // The line number and the footer's copy of the table date are not part
    // of this form; print date and time stay where the user can fetch them.
    for (TQRLabel *label : {lblSeq, lblCreateDate2}) {
        label->setEnabled(false);
        label->setLeft(kOffPage);
    }
}

void TfrmQipr07Fmt::loadPagePicture(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return; // a layout without its picture still prints every field
    QuickRep1->setPagePictureData(file.readAll());
    BackgroundFile = resource.toStdString();
}

// ---------------------------------------------------------------- fields

TKVQRDBText *TfrmQipr07Fmt::addField(TQRBand *band, const char *name, const char *dataField, const char *hint,
                                     int left, int top, int width, bool rightAligned)
{
    auto *field = new TKVQRDBText(band);
    field->setObjectName(QLatin1String(name));
    field->setDataSet(ClientDataSet1);
    field->setDataField(QLatin1String(dataField));
    field->setHint(QString::fromUtf8(hint));
    field->setFont(fieldFont());
    field->setLeft(left);
    field->setTop(top);
    field->setWidth(width);
    field->setHeight(kFieldHeight);
    field->setWordWrap(false);
    field->setAlignment(rightAligned ? ReportText::taRightJustify : ReportText::taLeftJustify);
    return field;
}

TKVQRDBText *TfrmQipr07Fmt::addHiddenField(TQRBand *band, const char *name, const char *dataField,
                                           const char *hint, bool rightAligned)
{
    const int waiting = int(band->findChildren<TKVQRDBText *>(QString(), Qt::FindDirectChildrenOnly).size());
    TKVQRDBText *field = addField(band, name, dataField, hint, kOffPage, (waiting % 10) * 18, 80, rightAligned);
    field->setEnabled(false);
    return field;
}

void TfrmQipr07Fmt::setCodes(TKVQRDBText *field, std::initializer_list<const char *> codes)
{
    QStringList list;
    for (const char *code : codes)
        list << QString::fromUtf8(code);
    field->setCodeList(list);
}

void TfrmQipr07Fmt::buildHeader()
{
    // Titles: company and slip name centred, table date on the left and the
    // page of the slip on the right of the slip name.
    lblCompany->setTop(4);
    lblCompany->setHeight(26);
    lblVoucherName->setTop(34);
    lblVoucherName->setHeight(20);
    lblCreateDate1->setLeft(70);
    lblCreateDate1->setTop(40);
    lblPageNo->setLeft(640);
    lblPageNo->setWidth(40);
    lblPageNo->setTop(40);
    lblTotalPage->setLeft(694);
    lblTotalPage->setTop(40);
    lblCopyMark = new TQRLabel(QRGroup);
    lblCopyMark->setObjectName(QStringLiteral("lblCopyMark"));
    lblCopyMark->setCaption(QStringLiteral("副本"));
    lblCopyMark->setHint(QStringLiteral("副本"));
    lblCopyMark->setLeft(640);
    lblCopyMark->setTop(8);
    lblCopyMark->setWidth(96);
    lblCopyMark->setHeight(18);
    QFont copyFont(QStringLiteral("宋体"));
    copyFont.setPointSize(12);
    copyFont.setBold(true);
    lblCopyMark->setFont(copyFont);
    lblCopyMark->setAlignment(ReportText::taRightJustify);

    TQRBand *band = QRGroup;
    // Row 0: slip type, number and date.
    txtTC001 = addField(band, "txtTC001", "TC001", "领退料单别", 68, rowTop(0), 40);
    txtCMSMQ002 = addField(band, "txtCMSMQ002", "CMSMQ002", "单据名称", 110, rowTop(0), 132);
    txtTC002 = addField(band, "txtTC002", "TC002", "领退料单号", 314, rowTop(0), 176);
    txtTC014 = addField(band, "txtTC014", "TC014", "单据日期", 562, rowTop(0), 174);
    // Row 1: factory, work centre, approval.
    txtTC004 = addField(band, "txtTC004", "TC004", "工厂编号", 68, rowTop(1), 40);
    txtCMSMB002 = addField(band, "txtCMSMB002", "CMSMB002", "工厂名称", 110, rowTop(1), 132);
    txtTC005 = addField(band, "txtTC005", "TC005", "工作中心", 314, rowTop(1), 50);
    txtCMSMD002 = addField(band, "txtCMSMD002", "CMSMD002", "工作中心名称", 366, rowTop(1), 124);
    txtTC009 = addField(band, "txtTC009", "TC009", "审核码", 562, rowTop(1), 174);
    setCodes(txtTC009, {"Y=已审核", "N=未审核", "V=作废"});
    // Row 2: department, supplier, project.
    txtTC021 = addField(band, "txtTC021", "TC021", "部门", 68, rowTop(2), 40);
    txtCMSME002 = addField(band, "txtCMSME002", "CMSME002", "部门名称 ", 110, rowTop(2), 132);
    txtTC006 = addField(band, "txtTC006", "TC006", "委外供应商", 314, rowTop(2), 60);
    txtPURMA002 = addField(band, "txtPURMA002", "PURMA002", "简称", 376, rowTop(2), 114);
    txtTC031 = addField(band, "txtTC031", "TC031", "项目编号", 562, rowTop(2), 60);
    txtCMSNO002 = addField(band, "txtCMSNO002", "CMSNO002", "项目名称", 624, rowTop(2), 112);
    // Row 3: the remark over the whole width.
    txtTC007 = addField(band, "txtTC007", "TC007", "备注", 68, rowTop(3), 668);

    // Present for design mode, off the page.
    addHiddenField(band, "txtPURMA003", "PURMA003", "公司全称");
    txtTC003 = addHiddenField(band, "txtTC003", "TC003", "领退料日期");
    setCodes(addHiddenField(band, "txtTC016", "TC016", "签核状态码"),
             {"0=待处理", "S=传送中", "1=签核中", "2=退件", "3=已核准", "4=撤销审核中", "5=作废", "6=取消作废",
              "N=不运行电子签核"});
    addHiddenField(band, "txtTC010", "TC010", "打印次数");
    addHiddenField(band, "txtTC011", "TC011", "生成分录-成本");
    addHiddenField(band, "txtTC012", "TC012", "生成按序");
    addHiddenField(band, "txtTC015", "TC015", "审核者");
    addHiddenField(band, "txtMF002C1", "MF002C1", "用户名称");
    addHiddenField(band, "txtTC008", "TC008", "单据性质");
    addHiddenField(band, "txtTC013", "TC013", "库存不足照领");
    addHiddenField(band, "txtTC019", "TC019", "来源单别");
    addHiddenField(band, "txtTC020", "TC020", "来源单号");
    addHiddenField(band, "txtCREATOR", "CREATOR", "录入者");
    addHiddenField(band, "txtMF002C2", "MF002C2", "用户名称");
    setCodes(addHiddenField(band, "txtTC018", "TC018", "来源别"),
             {"0=自行输入", "1=工单", "2=生产入库自动扣料", "3=委外进自动扣料", "4=委外退自动扣料", "5=投料单",
              "6=委外进厂供料自动扣料", "7=委外退厂供料自动扣料"});
    addHiddenField(band, "txtTC028", "TC028", "领料人员");
    addHiddenField(band, "txtCMSMV002", "CMSMV002", "领料人员姓名");
    static const char *const userFields[] = {"UDF01M", "UDF02M", "UDF03M", "UDF04M", "UDF05M", "UDF06M",
                                             "UDF51M", "UDF52M", "UDF53M", "UDF54M", "UDF55M", "UDF56M"};
    int number = 0;
    for (const char *field : userFields) {
        const std::string name = std::string("txt") + field;
        const std::string hint = "用户自定义字段" + std::to_string(++number);
        addHiddenField(band, name.c_str(), field, hint.c_str());
    }
    bindSharedHandlers();
}

void TfrmQipr07Fmt::buildLines()
{
    TQRBand *band = QRDetailBand;
    // Three rows of 21 to a line; the columns follow the form's grid.
    constexpr int row0 = 3, row1 = 24, row2 = 45;
    addField(band, "txtTE003", "TE003", "序号", 4, row0, 36);
    addField(band, "txtTE004", "TE004", "材料品号", 48, row0, 162);
    addField(band, "txtTE017", "TE017", "材料品名", 48, row1, 162);
    addField(band, "txtTE018", "TE018", "材料规格", 48, row2, 162);
    addField(band, "txtTE006", "TE006", "单位", 218, row0, 34);
    txtTE005 = addField(band, "txtTE005", "TE005", "领退料数量", 258, row0, 82, true);
    addField(band, "txtTE008", "TE008", "仓库", 348, row0, 84);
    addField(band, "txtCMSMC002", "CMSMC002", "仓库名称", 348, row1, 84);
    txtTE011 = addField(band, "txtTE011", "TE011", "工单单别", 438, row0, 30);
    txtHyphen = new TQRLabel(band);
    txtHyphen->setObjectName(QStringLiteral("txtHyphen"));
    txtHyphen->setCaption(QStringLiteral("-"));
    txtHyphen->setHint(QStringLiteral("-"));
    txtHyphen->setFont(fieldFont());
    txtHyphen->setLeft(469);
    txtHyphen->setTop(row0);
    txtHyphen->setWidth(8);
    txtHyphen->setHeight(kFieldHeight);
    txtTE012 = addField(band, "txtTE012", "TE012", "工单单号", 478, row0, 84);
    addField(band, "txtTE009", "TE009", "工艺", 438, row1, 36);
    addField(band, "txtTE009c", "TE009C", "工艺名称", 476, row1, 86);
    addField(band, "txtTE010", "TE010", "批号", 568, row0, 104);
    addField(band, "txtTE023", "TE023", "批号说明", 568, row1, 104);
    // The issue remark may run to two lines of its narrow column; the note
    // goes below it.
    TKVQRDBText *remark = addField(band, "txtTE013", "TE013", "领料说明", 678, row0, 60);
    remark->setHeight(row1 - row0 + kFieldHeight);
    remark->setWordWrap(true);
    addField(band, "txtTE014", "TE014", "备注", 678, row2, 60);

    struct Hidden {
        const char *column, *hint;
        bool right;
    };
    static const Hidden hidden[] = {
        {"INVMC003", "存储位置", false}, {"TA006", "产品品号", false},      {"TA034", "产品品名", false},
        {"TA035", "产品规格", false},    {"TD006", "领退料套数", false},    {"TB004", "需领用量", false},
        {"TB004C", "未领料量", true},    {"TB019", "需领用包装量", true},   {"TB019C", "未领料包装数量", true},
        {"INVMB002", "品名", false},     {"INVMB003", "规格", false},       {"TE021", "领退料包装数量", true},
        {"TE022", "包装单位", false},    {"TE016", "材料类型", false},      {"TE020", "项目编号", false},
        {"TE025", "库位", false},        {"CMC003", "序号", false},         {"TE015", "保留字段", false},
        {"TE027", "库存数量", true},     {"TE026", "库存单位", false},      {"TA058", "批号说明", false},
        {"TA057", "生产批号", false},    {"TE024", "折算率", false},
        {"ME017C", "进货/生产入库单别+进货/生产入库单号+进货/生产入库序号", false},
        {"ME021", "工作中心/供应商简称", false}, {"ME020", "工作中心/供应商", false},
        {"TA015", "预计产量", false},    {"TA016", "已领套数", false},
    };
    for (const Hidden &field : hidden) {
        const std::string name = std::string("txt") + field.column;
        addHiddenField(band, name.c_str(), field.column, field.hint, field.right);
    }
    setCodes(addHiddenField(band, "txtTE019", "TE019", "审核码"), {"Y=已审核", "N=未审核", "V=作废"});
    setCodes(addHiddenField(band, "txtTEC01", "TEC01", "类型"), {"1=工程品号", "2=正式品号"});
    static const char *const userFields[] = {"UDF01D", "UDF02D", "UDF03D", "UDF04D", "UDF05D", "UDF06D",
                                             "UDF51D", "UDF52D", "UDF53D", "UDF54D", "UDF55D", "UDF56D"};
    int number = 0;
    for (const char *field : userFields) {
        const std::string name = std::string("txt") + field;
        const std::string hint = "用户自定义字段" + std::to_string(++number);
        addHiddenField(band, name.c_str(), field, hint.c_str());
    }
    lblTA027 = new TQRLabel(band);
    lblTA027->setObjectName(QStringLiteral("lblTA027"));
    lblTA027->setCaption(QStringLiteral("判定说明"));
    lblTA027->setHint(QStringLiteral("判定说明"));
    lblTA027->setFont(fieldFont());
    lblTA027->setLeft(kOffPage);
    lblTA027->setTop(row2);
    lblTA027->setWidth(120);
    lblTA027->setHeight(kFieldHeight);
    lblTA027->setEnabled(false);
}

void TfrmQipr07Fmt::buildFooter()
{
    lblNoData->setLeft(48);
    lblNoData->setTop(6);

    TQRBand *band = GroupFooterChildBand;
    // The total row sits under the quantity column.
    txtTE005C1 = addField(band, "txtTE005C1", "TE005C1", "总领料数量", 258, 5, 82, true);
    // Notes and sign-offs in their boxes, the continued mark at the bottom.
    const std::initializer_list<TQRLabel *> notes{lblNote1, lblNote2, lblNote3};
    int top = 34;
    for (TQRLabel *label : notes) {
        label->setLeft(50);
        label->setTop(top);
        label->setWidth(684);
        top += 18;
    }
    top = 95;
    // Each sign-off line as wide as the box: a narrow one would wrap its
    // underline onto the line below it.
    for (TQRLabel *label : {lblSignIn1, lblSignIn2, lblSignIn3}) {
        label->setLeft(50);
        label->setTop(top);
        label->setWidth(684);
        top += 22;
    }
    lblNextPage->setLeft(660);
    lblNextPage->setTop(170);

    addHiddenField(band, "txtMF002C1F", "MF002C1", "用户名称");
    addHiddenField(band, "txtTC015F", "TC015", "审核者 ");
    addHiddenField(band, "txtMF002C2F", "MF002C2", "用户名称  ");
    addHiddenField(band, "txtCREATORF", "CREATOR", "录入者");
    txtTE021C1 = addHiddenField(band, "txtTE021C1", "TE021C1", "总领料包装数量", true);
    txtTB004C1 = addHiddenField(band, "txtTB004C1", "TB004C1", "总需领料量", true);
    txtTB005C1 = addHiddenField(band, "txtTB005C1", "TB005C1", "总未领料量", true);
    txtTB019C1 = addHiddenField(band, "txtTB019C1", "TB019C1", "总需领料包装量", true);
    txtTB020C1 = addHiddenField(band, "txtTB020C1", "TB020C1", "总未领料包装量", true);
}

void TfrmQipr07Fmt::bindHandlers()
{
    const auto bind = [this](ReportText *text, void (TfrmQipr07Fmt::*handler)(QObject *, EventArgs &),
                             const char *name) {
        text->setEventOnPrint(
            EventHandler([this, handler](QObject *sender, EventArgs &args) { (this->*handler)(sender, args); },
                         name));
    };
    bind(txtTE012, &TfrmQipr07Fmt::txtTE012Print, "txtTE012Print");
    bind(txtHyphen, &TfrmQipr07Fmt::txtHyphenPrint, "txtHyphenPrint");
    bind(txtTB004C1, &TfrmQipr07Fmt::txtTB004C1Print, "txtTB004C1Print");
    bind(txtTB005C1, &TfrmQipr07Fmt::txtTB005C1Print, "txtTB005C1Print");
    bind(txtTB019C1, &TfrmQipr07Fmt::txtTB019C1Print, "txtTB019C1Print");
    bind(txtTB020C1, &TfrmQipr07Fmt::txtTB020C1Print, "txtTB020C1Print");
    bind(txtTE005C1, &TfrmQipr07Fmt::txtTE005C1Print, "txtTE005C1Print");
    bind(txtTE021C1, &TfrmQipr07Fmt::txtTE021C1Print, "txtTE021C1Print");
}

void TfrmQipr07Fmt::bindSharedHandlers()
{
    // Virtual dispatch inside the lambdas: the summary slip's overrides are
    // the ones that run.
    txtTC014->setEventOnPrint(EventHandler(
        [this](QObject *sender, EventArgs &args) { txtTC014Print(sender, args); }, "txtTC014Print"));
    txtTC003->setEventOnPrint(EventHandler(
        [this](QObject *sender, EventArgs &args) { txtTC003Print(sender, args); }, "txtTC003Print"));
}

} // namespace kv
