#include "report/options/VRBaseOpt.h"

#include "base/SocketConnection.h"

namespace kv {

namespace {

// The application-server class every report condition window talks to.
constexpr const char *kReportServerClass = "Slipserv.Class1";

} // namespace

TfrmVRBaseOpt::TfrmVRBaseOpt(QWidget *parent) : TfrmBaseGene(parent)
{
    setObjectName("frmVRBaseOpt");
}

void TfrmVRBaseOpt::FormCreate()
{
    TfrmBaseGene::FormCreate();
    if (MainMidas)
        MainMidas->setServerName(kReportServerClass);
}

TfrmVRBaseOpt::~TfrmVRBaseOpt() = default;

bool TfrmVRBaseOpt::OpenWindow(const Variant &params)
{
    const bool opened = TfrmBaseGene::OpenWindow(params);
    if (ProgramServer.isObject()) {
        const DispatchPtr server = ProgramServer.toObject();
        // Elements 5 to 7 are kept for the server's later use.
        server->call("Connect", {varArrayOf({Variant(ProgramCode), Variant(UserID), Variant(CompanyID),
                                             Variant(CompanyDB), Variant(MainTable), Variant(), Variant(),
                                             Variant()})});
        ParseRights(server->call("PowerData"));
        SQLType = server->call("SQLType").toInt();
        PermissionData = server->call("PowerData");
    }
    return opened;
}

bool TfrmVRBaseOpt::notAvailable(const std::string &operation)
{
    ReportText(operation + ": the report layout windows are not part of this module yet");
    return false;
}

bool TfrmVRBaseOpt::RunReport(bool preview)
{
    return notAvailable(preview ? "RunReport (preview)" : "RunReport (print)");
}

bool TfrmVRBaseOpt::RunByKey(const Variant &key, bool preview)
{
    (void)key;
    return notAvailable(preview ? "RunByKey (preview)" : "RunByKey (print)");
}

bool TfrmVRBaseOpt::ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                                const std::string &extra)
{
    (void)key, (void)pictureKind, (void)resolution, (void)prefix, (void)extra;
    return notAvailable("ExportByKey");
}

void TfrmVRBaseOpt::CloseLayoutWindow()
{
    if (!m_designLayout)
        return;
    setEnabled(true);
    m_designLayout->close();
    m_designLayout = nullptr;
    raise();
    activateWindow();
}

} // namespace kv
