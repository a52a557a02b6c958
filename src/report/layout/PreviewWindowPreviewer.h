#pragma once
// PreviewWindowPreviewer: the previewer that shows a layout window's pages
// in the preview window TfrmVRPreview. The module installs it once at start
// (VRPreviewer::setCurrent or Install()).
//
// In a headless run (erp-host without a screen sets QIPR07_HEADLESS=1) the
// previewer shows nothing and returns at once: a preview then only generates
// the pages. Being off screen alone is not enough, because the window tests
// run off screen and drive the preview window there.
//
// erp-host's --export-pdf (ExportRequest) writes the run as vector PDF once
// its pages are all generated, shown or headless; a file that cannot be
// written makes ShowPreview throw, which fails the run.

#include "report/layout/VRPreviewer.h"

namespace kv {

class PreviewWindowPreviewer : public VRPreviewer {
public:
    static constexpr const char *kHeadlessVariable = "QIPR07_HEADLESS";

    void ShowPreview(const PreviewRequest &request) override;
    // On screen the first page shows at once and the rest follows; a
    // headless run takes its pages complete.
    bool ShowsPagesWhileGenerated() const override { return !Headless(); }

    // True when QIPR07_HEADLESS is set to anything but "" or "0".
    static bool Headless();

    // Makes the preview window the previewer in effect.
    static void Install();
};

} // namespace kv
