// The download description of the new-file check: a file-list entry from
// the server (tagged or assignment form), its stamp compared with a local
// file by the download library's CompareFileToDown.
#include "FuzzSupport.h"

#include "base/KVDownLoadNewFile.h"

#include <QTemporaryDir>

#include <fstream>

extern "C" int CompareFileToDown(const char *stamp, const char *localFile);

namespace {

const std::string &localFile()
{
    static QTemporaryDir directory;
    static const std::string path = [] {
        const std::string file = directory.filePath("local.dat").toStdString();
        std::ofstream(file) << "contents";
        return file;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    localFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view raw = fuzz::text(data, size);
    const std::string description(raw.substr(0, raw.find('\0')));
    const kv::ServerFileDescription server = kv::ServerFileDescription::parse(description);
    const int answer = CompareFileToDown(server.stamp.c_str(), localFile().c_str());
    if (answer != 0 && answer != 1)
        fuzz::fail("CompareFileToDown answered " + std::to_string(answer));
    CompareFileToDown(description.c_str(), localFile().c_str());
    return 0;
}
