// The unpacking of KVDownLoad.so: a ZIP archive into a directory with libzip.
// Nothing is replaced until every entry has been checked and unpacked.

#include "KVDownLoad.h"
#include "KVDownLoadInternal.h"

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class Archive {
public:
    explicit Archive(const char *name)
    {
        int code = 0;
        m_zip = zip_open(name, ZIP_RDONLY | ZIP_CHECKCONS, &code);
        if (!m_zip) {
            zip_error_t error;
            zip_error_init_with_code(&error, code);
            m_openError = zip_error_strerror(&error);
            zip_error_fini(&error);
        }
    }
    ~Archive()
    {
        if (m_zip)
            zip_discard(m_zip);
    }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;
    zip_t *get() const { return m_zip; }
    const std::string &openError() const { return m_openError; }

private:
    zip_t *m_zip = nullptr;
    std::string m_openError;
};

// The unpacked files waiting beside their final names; removed unless committed.
class PendingFiles {
public:
    ~PendingFiles()
    {
        for (const auto &file : m_files)
            std::remove(file.temporary.c_str());
    }
    void add(const std::string &temporary, const std::string &target) { m_files.push_back({temporary, target}); }
    // Renames every file into place; stops at the first failure.
    std::string commit()
    {
        while (!m_files.empty()) {
            const File file = m_files.front();
            if (std::rename(file.temporary.c_str(), file.target.c_str()) != 0)
                return "cannot replace " + file.target + ": " + std::strerror(errno);
            m_files.erase(m_files.begin());
        }
        return {};
    }

private:
    struct File {
        std::string temporary;
        std::string target;
    };
    std::vector<File> m_files;
};

std::vector<std::string> components(const std::string &name)
{
    std::vector<std::string> parts(1);
    for (char c : name) {
        if (c == '/' || c == '\\')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool isLink(zip_t *zip, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// Empty when the entry may be unpacked, else the reason it may not.
std::string checkEntry(zip_t *zip, zip_uint64_t index, const std::string &name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'))
        return "entry [" + name + "] has an absolute path";
    for (const std::string &part : components(name))
        if (part == "..")
            return "entry [" + name + "] lies outside the target directory";
    if (isLink(zip, index))
        return "entry [" + name + "] is a link";
    return {};
}

// Creates the directories of name under target; refuses existing links.
std::string makeDirectories(const std::string &target, const std::string &name, bool lastIsDirectory)
{
    std::vector<std::string> parts = components(name);
    if (!lastIsDirectory)
        parts.pop_back();
    std::string path = target;
    for (const std::string &part : parts) {
        if (part.empty() || part == ".")
            continue;
        path += "/" + part;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return "cannot unpack into " + path + ": not a directory";
            continue;
        }
        if (::mkdir(path.c_str(), 0755) != 0)
            return "cannot create " + path + ": " + std::strerror(errno);
    }
    return {};
}

std::string joined(const std::string &target, const std::string &name)
{
    std::string path = target;
    for (const std::string &part : components(name))
        if (!part.empty() && part != ".")
            path += "/" + part;
    return path;
}

mode_t fileMode(zip_t *zip, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX
        && ((attributes >> 16) & 0777) != 0)
        return (attributes >> 16) & 0777;
    return 0644;
}

// Copies the entry into fd; empty on success (size and checksum good).
std::string copyEntry(zip_t *zip, zip_uint64_t index, int fd, const std::string &name)
{
    zip_file_t *entry = zip_fopen_index(zip, index, 0);
    if (!entry)
        return "cannot read entry [" + name + "]: " + zip_strerror(zip);
    char buffer[65536];
    std::string failure;
    zip_int64_t got = 0;
    while ((got = zip_fread(entry, buffer, sizeof buffer)) > 0) {
        if (::write(fd, buffer, static_cast<size_t>(got)) != got) {
            failure = std::string("cannot write: ") + std::strerror(errno);
            break;
        }
    }
    if (failure.empty() && got < 0)
        failure = "entry [" + name + "] is damaged: " + zip_file_strerror(entry);
    zip_fclose(entry);
    return failure;
}

std::string unpackEntry(zip_t *zip, zip_uint64_t index, const std::string &name, const std::string &target,
                        PendingFiles &pending)
{
    const std::string path = joined(target, name);
    std::string temporary = path + ".part-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return "cannot create " + temporary + ": " + std::strerror(errno);
    pending.add(temporary, path);
    std::string failure = copyEntry(zip, index, fd, name);
    if (failure.empty() && (::fchmod(fd, fileMode(zip, index)) != 0 || ::fsync(fd) != 0))
        failure = "cannot write " + temporary + ": " + std::strerror(errno);
    if (::close(fd) != 0 && failure.empty())
        failure = "cannot write " + temporary + ": " + std::strerror(errno);
    return failure;
}

std::string unpack(const char *archiveName, const std::string &target)
{
    Archive archive(archiveName);
    if (!archive.get())
        return std::string("cannot open archive ") + archiveName + ": " + archive.openError();
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    std::vector<std::string> names;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
        names.emplace_back(name ? name : "");
        const std::string refused = checkEntry(archive.get(), static_cast<zip_uint64_t>(i), names.back());
        if (!refused.empty())
            return refused;
    }
    PendingFiles pending;
    for (zip_int64_t i = 0; i < count; ++i) {
        const std::string &name = names[static_cast<size_t>(i)];
        const bool directory = name.back() == '/' || name.back() == '\\';
        std::string failure = makeDirectories(target, name, directory);
        if (failure.empty() && !directory)
            failure = unpackEntry(archive.get(), static_cast<zip_uint64_t>(i), name, target, pending);
        if (!failure.empty())
            return failure;
    }
    return pending.commit();
}

} // namespace

extern "C" __attribute__((visibility("default"))) int UnZipFilesOrDir(const char *archive, const char *targetDir,
                                                                     char *error)
{
    struct stat info {};
    if (!archive || !*archive || !targetDir || !*targetDir) {
        kvdl::setError(error, "no archive or target directory");
        return 0;
    }
    if (::stat(targetDir, &info) != 0 || !S_ISDIR(info.st_mode)) {
        kvdl::setError(error, std::string("target directory ") + targetDir + " does not exist");
        return 0;
    }
    const std::string failure = unpack(archive, targetDir);
    kvdl::setError(error, failure);
    return failure.empty() ? 1 : 0;
}
