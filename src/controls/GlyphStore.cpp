#include "controls/GlyphStore.h"

#include "controls/BuiltinGlyphs.h"
#include "lib/Translator.h"

#include <QPixmap>

#include <dlfcn.h>

#include <filesystem>

namespace kv {

namespace {

std::string dlErrorText(const std::string &fallback)
{
    const char *error = dlerror();
    return error ? std::string(error) : fallback;
}

} // namespace

GlyphStore::GlyphStore()
{
    const std::string besideUs = moduleDirectory() + kLibraryName;
    std::error_code error;
    if (std::filesystem::exists(besideUs, error))
        open(besideUs);
    if (!m_handle)
        open(kLibraryName);
}

GlyphStore::GlyphStore(const std::string &libraryPath)
{
    open(libraryPath);
}

GlyphStore::~GlyphStore()
{
    if (m_handle)
        dlclose(m_handle);
}

GlyphStore &GlyphStore::shared()
{
    // Never unloaded: the library registers resources with Qt, which must
    // not outlive it at process exit.
    static GlyphStore *store = new GlyphStore();
    return *store;
}

void GlyphStore::open(const std::string &path)
{
    dlerror();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        m_loadError = "Load Library " + path + " Error! " + dlErrorText({});
        return;
    }
    if (!bindEntryPoints()) {
        m_loadError = "Get Library Procedure Address Error! (" + path + ")";
        dlclose(m_handle);
        m_handle = nullptr;
        return;
    }
    m_libraryPath = path;
    m_loadError.clear();
}

bool GlyphStore::bindEntryPoints()
{
    m_getMax = reinterpret_cast<MaxFunc>(dlsym(m_handle, "GetMaxBmpID"));
    m_load = reinterpret_cast<LoadFunc>(dlsym(m_handle, "LoadBmp"));
    m_loadNamed = reinterpret_cast<LoadNamedFunc>(dlsym(m_handle, "LoadNamedBmp"));
    // Buffers handed out belong to the library; without its release
    // function every image would leak.
    m_free = reinterpret_cast<FreeFunc>(dlsym(m_handle, "FreeBmp"));
    return m_getMax && m_load && m_loadNamed && m_free;
}

int GlyphStore::GetMaxBmpID() const
{
    return m_handle ? m_getMax() : BuiltinGlyphs::maxId();
}

QImage GlyphStore::imageFromLibrary(const QString &key, int number) const
{
    unsigned char *data = nullptr;
    std::size_t size = 0;
    const QByteArray name = key.toUtf8();
    const int loaded = number > 0 ? m_load(number, &data, &size) : m_loadNamed(name.constData(), &data, &size);
    if (!loaded || !data)
        return {};
    QImage image;
    image.loadFromData(data, qsizetype(size), "PNG");
    m_free(data);
    return image;
}

QImage GlyphStore::image(const QString &key, int number) const
{
    const auto cached = m_cache.constFind(key);
    if (cached != m_cache.cend())
        return *cached;
    QImage image;
    if (m_handle)
        image = imageFromLibrary(key, number);
    else
        image = number > 0 ? BuiltinGlyphs::glyph(number) : BuiltinGlyphs::named(key);
    if (!image.isNull())
        m_cache.insert(key, image);
    return image;
}

bool GlyphStore::LoadBmp(QPixmap &bitmap, int number) const
{
    if (number <= 0)
        return false;
    const QImage found = image(QStringLiteral("#%1").arg(number), number);
    if (found.isNull())
        return false;
    bitmap = QPixmap::fromImage(found);
    return true;
}

bool GlyphStore::LoadNamedBmp(QPixmap &bitmap, const QString &name) const
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('#')))
        return false;
    const QImage found = image(name, 0);
    if (found.isNull())
        return false;
    bitmap = QPixmap::fromImage(found);
    return true;
}

} // namespace kv
