#include "ModuleLoader.h"

#include <dlfcn.h>

#include <filesystem>

namespace erphost {

ModuleLoader::ModuleLoader(const std::string &path) : m_path(path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw ModuleLoadError("the module " + path + " does not exist");
    // A name without a directory would be searched on the library path;
    // the host always means the file it was given.
    const std::string absolute = std::filesystem::absolute(path, error).string();
    // RTLD_LOCAL keeps the module's own copies of the libraries it carries
    // apart from the host's; RTLD_NODELETE keeps it mapped (see the header).
    m_handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle) {
        const char *reason = dlerror();
        throw ModuleLoadError("the module " + path + " cannot be loaded: " + (reason ? reason : "unknown reason"));
    }
    dlerror();
    void *symbol = dlsym(m_handle, kGetControllerExport);
    if (!symbol) {
        dlclose(m_handle);
        m_handle = nullptr;
        throw ModuleLoadError("the module " + path + " has no export " + kGetControllerExport +
                              "; it is not a report module");
    }
    m_getController = reinterpret_cast<GetControllerFunction>(symbol);
}

ModuleLoader::~ModuleLoader()
{
    if (m_handle)
        dlclose(m_handle);
}

} // namespace erphost
