#include "base/ServerProgramRunner.h"

#include "base/KVDownLoadNewFile.h"

#include "platform/Dispatch.h"
#include "platform/TextUtil.h"

#include <QFileInfo>
#include <QString>

#include <dlfcn.h>

#include <memory>

namespace kv {

namespace {

std::string textAt(const std::vector<std::string> &texts, std::size_t index)
{
    return index < texts.size() ? texts[index] : std::string();
}

std::string libraryIn(const std::string &directory, const std::string &fileName)
{
    std::string path = directory;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + fileName;
}

} // namespace

std::string ServerProgramRunner::SelectLibrary(const std::vector<std::string> &directories,
                                               const std::string &fileName, const FileListEntry &entryOf,
                                               std::string &message)
{
    const std::string entry = entryOf(QString::fromStdString(fileName).toLower().toStdString());
    std::string packageDirectory;
    for (const std::string &directory : directories) {
        const std::string path = libraryIn(directory, fileName);
        if (QFileInfo::exists(QString::fromStdString(path)) && CheckNewFile(entry, path, message, true))
            return path;
        if (packageDirectory.empty() && upperAscii(directory).find("S_PKG") != std::string::npos)
            packageDirectory = directory;
    }
    if (directories.empty())
        return {};
    const std::string path = libraryIn(packageDirectory.empty() ? directories.front() : packageDirectory, fileName);
    return CheckNewFile(entry, path, message, true) ? path : std::string();
}

Variant ServerProgramRunner::Arguments(const Request &request)
{
    const auto &t = request.texts;
    if (upperAscii(request.runMode) == "B")
        return varArrayOf({request.programCode, textAt(t, 0), textAt(t, 1), request.value, textAt(t, 2),
                           textAt(t, 3), request.productId});
    return varArrayOf({request.programCode, textAt(t, 0), textAt(t, 1), textAt(t, 2), textAt(t, 3), request.value,
                       request.number, upperAscii(request.runMode), textAt(t, 4), request.productId, request.running,
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
