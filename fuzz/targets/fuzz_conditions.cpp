// Condition packages and condition sets: the JSON package erp-host hands
// over with --conditions, and the stored lines of a condition set put back
// onto the kinds of inputs a condition window has. The first byte picks the
// input a line goes to; every line that was put back must encode to a line
// that can be put back again.
#include "FuzzSupport.h"

#include "JsonVariant.h"

#include "base/ConditionValueCodec.h"
#include "controls/KovMaskEdit.h"
#include "controls/SelectPnl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QWidget>

namespace {

struct ConditionForm {
    QWidget window;
    QList<QPair<QObject *, QString>> inputs;

    ConditionForm()
    {
        window.setObjectName("frmTestOpt");
        auto *datePanel = new kv::TSelectPanel(&window);
        datePanel->setObjectName("spDate");
        auto *codePanel = new kv::TSelectPanel(&window);
        codePanel->setObjectName("spCode");
        auto *dateEdit = new kv::TKovMaskEdit(&window);
        dateEdit->setObjectName("edDate");
        auto *monthEdit = new kv::TKovMaskEdit(&window);
        monthEdit->setObjectName("edMonth");
        auto *combo = new QComboBox(&window);
        combo->setObjectName("cboKind");
        combo->addItems({"a", "b", "c"});
        auto *check = new QCheckBox(&window);
        check->setObjectName("chkAll");
        auto *spin = new QSpinBox(&window);
        spin->setObjectName("spnCopies");
        inputs = {{datePanel, "spSaveValue"}, {codePanel, "spSaveValue"}, {dateEdit, "Text"},
                  {monthEdit, "Text"},        {combo, "ItemIndex"},       {check, "Checked"},
                  {spin, "value"},            {check, "checkState"}};
    }
};

kv::ConditionValueCodec::Context context()
{
    kv::ConditionValueCodec::Context context;
    context.dateFields = {"spDate", "edDate"};
    context.monthFields = {"edMonth"};
    context.relativeDates = {"edDate\x03" "1\x03" "2\x03" "0\x03" "0\x03" "0"};
    return context;
}

void restoreLine(std::uint8_t pick, const std::string &line)
{
    // Built once: a condition window's inputs take a line after another too.
    static ConditionForm form;
    static const kv::ConditionValueCodec codec(context());
    const auto &[component, property] = form.inputs[pick % form.inputs.size()];
    try {
        codec.Restore(component, property, line);
    } catch (const kv::ConditionValueError &) {
        return;
    }
    const std::string encoded = codec.Encode(component, property);
    try {
        codec.Restore(component, property, encoded);
    } catch (const kv::ConditionValueError &error) {
        fuzz::fail("the line [" + encoded + "] of a restored value does not restore: " + error.what());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(fuzz::text(data + 1, size - 1));
    try {
        erphost::variantFromJson(rest);
    } catch (const erphost::JsonVariantError &) {
    }
    restoreLine(data[0], rest);
    return 0;
}
