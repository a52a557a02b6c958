#pragma once
// PreviewWindowPreviewer: the previewer that shows a layout window's pages
// in the preview window TfrmVRPreview. The module installs it once at start
// (VRPreviewer::setCurrent or Install()).

#include "report/layout/VRPreviewer.h"

namespace kv {

class PreviewWindowPreviewer : public VRPreviewer {
public:
    void ShowPreview(const PreviewRequest &request) override;

    // Makes the preview window the previewer in effect.
    static void Install();
};

} // namespace kv
