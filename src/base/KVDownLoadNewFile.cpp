// The new-file check run before a program's server-side library.

#include "base/KVDownLoadNewFile.h"

#include "lib/AlertLog.h"
#include "lib/Translator.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/TextUtil.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>
#include <cctype>
#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>

namespace kv {

namespace {

constexpr const char *kLibraryName = "KVDownLoad.so";
constexpr const char *kLogName = "KVDownLoadNewFileU";
constexpr std::string_view kUpgraderKey = "Software\\VLNT\\Upgrader";
constexpr int kErrorSize = 256;

std::string defaultLibraryPath()
{
    const std::string besideUs = moduleDirectory() + kLibraryName;
    std::error_code error;
    return std::filesystem::exists(besideUs, error) ? besideUs : kLibraryName;
}

// The text between open and close; empty when either is missing.
std::string between(const std::string &text, const std::string &open, const std::string &close)
{
    const std::size_t start = text.find(open);
    if (start == std::string::npos)
        return {};
    const std::size_t from = start + open.size();
    const std::size_t end = text.find(close, from);
    return end == std::string::npos ? std::string() : text.substr(from, end - from);
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string directoryOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Runs step until it succeeds; a failure raises "format[file] failed. error",
// after offering Abort and Retry when interactive.
template <typename Step>
void retryLoop(Step step, const std::string &what, const std::string &localFile, bool interactive)
{
    for (;;) {
        std::string error;
        if (step(error))
            return;
        const std::string text = what + "[" + localFile + "] failed. " + error;
        if (!interactive)
            throw std::runtime_error(text);
        const ModalResult answer = Prompter::current()->messageBox(
            text, "", MessageType::Error, MessageButton::Abort | MessageButton::Retry, MessageButton::Retry);
        if (answer != mrRetry)
            throw std::runtime_error(text);
    }
}

} // namespace

TKVDownLoad::TKVDownLoad() : TKVDownLoad(defaultLibraryPath()) {}

TKVDownLoad::TKVDownLoad(const std::string &libraryPath)
{
    bind(libraryPath);
}

TKVDownLoad::~TKVDownLoad()
{
    if (m_library)
        dlclose(m_library);
}

void TKVDownLoad::bind(const std::string &libraryPath)
{
    // NODELETE: the library brings libcurl and OpenSSL, whose exit handlers
    // would run on unmapped code once the last handle is closed.
    m_library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_library)
        return;
    CompareFileToDown = reinterpret_cast<CompareFunc>(dlsym(m_library, "CompareFileToDown"));
    KVDownLoadFileEx = reinterpret_cast<DownloadFunc>(dlsym(m_library, "KVDownLoadFileEx"));
    UnZipFilesOrDir = reinterpret_cast<UnzipFunc>(dlsym(m_library, "UnZipFilesOrDir"));
    CompareFileToDownEx = dlsym(m_library, "CompareFileToDownEx");
    NeedDownLoad = dlsym(m_library, "NeedDownLoad");
    UnZipFilesList = dlsym(m_library, "UnZipFilesList");
    UnZipFilesXML = dlsym(m_library, "UnZipFilesXML");
    GetFileList = dlsym(m_library, "GetFileList");
}

bool TKVDownLoad::Compare(const std::string &stamp, const std::string &localFile) const
{
    if (!CompareFileToDown)
        throw std::runtime_error("function KvDownLoad.CompareFileToDown not found!");
    return CompareFileToDown(stamp.c_str(), localFile.c_str()) != 0;
}

bool TKVDownLoad::DownLoad(const std::string &serverFile, const std::string &localFile, std::string &error) const
{
    if (!KVDownLoadFileEx) {
        error = "function KvDownLoad.KVDownLoadFile not found!";
        return false;
    }
    char buffer[kErrorSize] = {};
    int status = 0;
    const bool done = KVDownLoadFileEx(m_sourceDir.c_str(), "VLNT", "60", serverFile.c_str(), localFile.c_str(),
                                       &status, buffer, 0)
                      != 0;
    error = done ? std::string() : std::string(buffer);
    return done;
}

bool TKVDownLoad::UnZip(const std::string &archive, const std::string &directory, std::string &error) const
{
    if (!UnZipFilesOrDir) {
        error = "function KvDownLoad.UnZipFilesOrDir not found!";
        return false;
    }
    char buffer[kErrorSize] = {};
    const bool done = UnZipFilesOrDir(archive.c_str(), directory.c_str(), buffer) != 0;
    error = done ? std::string() : std::string(buffer);
    return done;
}

ServerFileDescription ServerFileDescription::parse(const std::string &description)
{
    ServerFileDescription result;
    std::string path;
    if (description.find("<Modify>") != std::string::npos || description.find("<Path>") != std::string::npos) {
        result.stamp = between(description, "<Modify>", "</Modify>");
        path = between(description, "<Path>", "</Path>");
    } else {
        result.stamp = between(description, "Modify = '", "'");
        path = between(description, "Path = '", "'");
    }
    result.directory = directoryOf(path);
    return result;
}

bool UpgraderAllowsDownload()
{
    const std::optional<RegistryKey> key = Registry::openKey(kUpgraderKey);
    if (!key) {
        WriteDownLoadAlert("Read Upgrader Registry Error: No UPGRADER_REGISTRY_PATH");
        return false;
    }
    return trimBlanks(key->readString("GoAhead")) == "1";
}

bool WriteDownLoadAlert(const std::string &text)
{
    const std::string folder = SystemInfo::hostProgramDir() + "Log/";
    if (!QDir().mkpath(QString::fromStdString(folder)))
        return false;
    const QDateTime now = Clock::now();
    const std::string file = folder + "Alert_" + kLogName + "_" + now.toString("yyyyMMdd").toStdString() + ".log";
    return AlertLog::appendLine(file, "[" + now.toString("yyyy/MM/dd HH:mm:ss:zzz").toStdString() + "] " + text);
}

bool CheckNewFile(const std::string &description, const std::string &localFile, std::string &message,
                  bool interactive, const std::string &libraryPath)
{
    const ServerFileDescription server = ServerFileDescription::parse(description);
    if (!UpgraderAllowsDownload())
        return true;
    try {
        const TKVDownLoad library(libraryPath.empty() ? defaultLibraryPath() : libraryPath);
        if (!library.Compare(server.stamp, localFile))
            return true;
        if (localFile.find("\\\\") != std::string::npos || localFile.rfind("//", 0) == 0)
            throw std::runtime_error("Net File can't update![" + localFile + "]");
        std::string directory(trimBlanks(server.directory));
        if (directory.empty() || (directory.back() != '\\' && directory.back() != '/'))
            directory += '\\';
        const std::string name = fileNameOf(localFile);
        const std::string serverFile = directory + lowerAscii(name) + ".zip";
        const std::string archive = SystemInfo::tempDir() + name + ".zip";
        retryLoop([&](std::string &error) { return library.DownLoad(serverFile, archive, error); }, "DownLoad new file",
                  localFile, interactive);
        const std::string target = directoryOf(localFile).empty() ? "./" : directoryOf(localFile);
        retryLoop([&](std::string &error) { return library.UnZip(archive, target, error); }, "Unzip new file",
                  localFile, interactive);
        return true;
    } catch (const std::exception &error) {
        message = error.what();
        WriteDownLoadAlert(message);
        return false;
    }
}

} // namespace kv
