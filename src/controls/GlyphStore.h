#pragma once
// kv::GlyphStore: numbered button glyphs and the check-box images from the
// glyph library "glyphres.so". The library is looked for next to the module
// or program this code is linked into, then by its plain name through the
// loader's search path. When it cannot be loaded, or lacks one of its entry
// points, the store answers from the images built into the controls, so
// buttons keep their pictures; loadError() tells why the library is not used.

#include <QHash>
#include <QImage>
#include <QString>

#include <cstddef>
#include <string>

class QPixmap;

namespace kv {

class GlyphStore {
public:
    static constexpr const char *kLibraryName = "glyphres.so";

    // The library beside the module, else through the loader's search path.
    GlyphStore();
    // Exactly this library file (or the built-in images when it fails).
    explicit GlyphStore(const std::string &libraryPath);
    ~GlyphStore();
    GlyphStore(const GlyphStore &) = delete;
    GlyphStore &operator=(const GlyphStore &) = delete;

    // The store the controls use; loaded on first use and kept for the
    // lifetime of the process.
    static GlyphStore &shared();

    bool usesLibrary() const { return m_handle != nullptr; }
    // The file the library was loaded from; empty for the built-in images.
    const std::string &libraryPath() const { return m_libraryPath; }
    // Why the library is not used; empty when it is.
    const std::string &loadError() const { return m_loadError; }

    // The highest glyph number held.
    int GetMaxBmpID() const;
    // Loads glyph number into bitmap; false (bitmap untouched) when the
    // number is not held or its image cannot be read.
    bool LoadBmp(QPixmap &bitmap, int number) const;
    // The same for a named image ("CHECKED", "UNCHECKED", "GRAYED").
    bool LoadNamedBmp(QPixmap &bitmap, const QString &name) const;

private:
    using MaxFunc = int (*)();
    using LoadFunc = int (*)(int, unsigned char **, std::size_t *);
    using LoadNamedFunc = int (*)(const char *, unsigned char **, std::size_t *);
    using FreeFunc = void (*)(unsigned char *);

    void open(const std::string &path);
    bool bindEntryPoints();
    QImage image(const QString &key, int number) const;
    QImage imageFromLibrary(const QString &key, int number) const;

    void *m_handle = nullptr;
    std::string m_libraryPath;
    std::string m_loadError;
    MaxFunc m_getMax = nullptr;
    LoadFunc m_load = nullptr;
    LoadNamedFunc m_loadNamed = nullptr;
    FreeFunc m_free = nullptr;
    // Images already read, by "#number" or name: buttons ask for the same
    // few glyphs over and over.
    mutable QHash<QString, QImage> m_cache;
};

} // namespace kv
