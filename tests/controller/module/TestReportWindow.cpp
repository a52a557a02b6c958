#include "TestReportWindow.h"

#include "base/KvPageControl.h"
#include "base/KvTabSheet.h"
#include "base/ListView.h"
#include "controls/KovMaskEdit.h"

#include <QTimer>

#include <iostream>

bool TfrmQipt07::closeWhenShown = false;

namespace {

std::string textOf(const kv::Variant &value)
{
    try {
        return kv::varToStr(value);
    } catch (const kv::VariantError &) {
        return value.debugText();
    }
}

} // namespace

TfrmQipt07::TfrmQipt07(QWidget *parent) : kv::TfrmVROpt(parent)
{
    // Characters 4 to 6 of the name must match the program code of the
    // module file (QIPT07C.so gives QIPT07).
    setObjectName("frmQipt07");
    edtNote = new kv::TKovMaskEdit(tsOption1);
    edtNote->setObjectName("edtNote");
}

bool TfrmQipt07::record(const std::string &call, bool result)
{
    calls.push_back(call);
    ResultCode += 1;
    ResultValue = kv::Variant(call);
    return result;
}

bool TfrmQipt07::RunReport(bool preview)
{
    return record("RunReport preview=" + std::to_string(preview));
}

bool TfrmQipt07::RunByKey(const kv::Variant &key, bool preview)
{
    const std::string keyText = textOf(key);
    return record("RunByKey key=" + keyText + " preview=" + std::to_string(preview), keyText != kMissingKey);
}

bool TfrmQipt07::ExportByKey(const kv::Variant &key, int pictureKind, int resolution, const std::string &prefix,
                             const std::string &extra)
{
    const std::string keyText = textOf(key);
    return record("ExportByKey key=" + keyText + " kind=" + std::to_string(pictureKind) +
                      " dpi=" + std::to_string(resolution) + " prefix=" + prefix + " extra=" + extra,
                  keyText != kMissingKey);
}

void TfrmQipt07::CloseLayoutWindow()
{
    record("CloseLayoutWindow");
    kv::TfrmVROpt::CloseLayoutWindow();
}

bool TfrmQipt07::RunExternalMode(int mode)
{
    if (mode == 4) { // the host's data answer while the window's own server is open
        const kv::Variant next = GetCounterValue("HOSTTEST", kv::Variant());
        return record("counter " + textOf(next) + ", message " + GetMessageText("W", "000006"));
    }
    if (mode == 5) { // the server-side library, brought up to date first
        const bool ran = RunServerProgram("a", {"x"}, kv::Variant(), 0);
        return record("server program " + ErrorTexts, ran);
    }
    if (mode != 3)
        return record("RunExternalMode " + std::to_string(mode));
    const std::string name = edtNote->text().toStdString();
    ConditionSetName = name;
    return record("save " + name, SaveConditionSet("edtNote.Text", name, true));
}

void TfrmQipt07::FormCreate()
{
    kv::TfrmVROpt::FormCreate();
    VersionStamp = "900101-9.9.9.9";
}

void TfrmQipt07::FormShow()
{
    kv::TfrmVROpt::FormShow();
    calls.push_back("FormShow");
    if (!closeWhenShown)
        return;
    listConditionSets();
    QTimer::singleShot(0, this, [this] { close(); });
}

void TfrmQipt07::listConditionSets()
{
    std::cout << "test window: condition sets:";
    for (const QString &name : lstCondition->captions())
        std::cout << " [" << name.toStdString() << "]";
    std::cout << std::endl;
}
