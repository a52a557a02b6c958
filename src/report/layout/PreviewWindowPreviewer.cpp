#include "report/layout/PreviewWindowPreviewer.h"

#include "platform/report/PageStore.h"
#include "platform/report/ReportError.h"
#include "report/layout/ExportRequest.h"
#include "report/layout/SendRequest.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRPreview.h"

#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

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
    const std::optional<ExportRequest> exportRequest = ExportRequest::fromEnvironment();
    if (Headless()) {
        // erp-host --export-pdf writes the run as vector PDF; a file that
        // cannot be written fails the run (the error goes up to it).
        if (exportRequest)
            exportRequest->run(request);
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
    // On screen, an export asked for on the command line follows the last
    // page; its failure is the run's, once the window is closed. The timer
    // may outlive this call (the window goes later): it shares the outcome.
    auto exportFailure = std::make_shared<std::optional<ReportError>>();
    const auto exportPages = [exportRequest, exportFailure, request] {
        if (!exportRequest || !request.pages || !request.pages->isFinished())
            return;
        try {
            exportRequest->run(request);
        } catch (const ReportError &error) {
            *exportFailure = error;
        }
    };
    // Generation starts inside the window's modal loop, once the window is
    // on screen; it pumps events as it goes.
    QTimer::singleShot(0, preview, [preview, generate = request.generate, exportPages] {
        if (preview && generate)
            preview->RunGeneration(generate);
        if (preview)
            exportPages();
    });
    preview->ShowModal();
    // The window frees itself when closed; one that ended its modal loop
    // another way goes with the run.
    if (preview)
        preview->Free();
    if (*exportFailure)
        throw **exportFailure;
}

void PreviewWindowPreviewer::Install()
{
    VRPreviewer::setCurrent(std::make_shared<PreviewWindowPreviewer>());
}

} // namespace kv
