#pragma once
// VRPreviewer: where a layout window hands its generated pages for viewing.
// ShowPreview generates the pages, then asks the previewer in effect to show
// them modally; the preview window installs itself as the previewer, and
// tests install a double that records what it was given.

#include <QStringList>

#include <memory>

namespace kv {

class PageStore;
class Report;
class TfrmVRBaseFmt;

// What the preview is opened with.
struct PreviewRequest {
    TfrmVRBaseFmt *layout = nullptr; // owns the preview for its lifetime
    Report *report = nullptr;
    PageStore *pages = nullptr;
    int firstPage = 1;
    int zoom = 100;
    bool emailVisible = false;
    bool faxVisible = false;
    // False when fax is allowed but the fax server cannot be reached: the
    // send buttons are shown disabled.
    bool sendEnabled = true;
    // Captions of the fax-server menu: name "(" server ")".
    QStringList faxServers;
};

class VRPreviewer {
public:
    virtual ~VRPreviewer() = default;

    // Shows the pages modally; returns when the preview is closed.
    virtual void ShowPreview(const PreviewRequest &request) = 0;

    // The previewer in effect; nullptr when none is installed.
    static std::shared_ptr<VRPreviewer> current();
    // Installs a previewer (nullptr removes it).
    static void setCurrent(std::shared_ptr<VRPreviewer> previewer);
};

} // namespace kv
