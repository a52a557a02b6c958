#include "faxserver/FaxObjects.h"

#include "faxserver/FaxSpool.h"
#include "faxserver/HylaFax.h"

#include <QFileInfo>

#include <memory>

namespace kvfax {

namespace {

using kv::Variant;

class FaxApplication : public kv::DispatchObject {
public:
    FaxApplication() : DispatchObject(kFaxProgId), m_settings(FaxSettings::load())
    {
        addMethod("RefreshFaxServerInfo", 0, 0, [this](std::vector<Variant> &) {
            m_settings = FaxSettings::load();
            return Variant(true);
        });
        addMethod("FaxServerCount", 0, 0, [this](std::vector<Variant> &) { return Variant(int(m_settings.servers.size())); });
        addMethod("GetFaxServerInfo", 3, 3, [this](std::vector<Variant> &args) {
            const int index = args[0].deref().toInt();
            if (index < 0 || index >= int(m_settings.servers.size()))
                throw kv::DispatchError("GetFaxServerInfo: no fax server " + std::to_string(index));
            args[1].assign(Variant(m_settings.servers[std::size_t(index)].name));
            args[2].assign(Variant(m_settings.servers[std::size_t(index)].address));
            return Variant(true);
        });
        addProperty("SendFax", [] { return Variant(kv::DispatchPtr(std::make_shared<FaxSender>())); });
    }

private:
    FaxSettings m_settings;
};

} // namespace

FaxSender::FaxSender() : DispatchObject("QRMFAX.SendFax")
{
    addMethod("ConnectFaxServer", 1, 1, [this](std::vector<Variant> &args) { return Variant(connect(kv::varToStr(args[0].deref()))); });
    addMethod("AddFaxFile", 1, 1, [this](std::vector<Variant> &args) {
        const std::string file = kv::varToStr(args[0].deref());
        if (!m_server || !QFileInfo(QString::fromStdString(file)).isFile())
            return Variant(false);
        m_files.push_back(file);
        return Variant(true);
    });
    addMethod("SendFax", 3, 4, [this](std::vector<Variant> &args) {
        send(FaxJob{kv::varToStr(args[1].deref()), kv::varToStr(args[0].deref()), kv::varToStr(args[2].deref()), m_files});
        return Variant(true);
    });
    addMethod("DisconnectFaxServer", 0, 0, [this](std::vector<Variant> &) {
        m_server.reset();
        m_files.clear();
        return Variant(true);
    });
}

bool FaxSender::connect(const std::string &address)
{
    m_files.clear();
    const FaxSettings settings = FaxSettings::load();
    const FaxServer *server = settings.find(address);
    if (server)
        m_server = *server;
    else
        m_server.reset();
    return server != nullptr;
}

void FaxSender::send(FaxJob job)
{
    if (!m_server)
        throw kv::DispatchError("SendFax: no fax server is connected");
    if (job.files.empty())
        throw kv::DispatchError("SendFax: the fax has no pages");
    if (QString::fromStdString(job.number).trimmed().isEmpty())
        throw kv::DispatchError("SendFax: the fax has no number");
    try {
        if (m_server->kind == FaxServer::Kind::HylaFax)
            submitToHylaFax(*m_server, job);
        else
            spoolJob(m_server->spoolDir, job);
    } catch (const std::exception &error) {
        throw kv::DispatchError(std::string("SendFax: ") + error.what());
    }
    m_files.clear();
}

void registerFaxServer()
{
    kv::OleClassRegistry::registerClass(kFaxProgId, [] { return kv::DispatchPtr(std::make_shared<FaxApplication>()); });
}

} // namespace kvfax
