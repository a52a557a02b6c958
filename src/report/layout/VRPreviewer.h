#pragma once
// VRPreviewer: where a layout window hands its generated pages for viewing.
// ShowPreview asks the previewer in effect to show them modally; the preview
// window installs itself as the previewer, and tests install a double that
// records what it was given. A previewer that shows pages while they are
// generated gets the generation with the request and runs it once it is on
// screen; any other gets the pages complete.

#include <QStringList>

#include <functional>
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
    // Set when the pages are still to be generated: generates them into
    // `pages` (pages arriving as they are made) and returns whether every
    // page was generated; the reason of a failure has been shown.
    std::function<bool()> generate;
};

class VRPreviewer {
public:
    virtual ~VRPreviewer() = default;

    // Shows the pages modally; returns when the preview is closed.
    virtual void ShowPreview(const PreviewRequest &request) = 0;
    // True when ShowPreview takes a request whose pages are still to be
    // generated (PreviewRequest::generate) and shows them as they come.
    virtual bool ShowsPagesWhileGenerated() const { return false; }

    // The previewer in effect; nullptr when none is installed.
    static std::shared_ptr<VRPreviewer> current();
    // Installs a previewer (nullptr removes it).
    static void setCurrent(std::shared_ptr<VRPreviewer> previewer);
};

} // namespace kv
