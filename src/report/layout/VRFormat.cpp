#include "report/layout/VRFormat.h"

#include "platform/report/Report.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"

namespace kv {

namespace {

constexpr int kBandWidth = 593;

QFont bandFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

QFont labelFont(int points, bool bold = false)
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

template <class Band>
Band *band(Report *report, const char *name, const char *hint, int tag, int height)
{
    auto *created = new Band(report);
    created->setObjectName(QLatin1String(name));
    created->setHint(QString::fromUtf8(hint));
    created->setTag(tag);
    created->setWidth(kBandWidth);
    created->setHeight(height);
    created->setFont(bandFont());
    return created;
}

} // namespace

TfrmVRFormat::TfrmVRFormat(QWidget *owner) : TfrmVRBaseFmt(owner)
{
    setObjectName(QStringLiteral("frmVRFormat"));
    buildBands();
    buildLabels();
    bindBandEvents();
}

TfrmVRFormat::~TfrmVRFormat() = default;

void TfrmVRFormat::buildBands()
{
    QRGroup = band<TQRGroup>(QuickRep1, "QRGroup", "单头", 1, 91);
    QRGroup->setBandType(TQRBand::rbGroupHeader);
    QRGroup->setReprintOnNewPage(false);
    QRDetailBand = band<TQRBand>(QuickRep1, "QRDetailBand", "单身", 2, 32);
    QRDetailBand->setBandType(TQRBand::rbDetail);
    QRGroupFooter = band<TQRBand>(QuickRep1, "QRGroupFooter", "单尾", 3, 72);
    QRGroupFooter->setBandType(TQRBand::rbGroupFooter);
    QRGroup->setFooterBand(QRGroupFooter);
    GroupFooterChildBand = band<TQRChildBand>(QuickRep1, "GroupFooterChildBand", "页脚签核", 4, 103);
    GroupFooterChildBand->setBandType(TQRBand::rbChild);
    GroupFooterChildBand->setParentBand(QRGroupFooter);

    QuickRep1->setPageStartBand(QRGroup);
    QuickRep1->setPageDetailBand(QRDetailBand);
    QuickRep1->setPageAttachDetailBand(QRGroupFooter);
    QuickRep1->setPageEndBand(GroupFooterChildBand);
    QuickRep1->setPageStyle(Report::qrHalfPage);
    QuickRep1->setFunctions(QuickRep1->functions() << QStringLiteral("QRSTRINGSBAND1"));
}

TQRLabel *TfrmVRFormat::addLabel(TQRBand *owner, const char *name, const QString &caption, int left, int top,
                                 int width, int height)
{
    auto *label = new TQRLabel(owner);
    label->setObjectName(QLatin1String(name));
    label->setCaption(caption);
    label->setHint(caption);
    label->setLeft(left);
    label->setTop(top);
    label->setWidth(width);
    label->setHeight(height);
    label->setFont(labelFont(9));
    return label;
}

void TfrmVRFormat::buildLabels()
{
    const auto autoSized = [](TQRLabel *label, ReportText::TAlignment alignment) {
        label->setAlignment(alignment);
        label->setAutoSize(true);
        return label;
    };
    const auto offPage = [](TQRLabel *label) {
        label->setEnabled(false);
        return label;
    };
    lblSeq = addLabel(QRDetailBand, "lblSeq", QStringLiteral("项次"), 5, 14, 20, 10);

    lblPageNo = autoSized(addLabel(QRGroup, "lblPageNo", QStringLiteral("单据页数"), 437, 67, 39, 11),
                          ReportText::taRightJustify);
    lblTotalPage = autoSized(addLabel(QRGroup, "lblTotalPage", QStringLiteral("单据总页数"), 509, 51, 49, 11),
                             ReportText::taLeftJustify);
    lblCompany = addLabel(QRGroup, "lblCompany", QStringLiteral("公司名称"), 58, 0, 477, 20);
    lblCompany->setFont(labelFont(18, true));
    lblCompany->setAlignment(ReportText::taCenter);
    lblCompany->setAlignToBand(true);
    lblVoucherName = addLabel(QRGroup, "lblVoucherName", QStringLiteral("单据名称"), 90, 32, 413, 14);
    lblVoucherName->setFont(labelFont(12));
    lblVoucherName->setAlignment(ReportText::taCenter);
    lblVoucherName->setAlignToBand(true);
    lblCreateDate1 = autoSized(addLabel(QRGroup, "lblCreateDate1", QStringLiteral("制表日期"), 517, 33, 39, 11),
                               ReportText::taLeftJustify);
    lblCreateDate1->setEventOnPrint(EventHandler(
        [this](QObject *sender, EventArgs &args) { lblCreateDate1Print(sender, args); }, "lblCreateDate1Print"));
    lblPrintDate1 = offPage(autoSized(addLabel(QRGroup, "lblPrintDate1", QStringLiteral("打印日期"), -4587, 25, 39, 14),
                                      ReportText::taLeftJustify));
    lblPrintTime1 = offPage(autoSized(addLabel(QRGroup, "lblPrintTime1", QStringLiteral("打印时间"), -4571, 64, 39, 10),
                                      ReportText::taLeftJustify));

    lblNoData = autoSized(addLabel(QRGroupFooter, "lblNoData", QStringLiteral("以下空白//"), 40, 5, 49, 11),
                          ReportText::taLeftJustify);

    TQRBand *child = GroupFooterChildBand;
    lblNote1 = addLabel(child, "lblNote1", QStringLiteral("备注1"), 2, 6, 565, 10);
    lblNote2 = addLabel(child, "lblNote2", QStringLiteral("备注2"), 10, 19, 565, 10);
    lblNote3 = addLabel(child, "lblNote3", QStringLiteral("备注3"), 10, 32, 565, 10);
    lblSignIn1 = addLabel(child, "lblSignIn1", QStringLiteral("签核栏1"), 10, 45, 565, 10);
    lblSignIn2 = addLabel(child, "lblSignIn2", QStringLiteral("签核栏2"), 10, 58, 34, 10);
    lblSignIn2->setAutoStretch(true);
    lblSignIn3 = addLabel(child, "lblSignIn3", QStringLiteral("签核栏3"), 10, 70, 562, 10);
    lblCreateDate2 = addLabel(child, "lblCreateDate2", QStringLiteral("制表日期"), 10, 82, 73, 10);
    lblNextPage = autoSized(addLabel(child, "lblNextPage", QStringLiteral("接下页..."), 531, 82, 44, 10),
                            ReportText::taLeftJustify);
    lblPrintDate2 = offPage(autoSized(addLabel(child, "lblPrintDate2", QStringLiteral("打印日期"), -4587, 73, 39, 14),
                                      ReportText::taLeftJustify));
    lblPrintTime2 = offPage(autoSized(addLabel(child, "lblPrintTime2", QStringLiteral("打印时间"), -4667, 73, 39, 14),
                                      ReportText::taLeftJustify));
}

void TfrmVRFormat::bindBandEvents()
{
    QRGroup->setEventBeforePrint(EventHandler(
        [this](QObject *, EventArgs &args) {
            if (auto *print = dynamic_cast<BandPrintArgs *>(&args))
                QRGroupBeforePrint(*print);
        },
        "QRGroupBeforePrint"));
    QRDetailBand->setEventBeforePrint(EventHandler(
        [this](QObject *, EventArgs &args) {
            if (auto *print = dynamic_cast<BandPrintArgs *>(&args))
                QRDetailBandBeforePrint(*print);
        },
        "QRDetailBandBeforePrint"));
    QRDetailBand->setEventAfterPrint(EventHandler(
        [this](QObject *, EventArgs &args) {
            if (auto *after = dynamic_cast<BandAfterPrintArgs *>(&args))
                QRDetailBandAfterPrint(*after);
        },
        "QRDetailBandAfterPrint"));
    QRGroupFooter->setEventBeforePrint(EventHandler(
        [this](QObject *, EventArgs &args) {
            if (auto *print = dynamic_cast<BandPrintArgs *>(&args))
                QRGroupFooterBeforePrint(*print);
        },
        "QRGroupFooterBeforePrint"));
}

void TfrmVRFormat::FormCreate()
{
    TfrmVRBaseFmt::FormCreate();
    DefaultSignIns.clear();
    SignInTexts.clear();
    NoteTexts.clear();
    GroupRowCounts.clear();
    RecordEnabledStates();
}

void TfrmVRFormat::RecordEnabledStates()
{
    SignInEnabled1 = lblSignIn1->isEnabled();
    SignInEnabled2 = lblSignIn2->isEnabled();
    SignInEnabled3 = lblSignIn3->isEnabled();
    NoteEnabled1 = lblNote1->isEnabled();
    NoteEnabled2 = lblNote2->isEnabled();
    NoteEnabled3 = lblNote3->isEnabled();
    NoDataEnabled = lblNoData->isEnabled();
    NextPageEnabled = lblNextPage->isEnabled();
}

// ---------------------------------------------------------------- what the condition window sets

void TfrmVRFormat::ConnectData()
{
    TfrmVRBaseFmt::ConnectData();
    lblCompany->setCaption(CompanyInfo.size() >= 2 ? CompanyInfo.at(1) : QString());
}

void TfrmVRFormat::SetHeaderText(int kind, const QString &text)
{
    switch (kind) {
    case 0: lblVoucherName->setCaption(text); break;
    case 1: lblCreateDate1->setCaption(text); break;
    case 2: lblNoData->setCaption(text); break;
    case 3: lblNextPage->setCaption(text); break;
    default: break;
    }
}

namespace {

void fillCaptions(const QStringList &texts, std::initializer_list<TQRLabel *> labels)
{
    for (TQRLabel *label : labels)
        label->setCaption(QString());
    int index = 0;
    for (TQRLabel *label : labels) {
        if (index >= texts.size())
            break;
        label->setCaption(texts.at(index++));
    }
}

} // namespace

void TfrmVRFormat::SetSignIns(const QStringList &texts)
{
    SignInTexts = texts;
    fillCaptions(texts, {lblSignIn1, lblSignIn2, lblSignIn3});
}

void TfrmVRFormat::SetNotes(const QStringList &texts)
{
    NoteTexts = texts;
    fillCaptions(texts, {lblNote1, lblNote2, lblNote3});
}

} // namespace kv
