#include "platform/TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace kv {

namespace {

class IconvHandle {
public:
    IconvHandle(const char *to, const char *from) : m_handle(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_handle);
    }
    IconvHandle(const IconvHandle &) = delete;
    IconvHandle &operator=(const IconvHandle &) = delete;
    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_handle; }

private:
    iconv_t m_handle;
};

std::optional<std::string> convert(std::string_view bytes, const char *to, const char *from)
{
    IconvHandle cd(to, from);
    if (!cd.valid())
        return std::nullopt;
    std::string out;
    out.resize(bytes.size() * 4 + 16);
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) != std::size_t(-1))
            continue;
        if (errno != E2BIG)
            return std::nullopt; // invalid or incomplete sequence
        const std::size_t used = std::size_t(outPtr - out.data());
        out.resize(out.size() * 2);
        outPtr = out.data() + used;
        outLeft = out.size() - used;
    }
    out.resize(std::size_t(outPtr - out.data()));
    return out;
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        unsigned int codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            codePoint = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            codePoint = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        static const unsigned int minimum[] = {0, 0x80, 0x800, 0x10000};
        if (codePoint < minimum[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::optional<std::string> decodeToUtf8(std::string_view bytes, const char *encoding)
{
    return convert(bytes, "UTF-8", encoding);
}

std::optional<std::string> encodeFromUtf8(std::string_view text, const char *encoding)
{
    return convert(text, encoding, "UTF-8");
}

std::optional<std::string> decodeSettingsText(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return decodeToUtf8(bytes, "GB18030");
}

} // namespace kv
