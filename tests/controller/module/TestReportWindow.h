#pragma once
// A report condition window for the controller and host tests: a TfrmVROpt
// with one note input ("edtNote" on the first page) whose report commands
// record what they were asked instead of printing. Each command counts up
// ResultCode and describes itself in ResultValue, which the controller hands
// to the host when the window is destroyed, so a host in another process
// sees what reached the window.
//
// Condition-package mode 3 saves the note as a condition set named by the
// note; mode 4 asks the host for a counter and a message; mode 5 runs the
// window's server-side library (QIPT07S.so) and records its message. A window made with closeWhenShown lists its condition sets on
// standard output once it is shown and then closes itself, so that a host
// run with --show ends without anyone at the screen.

#include "report/options/VROpt.h"

#include <string>
#include <vector>

namespace kv {
class TKovMaskEdit;
}

class TfrmQipt07 : public kv::TfrmVROpt {
    Q_OBJECT

public:
    explicit TfrmQipt07(QWidget *parent = nullptr);

    kv::TKovMaskEdit *edtNote = nullptr;

    // Set for the windows of the test module (see the class comment).
    static bool closeWhenShown;
    // What the window did, in order ("FormShow", "RunReport preview=1", …).
    std::vector<std::string> calls;
    // Keys for which RunByKey and ExportByKey find nothing.
    static constexpr const char *kMissingKey = "missing";

    bool RunReport(bool preview) override;
    bool RunByKey(const kv::Variant &key, bool preview) override;
    bool ExportByKey(const kv::Variant &key, int pictureKind, int resolution, const std::string &prefix,
                     const std::string &extra) override;
    void CloseLayoutWindow() override;
    bool RunExternalMode(int mode) override;

protected:
    void FormCreate() override;
    void FormShow() override;

private:
    bool record(const std::string &call, bool result = true);
    void listConditionSets();
};
