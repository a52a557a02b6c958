#include "lib/Translator.h"

#include "platform/SystemInfo.h"
#include "platform/TextCodec.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace kv {

namespace {

std::string formatLoadError(const char *name)
{
    return std::string("Load Library ") + name + " Error!";
}

// dladdr on one of our own functions names the shared object that holds it.
// For the main program glibc reports argv[0], which may be relative to a
// directory we have since left, so the program's own path is used instead.
std::string directoryOfThisCode()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&moduleDirectory), &info) == 0 || !info.dli_fname)
        return {};
    const std::filesystem::path file(info.dli_fname);
    if (!file.is_absolute())
        return SystemInfo::hostProgramDir();
    std::string dir = file.parent_path().string();
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace

std::string moduleDirectory()
{
    return directoryOfThisCode();
}

TTranslator::TTranslator()
{
    const std::string besideUs = moduleDirectory() + kLibraryName;
    std::error_code error;
    if (std::filesystem::exists(besideUs, error)) {
        m_handle = dlopen(besideUs.c_str(), RTLD_NOW | RTLD_LOCAL);
        m_libraryPath = besideUs;
    }
    if (!m_handle) {
        m_handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        m_libraryPath = kLibraryName;
    }
    if (!m_handle)
        throw ETranslator(formatLoadError(kLibraryName));

    m_gbToBig5 = reinterpret_cast<ConvertFunc>(dlsym(m_handle, "GBtoBIG5"));
    m_big5ToGb = reinterpret_cast<ConvertFunc>(dlsym(m_handle, "BIG5toGB"));
    // Texts returned by the library belong to it; without its release
    // function every conversion would leak, so it is required as well.
    m_freeText = reinterpret_cast<FreeFunc>(dlsym(m_handle, "KvFreeText"));
    if (!m_gbToBig5 || !m_big5ToGb || !m_freeText) {
        dlclose(m_handle);
        m_handle = nullptr;
        throw ETranslator("Get Library Procedure Address Error!");
    }
}

TTranslator::~TTranslator()
{
    if (m_handle)
        dlclose(m_handle);
}

std::string TTranslator::GBtoBIG5(const std::string &text) const
{
    return convert(m_gbToBig5, "GBtoBIG5", text);
}

std::string TTranslator::BIG5toGB(const std::string &text) const
{
    return convert(m_big5ToGb, "BIG5toGB", text);
}

std::string TTranslator::convert(ConvertFunc func, const char *funcName, const std::string &text) const
{
    if (!func || text.empty())
        return text;
    if (!isValidUtf8(text))
        throw ETranslator(std::string(funcName) + ": the text is not valid UTF-8");
    // The library takes C strings; a text with embedded NULs is converted
    // piece by piece so nothing after the first NUL is lost.
    std::string converted;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        const std::string piece = text.substr(start, end - start);
        const std::unique_ptr<char, FreeFunc> result(func(piece.c_str()), m_freeText);
        if (!result)
            throw ETranslator(std::string(funcName) + ": the conversion failed (conversion data missing?)");
        converted += result.get();
        if (end == text.size())
            break;
        converted += '\0';
        start = end + 1;
    }
    return converted;
}

} // namespace kv
