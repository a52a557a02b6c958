// Language packages: ".Lng" XML documents that set the texts of a form's
// components, in UTF-8 or GB18030, applied to a small form of the kinds of
// components the module's windows have; and the message format routine the
// looked-up texts go through.
#include "FuzzSupport.h"

#include "lib/LangCommon.h"
#include "lib/LanguageController.h"
#include "platform/TextCodec.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <QWidget>

namespace {

struct Form {
    QWidget window;
    Form()
    {
        window.setObjectName("frmTest");
        auto *label = new QLabel(&window);
        label->setObjectName("Label1");
        auto *edit = new QLineEdit(&window);
        edit->setObjectName("Edit1");
        auto *combo = new QComboBox(&window);
        combo->setObjectName("ComboBox1");
        combo->addItems({"a", "b", "c"});
        combo->setCurrentIndex(1);
        auto *list = new QListWidget(&window);
        list->setObjectName("ListBox1");
        list->addItems({"x", "y"});
        auto *tree = new QTreeWidget(&window);
        tree->setObjectName("TreeView1");
        tree->setColumnCount(2);
        new QTreeWidgetItem(tree, QStringList{"r1", "r2"});
    }
};

void applyPackage(const std::string &utf8)
{
    // Built once: a window applies one package after another as the
    // interface language changes.
    static Form form;
    auto *controller = new kv::TLanguageController(&form.window);
    controller->setInlineDocument(QString::fromStdString(utf8).split(QLatin1Char('\n')));
    try {
        controller->setActive(true);
    } catch (const kv::ELanguageController &) {
        delete controller;
        return;
    }
    for (QObject *child : form.window.findChildren<QObject *>())
        controller->LoadComponent(child);
    controller->setActive(false);
    delete controller;
}

void formatMessage(const std::string &format)
{
    const std::vector<kv::Variant> args{kv::Variant(42), kv::Variant(std::string("文字")), kv::Variant(3.25),
                                        kv::Variant(), kv::Variant(-7)};
    kv::FormatText(format, args);
    kv::FormatText(format, {});
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<std::string> text = kv::decodeSettingsText(fuzz::text(data, size));
    if (!text)
        return 0;
    applyPackage(*text);
    formatMessage(*text);
    return 0;
}
