// TfrmVRBaseFmt: extension fields of design mode. The field list offers the
// fields of tables related to the report (the SQL builder's), the label tool
// new captions; a drop on a band creates the printed component, a drag from
// another list moves an existing one. The relation wizard and the
// document-to-picture helper are outside programs started from here.
#include "report/layout/VRBaseFmt.h"

#include "base/SocketConnection.h"
#include "platform/ClientDataSet.h"
#include "platform/designer/DesignDrag.h"
#include "platform/report/Report.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TKvQRDBBarcode.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRExpr.h"
#include "platform/report/TQRImage.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRMemo.h"
#include "report/layout/ExtensionToolWindow.h"

#include <QFileInfo>
#include <QMetaProperty>
#include <QProcess>

#include <dlfcn.h>

#include <stdexcept>

namespace kv {

namespace {

const QString kFieldList = QStringLiteral("lvExtending");
const QString kLabelTool = QStringLiteral("tbLabel");

// Positions in a dragged row (caption first, then the sub-items).
constexpr int kMovedName = 2;
constexpr int kHint = 2;
constexpr int kTableIndex = 3;
constexpr int kFieldIndex = 4;

bool isCreationSource(const QString &source)
{
    return source == kFieldList || source == kLabelTool;
}

// A whole number of a dragged row, or -1.
int indexValue(const QStringList &values, int position)
{
    if (position >= values.size())
        return -1;
    bool ok = false;
    const int value = values.at(position).toInt(&ok);
    return ok ? value : -1;
}

// The text of a band property, "" when the band has none or it is unset;
// object-valued properties (a data set) give the object's name.
QString bandPropertyText(const TQRBand &band, const char *name)
{
    const int index = band.metaObject()->indexOfProperty(name);
    if (index < 0)
        return {};
    const QVariant value = band.metaObject()->property(index).read(&band);
    if (value.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
        const QObject *object = value.value<QObject *>();
        return object ? object->objectName() : QString();
    }
    return value.toString();
}

// The components a move may place elsewhere on their band.
bool isMovable(const QObject *component)
{
    return qobject_cast<const TQRLabel *>(component) || qobject_cast<const TQRDBText *>(component)
        || qobject_cast<const TQRMemo *>(component) || qobject_cast<const TQRImage *>(component)
        || qobject_cast<const TQRExpr *>(component);
}

// A helper program or library in the client's helper folder. The folder is
// spelt both ways in the client's own code (C_KVBIN, c_kvbin): either is taken.
QString clientHelper(const std::string &clientRoot, const QString &name)
{
    const QString root = QString::fromStdString(clientRoot);
    if (root.isEmpty())
        return {};
    for (const char *folder : {"C_KVBIN/", "c_kvbin/"}) {
        const QString path = root + QLatin1String(folder) + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

// The builder property the wizard library sets when it failed inside: it
// must not throw across its C entry point.
constexpr const char *kWizardError = "RelationWizardError";

} // namespace

// ---------------------------------------------------------------- drops

bool TfrmVRBaseFmt::DreamDesigner1DragOver(TQRBand *band, QPoint pos, const QMimeData &data)
{
    DesignDrag::Item item;
    if (!band || !DesignDrag::decode(data, item))
        return false;
    if (!isCreationSource(item.source)) {
        auto *component = QuickRep1->findChild<ReportPrintable *>(item.values.value(kMovedName));
        return component && isMovable(component) && component->band() == band && pos.y() > 0
            && pos.y() < band->height();
    }
    if (item.source == kFieldList) {
        const int field = indexValue(item.values, kFieldIndex);
        const auto &fields = SQLReBuilder->fields();
        if (field < 0 || field >= int(fields.size()) || fields[std::size_t(field)].used
            || fields[std::size_t(field)].table != indexValue(item.values, kTableIndex))
            return false;
    }
    // New components print the report's records: the band must print them
    // too, or be bound to nothing at all.
    const QString reportData = QuickRep1->dataSet() ? QuickRep1->dataSet()->objectName().toUpper() : QString();
    const QString dataSet = bandPropertyText(*band, "DataSet");
    const QString expression = bandPropertyText(*band, "Expression");
    if (dataSet.isEmpty() && expression.isEmpty())
        return true;
    return !reportData.isEmpty()
        && (dataSet.toUpper().contains(reportData) || expression.toUpper().contains(reportData));
}

namespace {

// The next free name prefix + number, counting on from the builder's
// MaxComponentNum, which then stands after it. A stored layout may hold a
// component of that number already (its count is not stored): it is skipped.
QString nextName(const QObject &window, TVRSQLBuilder &builder, const QString &prefix)
{
    int number = builder.maxComponentNum();
    while (window.findChild<QObject *>(prefix + QString::number(number)))
        ++number;
    builder.setMaxComponentNum(number + 1);
    return prefix + QString::number(number);
}

template <typename Component>
Component *placed(const QObject &window, TVRSQLBuilder &builder, TQRBand *band, QPoint pos, const QString &prefix)
{
    auto *component = new Component(band);
    component->setObjectName(nextName(window, builder, prefix));
    component->setLeft(pos.x());
    component->setTop(pos.y());
    return component;
}

} // namespace

void TfrmVRBaseFmt::DreamDesigner1DragDrop(TQRBand *band, QPoint pos, const QMimeData &data)
{
    if (!DreamDesigner1DragOver(band, pos, data))
        return;
    DesignDrag::Item item;
    DesignDrag::decode(data, item);
    if (!isCreationSource(item.source)) {
        auto *component = QuickRep1->findChild<ReportPrintable *>(item.values.value(kMovedName));
        if (!component->isEnabled())
            component->setEnabled(true);
        component->setLeft(pos.x());
        component->setTop(pos.y());
        DreamDesigner1ShowProperty(component);
        if (DesignerSelect) {
            DesignerSelect(band);
            DesignerSelect(component);
        }
        return;
    }
    QPointer<ReportPrintable> created;
    const int field = item.source == kFieldList ? indexValue(item.values, kFieldIndex) : -1;
    try {
        if (field < 0) {
            auto *label = placed<TQRLabel>(*this, *SQLReBuilder, band, pos, QStringLiteral("ExLbl"));
            created = label;
            SetupNewLabel(label);
        } else if (const QString alias = QString::fromStdString(SQLReBuilder->GetAsField(field));
                   SQLReBuilder->fields()[std::size_t(field)].kind == 1) {
            auto *barcode = placed<TKvQRDBBarcode>(*this, *SQLReBuilder, band, pos, QStringLiteral("ExBc") + alias);
            created = barcode;
            SetupNewBarcode(barcode, field);
        } else {
            auto *text = placed<TKVQRDBText>(*this, *SQLReBuilder, band, pos, QStringLiteral("ExTxt") + alias);
            created = text;
            SetupNewText(text, field, item.values.value(kHint));
        }
    } catch (const std::exception &error) {
        // A half set-up component would print without its field: take it away.
        delete created.data();
        ShowMessage("Create Error " + std::string(error.what()), MessageType::Error, MessageButton::OK);
        return;
    }
    const std::string name = created->objectName().toStdString();
    UserComponents << QString::fromStdString(displayText(name));
    if (field >= 0)
        SQLReBuilder->SetFieldUsed(field, name);
    DreamDesigner1ShowProperty(created);
    if (ExtensionToolWindow *tools = ExtensionTools())
        tools->refresh(*SQLReBuilder);
    if (DesignerSelect)
        DesignerSelect(created);
}

void TfrmVRBaseFmt::SetupNewBarcode(TKvQRDBBarcode *barcode, int field)
{
    barcode->setHeight(105);
    barcode->setWidth(100);
    // The report's records, as every barcode of the layout prints them.
    barcode->setDataSet(ClientDataSet1);
    barcode->setDataField(QString::fromStdString(SQLReBuilder->GetAsField(field)));
    barcode->setText(QStringLiteral("1234"));
    barcode->setTextPosition(TKvQRDBBarcode::TBarcodeTextPosition(5));
    barcode->setAutoSize(true);
    barcode->setEventOnInvalidChar(EventHandler(
        [this](QObject *sender, EventArgs &args) { OnBarCodeInvalidChar(sender, args); }, "OnBarCodeInvalidChar"));
}

void TfrmVRBaseFmt::SetupNewText(TKVQRDBText *text, int field, const QString &hint)
{
    text->setHeight(13);
    text->setDataSet(QuickRep1->dataSet());
    text->setDataField(QString::fromStdString(SQLReBuilder->GetAsField(field)));
    text->setHint(hint);
    text->setAutoSize(false);
    text->setWidth(100);
    text->setTextType(0);
    BindOnPrint(text);
}

void TfrmVRBaseFmt::SetupNewLabel(TQRLabel *label)
{
    label->setHeight(13);
    const QString caption = QString::fromStdString(displayText(FmtText("NewLabel", "新建标签")));
    label->setCaption(caption);
    label->setHint(caption);
    label->setAutoSize(false);
    label->setWidth(100);
}

void TfrmVRBaseFmt::DreamDesigner1DeleteComponent(QObject *component)
{
    if (!component)
        return;
    const std::string name = component->objectName().toStdString();
    if (!UserComponents.removeOne(QString::fromStdString(displayText(name))))
        return;
    const int field = SQLReBuilder->FieldOfComponent(name);
    if (field >= 0)
        SQLReBuilder->SetFieldUsed(field, {});
    if (ExtensionToolWindow *tools = ExtensionTools())
        tools->refresh(*SQLReBuilder);
}

void TfrmVRBaseFmt::DreamDesigner1ShowProperty(QObject *component)
{
    DesignerMayDelete =
        component && UserComponents.contains(QString::fromStdString(displayText(component->objectName().toStdString())));
}

// ---------------------------------------------------------------- tool window

ExtensionToolWindow *TfrmVRBaseFmt::ExtensionTools() const
{
    return findChild<ExtensionToolWindow *>(QStringLiteral("frmExtendFields"), Qt::FindDirectChildrenOnly);
}

void TfrmVRBaseFmt::ShowExtensionTools()
{
    ExtensionToolWindow *tools = ExtensionTools();
    if (!tools) {
        const auto text = [this](const char *key, const char *defaultText) {
            return QString::fromStdString(displayText(FmtText(key, defaultText)));
        };
        ExtensionToolWindow::Texts texts{text("ExtendFields", "扩展栏位"),
                                         text("RelationWizard", "关联表..."),
                                         text("NewLabel", "新建标签"),
                                         {text("FieldCaption", "栏位名称"), text("FieldColumn", "栏位"),
                                          text("FieldHint", "说明"), text("FieldTable", "表"),
                                          text("FieldIndex", "序号")}};
        tools = new ExtensionToolWindow(this, texts, [this] { RunRelationWizard(); });
    }
    tools->refresh(*SQLReBuilder);
    tools->show();
    tools->raise();
}

bool TfrmVRBaseFmt::RunRelationWizard()
{
    const QString path = clientHelper(ClientRoot, QStringLiteral("RelationWizard.so"));
    void *library = path.isEmpty() ? nullptr : ::dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        ShowMessage("DLL Call Error", MessageType::Error, MessageButton::OK);
        return false;
    }
    using GetSQLFixed = void (*)(TfrmVRBaseFmt *, TVRSQLBuilder *, ClientDataSet *);
    auto fix = reinterpret_cast<GetSQLFixed>(::dlsym(library, "GetSQLFixed"));
    bool ran = false;
    if (!fix) {
        ShowMessage("Create RelationWizard Internal Error", MessageType::Error, MessageButton::OK);
    } else {
        ClientDataSet temporary;
        if (TfrmBaseGene *owner = ownerWindow())
            temporary.setRemoteServer(owner->MainMidas->AppServer());
        temporary.setProviderName("pvdTemp");
        SQLReBuilder->setProperty(kWizardError, QVariant());
        fix(this, SQLReBuilder, &temporary);
        const QString failure = SQLReBuilder->property(kWizardError).toString();
        SQLReBuilder->setProperty(kWizardError, QVariant());
        if (!failure.isEmpty())
            ShowMessage("Create RelationWizard Error: " + failure.toStdString(), MessageType::Error,
                        MessageButton::OK);
        ran = failure.isEmpty();
    }
    ::dlclose(library);
    if (ExtensionToolWindow *tools = ExtensionTools())
        tools->refresh(*SQLReBuilder);
    return ran;
}

// ---------------------------------------------------------------- document to page picture

bool TfrmVRBaseFmt::mnuDOCtoEMFClick()
{
    const QString program = clientHelper(ClientRoot, QStringLiteral("doc2emf"));
    if (program.isEmpty()) {
        ShowMessage(FmtText("NoDoc2Emf", "找不到文件转换程序 doc2emf，请检查目录：") + ClientRoot + "C_KVBIN/",
                    MessageType::Error, MessageButton::OK);
        return false;
    }
    // The helper works in the client's helper folder, where it was found
    // when the client has one.
    const QString folder = QFileInfo(program).absolutePath();
    if (!QProcess::startDetached(program, {}, folder)) {
        ShowMessage(FmtText("Doc2EmfStartError", "无法启动文件转换程序：") + program.toStdString(), MessageType::Error,
                    MessageButton::OK);
        return false;
    }
    return true;
}

} // namespace kv
