// Writes KVBitmap pictures as JPG or GIF files; see KVBmpToFile.h.

#include "KVBmpToFile.h"

#include <gif_lib.h>

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace {

constexpr int kJpegQuality = 90;

bool validBitmap(const KVBitmap *bitmap)
{
    return bitmap && bitmap->rows && bitmap->width > 0 && bitmap->height > 0 && bitmap->width <= 65535 &&
           bitmap->height <= 65535 && bitmap->stride >= 3 * bitmap->width;
}

const unsigned char *rowOf(const KVBitmap &bitmap, int row)
{
    return bitmap.rows + static_cast<std::size_t>(row) * static_cast<std::size_t>(bitmap.stride);
}

// libjpeg reports fatal errors through error_exit, which must not return:
// jump back to the writer, which cleans up and fails.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError *>(info->err)->jump, 1);
}

int writeJpeg(const KVBitmap &bitmap, const char *name)
{
    std::FILE *file = std::fopen(name, "wb");
    if (!file)
        return KVBMP_CANNOT_CREATE;
    jpeg_compress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::fclose(file);
        std::remove(name);
        return KVBMP_ENCODER_ERROR;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(bitmap.width);
    info.image_height = JDIMENSION(bitmap.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rowOf(bitmap, int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 ? KVBMP_OK : KVBMP_ENCODER_ERROR;
}

// A GIF holds at most 256 colours. Page pictures mostly use a handful, so
// they keep their exact colours; richer pictures go through giflib's
// median-cut quantisation.
struct IndexedPicture {
    std::vector<GifColorType> palette;
    std::vector<GifByteType> pixels;
};

// The palette index of each colour met so far, by its 24-bit key: open
// addressing over four times as many slots as a GIF has colours, so a
// lookup seldom probes twice.
class ColourIndex {
public:
    static constexpr int kNone = -1;

    ColourIndex() { m_keys.fill(kEmpty); }

    int find(unsigned key) const
    {
        for (unsigned slot = first(key);; slot = (slot + 1) & kMask) {
            if (m_keys[slot] == key)
                return m_values[slot];
            if (m_keys[slot] == kEmpty)
                return kNone;
        }
    }

    void add(unsigned key, GifByteType value)
    {
        unsigned slot = first(key);
        while (m_keys[slot] != kEmpty)
            slot = (slot + 1) & kMask;
        m_keys[slot] = key;
        m_values[slot] = value;
    }

private:
    static constexpr unsigned kSlots = 1024;
    static constexpr unsigned kMask = kSlots - 1;
    static constexpr unsigned kEmpty = 0xFFFFFFFFu; // no 24-bit key

    static unsigned first(unsigned key) { return (key * 2654435761u) >> 22; }

    std::array<unsigned, kSlots> m_keys;
    std::array<GifByteType, kSlots> m_values;
};

bool exactPalette(const KVBitmap &bitmap, IndexedPicture &picture)
{
    ColourIndex index;
    picture.pixels.resize(std::size_t(bitmap.width) * std::size_t(bitmap.height));
    GifByteType *out = picture.pixels.data();
    // Neighbouring pixels mostly share their colour (paper, lines, glyphs).
    unsigned previousKey = 0xFFFFFFFFu;
    GifByteType previous = 0;
    for (int y = 0; y < bitmap.height; ++y) {
        const unsigned char *p = rowOf(bitmap, y);
        for (int x = 0; x < bitmap.width; ++x, p += 3) {
            const unsigned key = unsigned(p[0]) << 16 | unsigned(p[1]) << 8 | p[2];
            if (key != previousKey) {
                int found = index.find(key);
                if (found == ColourIndex::kNone) {
                    if (picture.palette.size() == 256)
                        return false;
                    found = int(picture.palette.size());
                    index.add(key, GifByteType(found));
                    picture.palette.push_back(GifColorType{p[0], p[1], p[2]});
                }
                previousKey = key;
                previous = GifByteType(found);
            }
            *out++ = previous;
        }
    }
    return true;
}

bool quantised(const KVBitmap &bitmap, IndexedPicture &picture)
{
    const std::size_t count = std::size_t(bitmap.width) * std::size_t(bitmap.height);
    std::vector<GifByteType> red(count), green(count), blue(count);
    std::size_t at = 0;
    for (int y = 0; y < bitmap.height; ++y) {
        const unsigned char *p = rowOf(bitmap, y);
        for (int x = 0; x < bitmap.width; ++x, p += 3, ++at) {
            red[at] = p[0];
            green[at] = p[1];
            blue[at] = p[2];
        }
    }
    int size = 256;
    picture.palette.assign(256, GifColorType{0, 0, 0});
    picture.pixels.assign(count, 0);
    if (GifQuantizeBuffer(unsigned(bitmap.width), unsigned(bitmap.height), &size, red.data(), green.data(),
                          blue.data(), picture.pixels.data(), picture.palette.data()) == GIF_ERROR)
        return false;
    picture.palette.resize(std::size_t(size));
    return true;
}

// The colour map of a GIF must have a power-of-two size (2 .. 256).
ColorMapObject *colourMap(std::vector<GifColorType> palette)
{
    int size = 2;
    while (size < int(palette.size()))
        size *= 2;
    palette.resize(std::size_t(size), GifColorType{0, 0, 0});
    return GifMakeMapObject(size, palette.data());
}

int writeGif(const KVBitmap &bitmap, const char *name)
{
    IndexedPicture picture;
    if (!exactPalette(bitmap, picture)) {
        picture = IndexedPicture();
        if (!quantised(bitmap, picture))
            return KVBMP_ENCODER_ERROR;
    }
    int error = 0;
    GifFileType *gif = EGifOpenFileName(name, false, &error);
    if (!gif)
        return KVBMP_CANNOT_CREATE;
    ColorMapObject *map = colourMap(picture.palette);
    bool ok = map && EGifPutScreenDesc(gif, bitmap.width, bitmap.height, map->BitsPerPixel, 0, map) != GIF_ERROR &&
              EGifPutImageDesc(gif, 0, 0, bitmap.width, bitmap.height, false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < bitmap.height; ++y)
        ok = EGifPutLine(gif, picture.pixels.data() + std::size_t(y) * std::size_t(bitmap.width), bitmap.width) !=
             GIF_ERROR;
    GifFreeMapObject(map);
    const bool closed = EGifCloseFile(gif, &error) != GIF_ERROR;
    if (ok && closed)
        return KVBMP_OK;
    std::remove(name);
    return KVBMP_ENCODER_ERROR;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int BMPToFile(const void *image, int type, char *name,
                                                                 int nameSize)
{
    const auto *bitmap = static_cast<const KVBitmap *>(image);
    if (!validBitmap(bitmap) || !name || nameSize <= 0)
        return KVBMP_BAD_ARGUMENT;
    const std::size_t length = strnlen(name, std::size_t(nameSize));
    if (length == 0 || length == std::size_t(nameSize))
        return KVBMP_BAD_ARGUMENT;
    if (type != KVBMP_TYPE_JPG && type != KVBMP_TYPE_GIF)
        return KVBMP_BAD_TYPE;
    const char *extension = type == KVBMP_TYPE_JPG ? ".jpg" : ".gif";
    if (length + std::strlen(extension) + 1 > std::size_t(nameSize))
        return KVBMP_NAME_TOO_LONG;
    std::strcat(name, extension);
    return type == KVBMP_TYPE_JPG ? writeJpeg(*bitmap, name) : writeGif(*bitmap, name);
}
