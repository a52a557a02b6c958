#include "report/layout/PreviewWindowPreviewer.h"

#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreview.h"

#include <QPointer>

namespace kv {

void PreviewWindowPreviewer::ShowPreview(const PreviewRequest &request)
{
    QPointer<TfrmVRPreview> preview = TKVForm::Create<TfrmVRPreview>(request.layout);
    preview->SetRequest(request);
    preview->SetZoom(request.zoom);
    preview->GoToPage(request.firstPage);
    preview->ShowModal();
    // The window frees itself when closed; one that ended its modal loop
    // another way goes with the run.
    if (preview)
        preview->Free();
}

void PreviewWindowPreviewer::Install()
{
    VRPreviewer::setCurrent(std::make_shared<PreviewWindowPreviewer>());
}

} // namespace kv
