// TfrmBaseGene: components, creation, opening, showing and closing. The
// other parts of the window live in BaseGene*.cpp by subject.
#include "base/BaseGene.h"

#include "base/BaseGlyphs.h"
#include "base/DataLabel.h"
#include "base/ImageList.h"
#include "base/KvBitBtn.h"
#include "base/KvLabel.h"
#include "base/KvMenuItem.h"
#include "base/KvPageControl.h"
#include "base/KvPanel.h"
#include "base/KvPopupMenu.h"
#include "base/KvTabSheet.h"
#include "base/KvToolBar.h"
#include "base/KvToolButton.h"
#include "base/ListView.h"
#include "base/ProgramIdentity.h"
#include "base/SimpleObjectBroker.h"
#include "base/SocketConnection.h"
#include "controls/F2Button.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "lib/LibVCLs.h"
#include "platform/ClientDataSet.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

namespace {

const char *const kViewHandlers[] = {"ViewIconExecute", "ViewSmallIconExecute", "ViewListExecute",
                                     "ViewReportExecute"};

} // namespace

TfrmBaseGene::TfrmBaseGene(QWidget *parent) : TKVForm(parent)
{
    setObjectName(QStringLiteral("frmBaseGene"));
    setCaption(QStringLiteral("frmBaseGene"));
    // Border icons: maximise only; Esc and the cancel button close.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint);
    resize(509, 355);
    buildComponents();
    wireHandlers();
    LastFocused = this;
}

TfrmBaseGene::~TfrmBaseGene()
{
    disconnect(m_focusConnection);
    // The destroy handlers read this window's fields: raise them while the
    // fields are still there.
    raiseDestroyOnce();
}

// --- components

void TfrmBaseGene::buildComponents()
{
    buildNonVisual();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Splitter1 = named(new QSplitter(Qt::Horizontal, this), "Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1, 1);
    buildConditionPanel();
    buildOptionPages();
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({151, 355});
    buildButtonPanel();
    layout->addWidget(Panel1);
}

void TfrmBaseGene::buildNonVisual()
{
    ImageList1 = named(new TImageList(this, 18, 18), "ImageList1");
    for (BaseGlyphs::Picture picture :
         {BaseGlyphs::ConditionSet, BaseGlyphs::Save, BaseGlyphs::Open, BaseGlyphs::Delete, BaseGlyphs::View})
        ImageList1->Add(BaseGlyphs::draw(picture, 18));
    ImageList2 = named(new TImageList(this, 24, 24), "ImageList2");
    ImageList2->Add(BaseGlyphs::draw(BaseGlyphs::ConditionSet, 24));
    ObjBroker = named(new TSimpleObjectBroker(this), "ObjBroker");
    MainMidas = named(new TSocketConnection(this), "MainMidas");
    MainMidas->setSupportCallbacks(false);
    ClientDataSet1 = named(new ClientDataSet(this), "ClientDataSet1");
    ClientDataSet1->setProviderName("pvdConSave");
    ClientDataSet1->setIndexFieldNames("NCONDITION;CREATOR;PROGRAMME");
}

void TfrmBaseGene::buildConditionPanel()
{
    pnlCondition = named(new TKvPanel(Splitter1), "pnlCondition");
    pnlCondition->setMinimumWidth(40);
    auto *layout = new QVBoxLayout(pnlCondition);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lblCondition = named(new TKvLabel(pnlCondition), "lblCondition");
    lblCondition->setCaption(QStringLiteral(" 条件方案"));
    layout->addWidget(lblCondition);

    ToolBar1 = named(new TKvToolBar(pnlCondition), "ToolBar1");
    ToolBar1->setFlat(true);
    const auto toolButton = [this](const char *name, const QString &caption, const QString &hint, int image) {
        auto *button = named(new TKvToolButton(ToolBar1), name);
        button->setText(caption);
        button->setPublishedHint(hint);
        button->setImageIndex(image);
        ToolBar1->AddButton(button);
        return button;
    };
    btnInsert = toolButton("btnInsert", QStringLiteral("保存(&S)"), QStringLiteral("保存"), 1);
    btnOpen = toolButton("btnOpen", QStringLiteral("开启(&O)"), QStringLiteral("开启"), 2);
    btnDelete = toolButton("btnDelete", QStringLiteral("删除(&D)"), QStringLiteral("删除"), 3);
    ToolButton1 = toolButton("ToolButton1", QStringLiteral("ViewIcon"), QString(), 4);
    ToolButton1->setStyle(TKvToolButton::tbsDropDown);
    ToolBar1->setImages(ImageList1);
    layout->addWidget(ToolBar1);

    muOperation = named(new TKvPopupMenu(this), "muOperation");
    const auto menuItem = [this](TKvPopupMenu *menu, const char *name, const QString &caption, int image) {
        auto *item = named(new TKvMenuItem(this), name);
        item->setText(caption);
        item->setImageIndex(image);
        menu->AddItem(item);
        return item;
    };
    N2 = menuItem(muOperation, "N2", QStringLiteral("开启(&O)"), 2);
    N3 = menuItem(muOperation, "N3", QStringLiteral("删除(&D)"), 3);
    muOperation->setImages(ImageList1);

    mnList = named(new TKvPopupMenu(this), "mnList");
    N7 = menuItem(mnList, "N7", QStringLiteral("大型图标(&G)"), -1);
    N8 = menuItem(mnList, "N8", QStringLiteral("小型图标(&M)"), -1);
    N9 = menuItem(mnList, "N9", QStringLiteral("清单(&L)"), -1);
    N10 = menuItem(mnList, "N10", QStringLiteral("详细信息(&D)"), -1);
    for (TKvMenuItem *item : {N7, N8, N9, N10})
        item->setRadioItem(true);
    N7->setItemChecked(true);
    ToolButton1->setDropdownMenu(mnList);

    lstCondition = named(new TListView(pnlCondition), "lstCondition");
    lstCondition->setSortType(TListView::stText);
    lstCondition->setColumnClick(false);
    lstCondition->setIconArrange(true);
    lstCondition->setLargeImages(ImageList2);
    lstCondition->setSmallImages(ImageList1);
    lstCondition->setPopupMenu(muOperation);
    lstCondition->setViewStyle(TListView::vsIcon);
    layout->addWidget(lstCondition, 1);
}

void TfrmBaseGene::buildOptionPages()
{
    pgOption = named(new TKvPageControl(Splitter1), "pgOption");
    pgOption->setPublishedHint(QStringLiteral("请输入选项条件"));
    tsOption1 = named(new TKvTabSheet(pgOption), "tsOption1");
    tsOption1->setCaption(QStringLiteral("基本选项"));
    pgOption->AddPage(tsOption1);
    tsOption2 = named(new TKvTabSheet(pgOption), "tsOption2");
    tsOption2->setCaption(QStringLiteral("系统选项"));
    pgOption->AddPage(tsOption2);
    pgOption->setActivePage(tsOption2);

    edPrintDate = named(new TKovMaskEdit(tsOption2), "edPrintDate");
    edPrintDate->setPublishedHint(QStringLiteral("[F2]日期快手"));
    edPrintDate->setGeometry(60, 8, 85, 21);
    lblToday = named(new TDataLabel(tsOption2), "lblToday");
    lblToday->setGap(4);
    lblToday->setLabelPosition(TDataLabel::lpLeft);
    lblToday->setCaption(QStringLiteral("制表日期"));
    lblToday->setFocusControl(edPrintDate);
    btnPrintDate = named(new TF2Button(tsOption2), "btnPrintDate");
    btnPrintDate->setPublishedHint(QStringLiteral("日期快手"));
    btnPrintDate->setGlyphIndex(9);
    btnPrintDate->setFlat(true);
    btnPrintDate->setGap(2);
    btnPrintDate->setAutoAlign(true);
    btnPrintDate->setF2Control(edPrintDate);
}

void TfrmBaseGene::buildButtonPanel()
{
    Panel1 = named(new TKvPanel(this), "Panel1");
    Panel1->setFixedHeight(43);
    auto *layout = new QHBoxLayout(Panel1);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addStretch(1);
    btnOk = named(new TKvBitBtn(Panel1), "btnOk");
    btnOk->setText(QStringLiteral("确定"));
    btnOk->setPublishedHint(QStringLiteral("确定"));
    btnOk->setGlyphIndex(47);
    layout->addWidget(btnOk);
    btnCancel = named(new TKvBitBtn(Panel1), "btnCancel");
    btnCancel->setText(QStringLiteral("取消"));
    btnCancel->setPublishedHint(QStringLiteral("取消"));
    btnCancel->setGlyphIndex(4);
    btnCancel->setCancel(true);
    btnCancel->setModalResult(mrCancel);
    layout->addWidget(btnCancel);
}

EventHandler TfrmBaseGene::action(const char *name, std::function<void()> body)
{
    return EventHandler(
        [this, body = std::move(body)](QObject *, EventArgs &) {
            QPointer<TfrmBaseGene> alive(this);
            try {
                body();
            } catch (const std::exception &error) {
                if (alive)
                    ShowMessageBox(error.what(), MessageType::Error, MessageButton::OK);
            }
        },
        name);
}

void TfrmBaseGene::wireHandlers()
{
    btnInsert->setEventOnClick(action("btnInsertClick", [this] { btnInsertClick(); }));
    btnOpen->setEventOnClick(action("btnOpenClick", [this] { btnOpenClick(); }));
    btnDelete->setEventOnClick(action("btnDeleteClick", [this] { btnDeleteClick(); }));
    ToolButton1->setEventOnClick(action("ToolButton1Click", [this] { ToolButton1Click(); }));
    N2->setOnClick(action("btnOpenClick", [this] { btnOpenClick(); }));
    N3->setOnClick(action("btnDeleteClick", [this] { btnDeleteClick(); }));
    N7->setOnClick(action("ViewIconExecute", [this] { ViewIconExecute(); }));
    N8->setOnClick(action("ViewSmallIconExecute", [this] { ViewSmallIconExecute(); }));
    N9->setOnClick(action("ViewListExecute", [this] { ViewListExecute(); }));
    N10->setOnClick(action("ViewReportExecute", [this] { ViewReportExecute(); }));
    lstCondition->setEventOnDblClick(action("btnOpenClick", [this] { btnOpenClick(); }));
    lstCondition->setEventOnEdited(EventHandler(
        [this](QObject *, EventArgs &args) {
            auto &edited = static_cast<TListView::EditedArgs &>(args);
            lstConditionEdited(edited);
        },
        "lstConditionEdited"));
    pgOption->setEventOnChange(action("pgOptionChange", [this] { pgOptionChange(); }));
    pgOption->setEventOnChanging(EventHandler(
        [this](QObject *, EventArgs &args) { static_cast<AcceptArgs &>(args).accept = pgOptionChanging(); },
        "pgOptionChanging"));
    tsOption2->setEventOnShow(action("tsOption2Show", [this] { tsOption2Show(); }));
    btnOk->setEventOnClick(action("btnOkClick", [this] { btnOkClick(); }));
    btnCancel->setEventOnClick(action("btnCancelClick", [this] { btnCancelClick(); }));
}

// --- creation, showing, closing

void TfrmBaseGene::FormCreate()
{
    VersionStamp = "870401-0.00.00";
    for (QWidget *widget : findChildren<QWidget *>())
        widget->setToolTipDuration(500000);
    m_onDateFieldEnter = EventHandler([this](QObject *sender, EventArgs &) { DateFieldEnter(sender); },
                                      "DateFieldEnter");
    m_onDateFieldExit = EventHandler([this](QObject *sender, EventArgs &) { DateFieldExit(sender); },
                                     "DateFieldExit");
    m_onRequiredExit = EventHandler([this](QObject *sender, EventArgs &) { RequiredExit(sender); },
                                    "RequiredExit");
    InputInvalid = false;
    m_systemPageArranged = false;
    ChangingPage = false;
    LastFocused = this;
    HookFieldConversion();
    RelativeDates.clear();
    for (QObject *component : findChildren<QObject *>())
        if (CheckPropertyExist(component, "ImeName"))
            SetStringProperty(component, "ImeName", "");
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, &TfrmBaseGene::focusChanged);
    WrapClicks({QStringLiteral("btnOk"), QStringLiteral("btnQuery"), QStringLiteral("btnDesign"),
                QStringLiteral("btnPeriod")});
    for (TF2Button *button : findChildren<TF2Button *>())
        button->setFlat(true);
}

void TfrmBaseGene::FormShow()
{
    UpdateCaption();
    pgOption->setActivePageIndex(0);
    pgOptionChange();
    ConvertFormOnce();
    setConditionColumns();
    try {
        LoadConditionSets();
    } catch (const std::exception &error) {
        ShowMessageBox(error.what(), MessageType::Error, MessageButton::OK);
    }
}

void TfrmBaseGene::FormClose(TCloseAction &action)
{
    action = caFree;
}

void TfrmBaseGene::FormDestroy()
{
    PageEndControls.clear();
    SysInfo.clear();
    RelativeDates.clear();
    CounterServer = Variant();
    ValidatorServer = Variant();
    F2Server = Variant();
    if (!LocalServer)
        MainMidas->setConnected(false);
    ClientDataSet1->Close();
    ClientDataSet1->setRemoteServer(nullptr);
    MainMidas->setAppServer(nullptr);
    ProgramServer = Variant();
    HostApp = Variant();
}

void TfrmBaseGene::FormResize()
{
    // The host's window is repainted at once, so that no trace of this
    // window is left on it while it moves over it.
    if (HostWindow != 0)
        if (QWidget *host = QWidget::find(WId(HostWindow)))
            host->repaint();
}

void TfrmBaseGene::btnCancelClick()
{
    close();
}

void TfrmBaseGene::PostClose()
{
    QTimer::singleShot(0, this, [this] { close(); });
}

void TfrmBaseGene::UpdateCaption()
{
    std::string caption = ProgramName;
    if (!CaptionTag.empty())
        caption += "[" + CaptionTag + "]";
    setCaption(QString::fromStdString(caption));
}

// --- start-up

void TfrmBaseGene::SetModuleFileName(const std::string &path)
{
    ModuleFileName = path;
    if (ProgramIdentity::IsLibraryFile(path))
        return;
    // A module built as a program for testing opens itself.
    OpenWindow(varArrayOf({"DS", "KVTEST", "KVTEST"}));
}

bool TfrmBaseGene::OpenWindow(const Variant &params)
{
    if (!CompanyID.empty())
        return false;
    try {
        PageEndControls.clear();
        SysInfo.clear();
        CounterServer = Variant();
        ValidatorServer = Variant();
        F2Server = Variant();
        FirstOption = 1;
        ReportText("");
        edPrintDate->setText_(QString());
        ConditionPackage = Variant::null();
        ByName = true;
        AutoRun = false;

        const int high = params.isArray() ? params.array().highBound() : -1;
        HostWindow = high >= 3 ? params[3].toInt64() : 0;
        if (high > 3) {
            HostOptions = params[4];
        } else {
            ReportMessage("E;000038");
            PostClose();
        }
        hide();
        UserID = varToStr(params[0]);
        CompanyID = varToStr(params[1]);
        CompanyDB = varToStr(params[2]);
        InitServers();

        const QString windowPart = objectName().mid(3, 3);
        const QString codePart = QString::fromStdString(ProgramCode).left(3);
        if (windowPart.compare(codePart, Qt::CaseInsensitive) != 0) {
            ReportMessage("E;000036");
            PostClose();
            return false;
        }
        MainMidas->setConnected(false);
        const bool prepared = PrepareConnection(MainMidas);
        if (prepared)
            AfterConnect(MainMidas);
        if (!prepared || MainMidas->serverName().isEmpty() || !ConnectProgramServer()) {
            ReportMessage("E;000006");
            PostClose();
            return false;
        }
        return true;
    } catch (const std::exception &error) {
        ReportText(error.what());
        return false;
    }
}

void TfrmBaseGene::InitServers()
{
    recordInputColours();
    GetCounterAndValidator();
    try {
        VersionType = HostApp.isObject() ? HostApp.toObject()->get("VersionType").toInt() : 0;
    } catch (const std::exception &) {
        VersionType = 0;
    }
    try {
        ProductID = HostApp.toObject()->get("ProductID").toInt();
    } catch (const std::exception &) {
        ProductID = 3;
    }
    DefineProgram();
    if (F2Flags & kF2ServerFlag)
        GetF2Server();
}

void TfrmBaseGene::DefineProgram()
{
    DateFields = "edPrintDate";
    MonthFields = "R";
    EnvCount = 9;
    F2Flags = 0;
    ProgramCode = ProgramIdentity::ProgramCodeOf(ModuleFileName);
    ServerClassName = ProgramIdentity::ServerClassOf(ProgramCode);
    readProgramName();
    SetOptionCount(0);
}

void TfrmBaseGene::SetOptionCount(int count)
{
    OptionCount = count + (FirstOption < OptionCount ? 0 : FirstOption);
}

void TfrmBaseGene::ApplyConditions(const Variant &package)
{
    const Variant condition =
        package.isArray() && package.array().highBound() >= 1 && package.array().lowBound() <= 1 ? package[1]
                                                                                                 : Variant();
    ConditionPackage = condition;
    bool applied = false;
    int mode = 0;
    if (condition.isArray() && condition.array().elementCount() > 0) {
        mode = condition[condition.array().lowBound()].toInt();
        AutoRun = false;
        const int valuesIndex = condition.array().lowBound() + 1;
        if (condition.array().highBound() >= valuesIndex) {
            const Variant &values = condition[valuesIndex];
            if (values.isArray() && values.array().elementCount() > 0) {
                const int low = values.array().lowBound();
                ByName = values[low].toBool();
                const Variant content = values.array().highBound() > low ? values[low + 1] : Variant();
                if (content.isArray()) {
                    applied = ByName ? ApplyConditionsByName(content) : ApplyConditionValues(content);
                    AutoRun = applied && mode != 0;
                }
            }
        }
    }
    if (!isConverted()) {
        ConvertFormOnce();
        if (KvConverter()->uiCodePage() == "950") {
            ProgramName = KvConverter()->GBToBig5(ProgramName);
            UpdateCaption();
        }
    }
    if (mode > 2 && applied)
        RunExternalMode(mode);
    else if (AutoRun)
        btnOk->click();
}

// --- pages and views

void TfrmBaseGene::pgOptionChange()
{
    TKvTabSheet *page = pgOption->activePage();
    if (!page)
        return;
    for (QWidget *widget = page->nextInFocusChain(); widget && widget != page; widget = widget->nextInFocusChain()) {
        if (!page->isAncestorOf(widget) || !widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (!widget->isVisibleTo(page))
            continue;
        for (QWidget *parent = widget->parentWidget(); parent && parent != page; parent = parent->parentWidget())
            if (auto *panel = qobject_cast<TSelectPanel *>(parent)) {
                panel->SetFocus();
                return;
            }
        widget->setFocus(Qt::TabFocusReason);
        return;
    }
}

bool TfrmBaseGene::pgOptionChanging()
{
    ChangingPage = true;
    if (QWidget *focused = QApplication::focusWidget(); focused && focused->window() == this)
        FieldExit(focused);
    ChangingPage = false;
    return !InputInvalid;
}

void TfrmBaseGene::tsOption2Show()
{
    if (m_systemPageArranged)
        return;
    m_systemPageArranged = true;
    ArrangeSystemPage();
}

void TfrmBaseGene::ArrangeSystemPage()
{
    QFont font = tsOption2->parentWidget() ? tsOption2->parentWidget()->font() : this->font();
    font.setPointSize(9);
    tsOption2->setFont(font);
    if (height() < 110 || width() < 315)
        resize(qMax(width(), 315), qMax(height(), 110));
    lblToday->setAutoSize(true);
    lblToday->setAutoAlign(false);
    lblToday->move(8, 12);
    edPrintDate->setGeometry(60, 8, 85, edPrintDate->height());
    btnPrintDate->AlignToControl();
}

void TfrmBaseGene::ToolButton1Click()
{
    ToolButton1->setTag((ToolButton1->tag() + 1) % 4);
    QMetaObject::invokeMethod(this, kViewHandlers[ToolButton1->tag()]);
}

void TfrmBaseGene::setViewStyle(int style, TKvMenuItem *item)
{
    lstCondition->BeginUpdate();
    lstCondition->setViewStyle(TListView::TViewStyle(style));
    lstCondition->EndUpdate();
    item->setItemChecked(true);
}

void TfrmBaseGene::ViewIconExecute()
{
    setViewStyle(TListView::vsIcon, N7);
}

void TfrmBaseGene::ViewSmallIconExecute()
{
    setViewStyle(TListView::vsSmallIcon, N8);
}

void TfrmBaseGene::ViewListExecute()
{
    setViewStyle(TListView::vsList, N9);
}

void TfrmBaseGene::ViewReportExecute()
{
    setViewStyle(TListView::vsReport, N10);
}

} // namespace kv
