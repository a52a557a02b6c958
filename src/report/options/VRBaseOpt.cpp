// TfrmVRBaseOpt: components, creation, opening, rights, the list of option
// controls, showing and destroying. SQL assembly lives in VRBaseOptSql.cpp,
// runs and layouts in VRBaseOptRun.cpp, the fax/e-mail page in
// VRBaseOptSend.cpp.
#include "report/options/VRBaseOpt.h"
#include "lib/LibVCLs.h"

#include "base/BaseGlyphs.h"
#include "base/KvBitBtn.h"
#include "base/KvLabel.h"
#include "base/KvPageControl.h"
#include "base/KvPanel.h"
#include "base/KvTabSheet.h"
#include "base/SocketConnection.h"
#include "controls/BtChkBox.h"
#include "controls/ControlProperties.h"
#include "controls/GSpdBtn.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/CodeConverter.h"
#include "lib/MarshalIniC.h"
#include "lib/ShellSettings.h"
#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "report/layout/VRFormat.h"
#include "controls/KvRadioGroup.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace kv {

namespace {

// The application-server class every report condition window talks to.
constexpr const char *kReportServerClass = "Slipserv.Class1";

QComboBox *dropDownList(QWidget *parent, const char *name, const QStringList &items)
{
    auto *combo = named(new QComboBox(parent), name);
    combo->addItems(items);
    return combo;
}

std::string trimmed(const std::string &text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

} // namespace

TfrmVRBaseOpt::TfrmVRBaseOpt(QWidget *parent) : TfrmBaseGene(parent)
{
    setObjectName(QStringLiteral("frmVRBaseOpt"));
    buildComponents();
}

TfrmVRBaseOpt::~TfrmVRBaseOpt() = default;

// --- components

void TfrmVRBaseOpt::buildComponents()
{
    // Paper-size and unit names by the report engine's ordinals; hidden.
    moPaperSize = named(new QPlainTextEdit(tsOption1), "moPaperSize");
    moPaperSize->setPlainText(QStringLiteral(
        "Default\nLetter\nLetterSmall\nTabloid\nLedger\nLegal\nStatement\nExecutive\nA3\nA4\nA4Small\nA5\nB4\nB5\n"
        "Folio\nQuarto\nqr10X14\nqr11X17\nNote\nEnv9\nEnv10\nEnv11\nEnv12\nEnv14\nCSheet\nDSheet\nESheet\nCustom"));
    moPaperSize->setVisible(false);
    moUnits = named(new QPlainTextEdit(tsOption1), "moUnits");
    moUnits->setPlainText(QStringLiteral("MM\nInches\nPixels\nCharacters\nNative"));
    moUnits->setVisible(false);
    buildSendPage();
    buildSystemControls();
    buildButtons();
}

void TfrmVRBaseOpt::buildSendPage()
{
    tsFEP = named(new TKvTabSheet(pgOption), "tsFEP");
    tsFEP->setCaption(QStringLiteral("Fax/Email选项"));
    pgOption->AddPage(tsFEP);

    rgSendType = named(new TKvRadioGroup(tsFEP), "rgSendType");
    rgSendType->setTitle(QStringLiteral("选择传送方式"));
    rgSendType->setColumns(2);
    rgSendType->setItems({QStringLiteral("打印"), QStringLiteral("Fax/Email")});
    {
        const QSignalBlocker block(rgSendType);
        rgSendType->setItemIndex(0);
    }
    rgSendType->setGeometry(16, 8, 320, 45);
    ControlProperties::setTabOrder(rgSendType, 0);

    lblSendStatus = named(new TKvLabel(tsFEP), "lblSendStatus");
    lblSendStatus->setCaption(QStringLiteral("选择FAX/Email传送状态"));
    lblSendStatus->setGeometry(16, 64, 160, 21);
    cboSendStatus = dropDownList(tsFEP, "cboSendStatus",
                                 {QStringLiteral("已传送"), QStringLiteral("未传送"), QStringLiteral("全部")});
    cboSendStatus->setGeometry(180, 62, 156, 21);
    cboSendStatus->setEnabled(false);
    ControlProperties::setTabOrder(cboSendStatus, 1);

    lblSendWay = named(new TKvLabel(tsFEP), "lblSendWay");
    lblSendWay->setCaption(QStringLiteral("选择FAX/Email传送方式"));
    lblSendWay->setGeometry(16, 92, 160, 21);
    cboSendWay = dropDownList(tsFEP, "cboSendWay",
                              {QStringLiteral("FAX To 供应商"), QStringLiteral("Email To 供应商"),
                               QStringLiteral("FAX To 客户"), QStringLiteral("Email To 客户"),
                               QStringLiteral("FAX To 自定义对象"), QStringLiteral("Email To 自定义对象")});
    cboSendWay->setGeometry(180, 90, 156, 21);
    cboSendWay->setEnabled(false);
    ControlProperties::setTabOrder(cboSendWay, 2);

    lblFaxEmail = named(new TKvLabel(tsFEP), "lblFaxEmail");
    lblFaxEmail->setCaption(QStringLiteral("FAX NO"));
    lblFaxEmail->setGeometry(16, 120, 160, 21);
    edtFaxEmailData = named(new TKovMaskEdit(tsFEP), "edtFaxEmailData");
    edtFaxEmailData->setGeometry(180, 118, 156, 21);
    edtFaxEmailData->setEnabled(false);
    ControlProperties::setTabOrder(edtFaxEmailData, 3);

    connect(rgSendType, &TKvRadioGroup::clicked, this, [this] { rgSendTypeClick(); });
    connect(cboSendWay, &QComboBox::activated, this, [this] { cboSendWayChange(); });
}

void TfrmVRBaseOpt::buildSystemControls()
{
    // Below the base window's print date on the system-option page.
    lblFormStyleName = named(new TKvLabel(tsOption2), "lblFormStyleName");
    lblFormStyleName->setCaption(QStringLiteral("打印使用格式"));
    lblFormStyleName->setGeometry(4, 40, 80, 21);
    cboFormStyleName = named(new QComboBox(tsOption2), "cboFormStyleName");
    cboFormStyleName->setEditable(true);
    cboFormStyleName->lineEdit()->setMaxLength(20);
    cboFormStyleName->setGeometry(88, 38, 160, 21);
    ControlProperties::setTabOrder(cboFormStyleName, 10);
    btnDelFormStype = named(new TGSpeedButton(tsOption2), "btnDelFormStype");
    btnDelFormStype->setFlat(true);
    btnDelFormStype->setPublishedHint(QStringLiteral("删除格式"));
    btnDelFormStype->setGlyphIndex(4);
    btnDelFormStype->setGeometry(250, 38, 23, 22);

    lblDateType = named(new TKvLabel(tsOption2), "lblDateType");
    lblDateType->setCaption(QStringLiteral("日期类型"));
    lblDateType->setGeometry(4, 68, 80, 21);
    cboDateType = dropDownList(tsOption2, "cboDateType",
                               {QStringLiteral("公历 YYYYMMDD"), QStringLiteral("公历 MMDDYYYY"),
                                QStringLiteral("公历 DDMMYYYY"), QStringLiteral("民国年 YYMMDD"),
                                QStringLiteral("民国年 YYYMMDD")});
    cboDateType->setGeometry(88, 66, 160, 21);
    ControlProperties::setTabOrder(cboDateType, 11);
}

void TfrmVRBaseOpt::buildButtons()
{
    btnOk->setText(QStringLiteral("打印"));
    btnOk->setPublishedHint(QStringLiteral("打印"));
    // Printing shows the printer, not the base window's run picture.
    btnOk->setGlyph(BaseGlyphs::draw(BaseGlyphs::Print, 16));
    auto *bar = static_cast<QHBoxLayout *>(Panel1->layout());
    // The report buttons stand before the base window's cancel button.
    const int at = bar->indexOf(btnCancel);
    const auto addButton = [&](const char *name, const QString &caption, int position) {
        auto *button = named(new TKvBitBtn(Panel1), name);
        button->setText(caption);
        button->setPublishedHint(caption);
        bar->insertWidget(position, button);
        return button;
    };
    btnPreview = addButton("btnPreview", QStringLiteral("预览"), at);
    btnDesign = addButton("btnDesign", QStringLiteral("设计凭证"), at + 1);
    btnPrintSetup = addButton("btnPrintSetup", QStringLiteral("设置打印机"), at + 2);
    btnPaperSize = addButton("btnPaperSize", QStringLiteral("纸张格式"), at + 3);

    btnPreview->setEventOnClick(action("btnPreviewClick", [this] { btnPreviewClick(); }));
    btnDesign->setEventOnClick(action("btnDesignClick", [this] { btnDesignClick(); }));
    btnPrintSetup->setEventOnClick(action("btnPrintSetupClick", [this] { btnPrintSetupClick(); }));
    btnPaperSize->setEventOnClick(action("btnPaperSizeClick", [this] { btnPaperSizeClick(); }));
    // The system-option page needs a wider window for the style controls.
    tsOption2->setEventOnShow(action("tsOption2Show", [this] {
        tsOption2Show();
        if (width() < 708)
            resize(708, height());
    }));
    // Runs after the page's own show handlers have placed its controls.
    connect(pgOption, &QTabWidget::currentChanged, this, [this] { fitActivePage(); });
}

// Widens (and heightens) the window until the shown page holds all of its
// controls: the pages are laid out for the ERP's fonts, and a larger font or
// a page such as the footer and sign-off one must not be cut at its edge.
void TfrmVRBaseOpt::fitActivePage()
{
    QWidget *page = pgOption->currentWidget();
    if (!page || !isVisible())
        return;
    constexpr int kMargin = 8;
    QRect used;
    for (QWidget *control : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!control->objectName().isEmpty() && control->isVisibleTo(page))
            used |= control->geometry();
    if (used.isEmpty())
        return;
    const int wider = used.right() + 1 + kMargin - page->width();
    const int taller = used.bottom() + 1 + kMargin - page->height();
    if (wider > 0 || taller > 0)
        resize(width() + qMax(0, wider), height() + qMax(0, taller));
}

std::string TfrmVRBaseOpt::OptText(const std::string &key, const std::string &defaultText) const
{
    return LangText("TfrmVRBaseOpt", key, defaultText);
}

// --- creation

void TfrmVRBaseOpt::FormCreate()
{
    CompanyInfo.clear();
    PrinterIndex = -1;
    SQLType = 0;
    TfrmBaseGene::FormCreate();
    if (MainMidas)
        MainMidas->setServerName(kReportServerClass);
    readClientSettings();
    ApplyPermission = true;
}

void TfrmVRBaseOpt::readClientSettings()
{
    const TMarshalIniC client;
    ClientRoot = client.RootPath;
    // The settings file lives in the user's profile folder when profiles
    // are on, else in the client folder itself.
    ClientDir = client.ProfilePath.empty() ? client.ClientPath() : client.ProfilePath;
    std::string path = ClientDir + "/MarshalC.ini";
    // Directory names from the settings may already end in a separator.
    for (std::size_t at; (at = path.find("//")) != std::string::npos;)
        path.erase(at, 1);
    const IniFile ini = IniFile::load(path);
    RTBuilderDataPath = trimmed(ini.readString("Client Components", "RTBuilderDataPath", ""));
    if (RTBuilderDataPath.empty() || RTBuilderDataPath.back() != '/')
        RTBuilderDataPath += '/';
    // A boolean setting: a number (0 off) or a word ("Y", "True" on).
    const QString enabled =
        QString::fromStdString(ini.readString("Client Components", "SQLBuilderEnabled", "1")).trimmed();
    bool isNumber = false;
    const int number = enabled.toInt(&isNumber);
    SQLBuilderEnabled = isNumber ? number != 0 : settingIsOn(enabled.toStdString());
}

void TfrmVRBaseOpt::DefineProgram()
{
    TfrmBaseGene::DefineProgram();
    F2Flags |= 7;
    {
        const QSignalBlocker block(cboDateType);
        cboDateType->setCurrentIndex(DateKind - 1);
    }
    CheckDateInput(edPrintDate, true);
    edPrintDate->setText_(ShownDate(Clock::today().toString(QStringLiteral("yyyyMMdd")).toStdString()));
    // Companies on the Gregorian calendar only do not offer the ROC years.
    if (GetSysValue("Sys026") == "2" && cboDateType->count() == 5) {
        cboDateType->removeItem(4);
        cboDateType->removeItem(3);
    }
    // One more option slot, for the send status.
    FirstOption += 1;
    SendWayTable.clear();
    UseSQLBuilder = true;
}

// --- opening

bool TfrmVRBaseOpt::OpenWindow(const Variant &params)
{
    const bool opened = TfrmBaseGene::OpenWindow(params);
    if (ProgramServer.isObject()) {
        const DispatchPtr server = ProgramServer.toObject();
        // Elements 5 to 7 are kept for the server's later use.
        server->call("Connect", {varArrayOf({Variant(ProgramCode), Variant(UserID), Variant(CompanyID),
                                             Variant(CompanyDB), Variant(MainTable), Variant(), Variant(),
                                             Variant()})});
        ParseRights(server->call("PowerData"));
        SQLType = server->call("SQLType").toInt();
        PermissionData = server->call("PowerData");
    }
    readCompanyInfo();
    if (!SQLBuilderEnabled)
        UseSQLBuilder = false;
    SetupReportOptions();
    return opened;
}

void TfrmVRBaseOpt::readCompanyInfo()
{
    // Filled afresh: a window opened again must not list the company twice.
    CompanyInfo.clear();
    Variant row;
    if (!CheckCode("CMSML", "01", false, row, varArrayOf({Variant(CompanyID)})) || !row.isArray())
        return;
    for (const Variant &field : row.array().items())
        CompanyInfo << QString::fromStdString(varToStr(field));
}

void TfrmVRBaseOpt::SetupReportOptions()
{
    Variant row;
    if (CheckCode("CMSMT", "01", false, row, varArrayOf({Variant(ProgramCode)})) && row.isArray() &&
        row.array().highBound() >= row.array().lowBound() + 12) {
        const QString style = QString::fromStdString(varToStr(row[row.array().lowBound() + 12]));
        const int index = cboFormStyleName->findText(style);
        if (index >= 0)
            cboFormStyleName->setCurrentIndex(index);
        else
            cboFormStyleName->setEditText(style);
    } else {
        cboFormStyleName->clearEditText();
        cboFormStyleName->setCurrentIndex(-1);
        cboFormStyleName->setEnabled(true);
    }
    if (GetSysValue("Sys042") == "N") {
        tsFEP->setTabVisible(false);
        tsFEP->setVisible(false);
    }
    cboSendStatus->setCurrentIndex(2);
    cboSendWay->setCurrentIndex(0);
    cboSendWayChange();
}

void TfrmVRBaseOpt::AfterRights()
{
    const auto granted = [this](std::size_t position) {
        return RightsString.size() >= position && RightsString[position - 1] == 'Y';
    };
    btnDesign->setEnabled(granted(2));
    btnDelFormStype->setEnabled(granted(3));
    btnOk->setEnabled(granted(6));
    btnPreview->setEnabled(granted(6));
    RegisterOptionControls();
    if (trimmed(m_optionControls).empty())
        pnlCondition->setVisible(false);
}

void TfrmVRBaseOpt::btnInsertClick()
{
    TfrmBaseGene::btnInsertClick();
    if (InputInvalid)
        return;
    // Descendants append their date inputs after the base's print date;
    // the dialog leaves out the last name, which must be the print date.
    std::string dateFields;
    for (const QString &name : QString::fromStdString(DateFields).split(QLatin1Char(','))) {
        if (!name.trimmed().isEmpty() && name.trimmed() != QLatin1String("edPrintDate"))
            dateFields += name.trimmed().toStdString() + ",";
    }
    SaveConditionSetAs(m_optionControls, dateFields + "edPrintDate", 1);
}

void TfrmVRBaseOpt::RegisterOptionControls()
{
    m_optionControls.clear();
    for (int page = 0; page < pgOption->count(); ++page) {
        TKvTabSheet *sheet = pgOption->page(page);
        if (!sheet)
            continue;
        QList<QWidget *> controls = sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        std::stable_sort(controls.begin(), controls.end(), [](const QWidget *a, const QWidget *b) {
            return ControlProperties::tabOrder(a) < ControlProperties::tabOrder(b);
        });
        for (QWidget *control : controls) {
            const QString name = control->objectName();
            if (name.isEmpty() || control == tsFEP || control == tsOption2 || control == rgSendType ||
                !ControlProperties::visible(control) || qobject_cast<QPlainTextEdit *>(control))
                continue;
            const char *property = nullptr;
            if (qobject_cast<QLineEdit *>(control))
                property = ".text";
            else if (qobject_cast<QComboBox *>(control) || qobject_cast<TKvRadioGroup *>(control))
                property = ".itemindex";
            else if (qobject_cast<TBitCheckBox *>(control))
                property = ".checked";
            else if (qobject_cast<TSelectPanel *>(control))
                property = ".style";
            if (property)
                m_optionControls += name.toStdString() + property + ";";
        }
    }
}

// --- showing and destroying

void TfrmVRBaseOpt::FormShow()
{
    TfrmBaseGene::FormShow();
    if (pgOption->count() > 0)
        pgOption->setActivePageIndex(0);
    btnDelFormStype->move(cboFormStyleName->x() + cboFormStyleName->width() + 2, cboFormStyleName->y());
    LoadConditionSets();
    // The condition list follows the page control through the splitter's
    // layout, so only the width needs a floor here.
    if (width() < 655)
        resize(655, height());
    fitActivePage();
}

void TfrmVRBaseOpt::FormDestroy()
{
    if (DesignLayout) {
        DesignLayout->StartDesign(false);
        DesignLayout->Free();
    }
    CompanyInfo.clear();
    TfrmBaseGene::FormDestroy();
}

} // namespace kv
