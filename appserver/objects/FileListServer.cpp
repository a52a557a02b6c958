#include "objects/FileListServer.h"

namespace slip {

FileListServer::FileListServer(DownloadSite site) : DispatchObject(progId), m_site(std::move(site))
{
    addMethod("GetFileList", 1, 1, [this](std::vector<kv::Variant> &args) {
        return kv::Variant(m_site.entryOf(kv::varToStr(args[0].deref())));
    });
    addProperty(
        "CompanyDB", [this] { return kv::Variant(m_companyDb); },
        [this](const kv::Variant &value) { m_companyDb = kv::varToStr(value); });
}

void registerFileList(const DownloadSite &site)
{
    kv::OleClassRegistry::registerClass(FileListServer::progId,
                                        [site] { return std::make_shared<FileListServer>(site); });
}

} // namespace slip
