#include "base/ServerProgramRunner.h"

#include "platform/Dispatch.h"

#include <QFileInfo>
#include <QString>

#include <dlfcn.h>

#include <cctype>
#include <memory>

namespace kv {

namespace {

std::string upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string textAt(const std::vector<std::string> &texts, std::size_t index)
{
    return index < texts.size() ? texts[index] : std::string();
}

} // namespace

std::string ServerProgramRunner::FindLibrary(const std::vector<std::string> &directories, const std::string &fileName)
{
    for (const std::string &directory : directories) {
        std::string path = directory;
        if (!path.empty() && path.back() != '/')
            path += '/';
        path += fileName;
        if (QFileInfo::exists(QString::fromStdString(path)))
            return path;
    }
    return {};
}

Variant ServerProgramRunner::Arguments(const Request &request)
{
    const auto &t = request.texts;
    if (upper(request.runMode) == "B")
        return varArrayOf({request.programCode, textAt(t, 0), textAt(t, 1), request.value, textAt(t, 2),
                           textAt(t, 3), request.productId});
    return varArrayOf({request.programCode, textAt(t, 0), textAt(t, 1), textAt(t, 2), textAt(t, 3), request.value,
                       request.number, upper(request.runMode), textAt(t, 4), request.productId, request.running,
                       request.uiCodePage});
}

bool ServerProgramRunner::Run(const std::string &libraryPath, const Request &request, std::string &message,
                              std::string &error)
{
    void *library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *reason = dlerror();
        error = reason ? reason : "cannot load " + libraryPath;
        return false;
    }
    using Factory = Dispatch *(*)();
    auto factory = reinterpret_cast<Factory>(dlsym(library, "GetSvrController"));
    bool result = true;
    if (factory) {
        std::shared_ptr<Dispatch> controller(factory());
        if (controller) {
            try {
                controller->call("Execute", {Arguments(request)});
            } catch (const std::exception &failure) {
                error = failure.what();
                result = false;
            }
            try {
                message = varToStr(controller->get("Message"));
            } catch (const std::exception &) {
                message.clear();
            }
        }
    }
    dlclose(library);
    return result;
}

} // namespace kv
