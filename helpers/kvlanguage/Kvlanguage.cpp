// Simplified <-> traditional conversion for the module's interface and data.
//
// The code pages 936 and 950 convert character by character; OpenCC's
// "s2tw" and "tw2s" configurations come closest to that: they map characters
// (using phrases only to pick the right one of several traditional forms,
// e.g. 发 -> 發 or 髮) and produce the Taiwan standard forms that Big5 can
// encode (為, 裡, 著 rather than 爲, 裏, 着). The "p" variants, which also
// replace vocabulary (软件 -> 軟體), are deliberately not used: an ERP must
// not change the words of item names and remarks.

#include "Kvlanguage.h"

#include "platform/TextCodec.h"

#include <opencc/SimpleConverter.hpp>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// One OpenCC converter, built on first use (loading the dictionaries is slow)
// and serialised: OpenCC does not promise that one converter may be used by
// several threads at once.
class SharedConverter {
public:
    explicit SharedConverter(const char *config) : m_config(config) {}

    // False when the conversion data cannot be loaded.
    bool convert(std::string_view input, std::string &output)
    {
        std::call_once(m_once, [this] { load(); });
        if (!m_converter)
            return false;
        std::lock_guard lock(m_mutex);
        try {
            output = m_converter->Convert(input.data(), input.size());
            return true;
        } catch (...) {
            return false;
        }
    }

private:
    void load()
    {
        try {
            m_converter = std::make_unique<opencc::SimpleConverter>(m_config);
        } catch (...) {
            m_converter.reset();
        }
    }

    const char *m_config;
    std::once_flag m_once;
    std::mutex m_mutex;
    std::unique_ptr<opencc::SimpleConverter> m_converter;
};

// Static objects, not leaked pointers: they are destroyed when the library is
// unloaded, so unloading does not leave the dictionaries behind.
SharedConverter g_toTraditional("s2tw.json");
SharedConverter g_toSimplified("tw2s.json");


char *copyOut(const std::string &text)
{
    auto *buffer = static_cast<char *>(std::malloc(text.size() + 1));
    if (buffer)
        std::memcpy(buffer, text.c_str(), text.size() + 1);
    return buffer;
}

char *convertWith(SharedConverter &converter, const char *text)
{
    if (!text)
        return nullptr;
    const std::string_view input(text);
    // OpenCC trusts its input to be UTF-8: a truncated sequence at the end
    // of the text would make it read past the buffer.
    if (!kv::isValidUtf8(input))
        return nullptr;
    std::string output;
    if (input.empty())
        return copyOut(output);
    if (!converter.convert(input, output))
        return nullptr;
    return copyOut(output);
}

} // namespace

KV_EXPORT char *GBtoBIG5(const char *text)
{
    return convertWith(g_toTraditional, text);
}

KV_EXPORT char *BIG5toGB(const char *text)
{
    return convertWith(g_toSimplified, text);
}

KV_EXPORT void KvFreeText(char *text)
{
    std::free(text);
}
