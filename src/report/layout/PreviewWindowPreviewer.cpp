#include "report/layout/PreviewWindowPreviewer.h"

#include "report/layout/SendRequest.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreview.h"

#include <QPointer>
#include <QTimer>

namespace kv {

bool PreviewWindowPreviewer::Headless()
{
    const QByteArray value = qgetenv(kHeadlessVariable);
    return !value.isEmpty() && value != "0";
}

void PreviewWindowPreviewer::ShowPreview(const PreviewRequest &request)
{
    // Nobody could close a modal window of a run without a screen; the
    // pages are generated (and their texts written) all the same.
    if (Headless()) {
        // erp-host --send presses the e-mail button or fax menu item.
        if (const std::optional<SendRequest> send = SendRequest::fromEnvironment())
            send->run(request);
        return;
    }
    QPointer<TfrmVRPreview> preview = TKVForm::Create<TfrmVRPreview>(request.layout);
    preview->SetRequest(request);
    TfrmVRBaseFmt *layout = request.layout;
    preview->sendHandler = [layout](int kind, int pictureType, const QString &server) {
        layout->Send(kind, pictureType, server.toStdString());
    };
    preview->SetZoom(request.zoom);
    preview->GoToPage(request.firstPage);
    if (request.generate) {
        // Generation starts inside the window's modal loop, once the window
        // is on screen; it pumps events as it goes.
        QTimer::singleShot(0, preview, [preview, generate = request.generate] {
            if (preview)
                preview->RunGeneration(generate);
        });
    }
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
