// The glyph store with the real glyphres.so from the build's bin folder, its
// C entry points and ownership rule, and the built-in fallback.

#include "controls/BuiltinGlyphs.h"
#include "controls/GlyphStore.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstddef>
#include <dlfcn.h>

using kv::GlyphStore;

namespace {

const std::string kLibrary = std::string(QIPR07_BIN_DIR) + "/" + GlyphStore::kLibraryName;
const int kModuleGlyphs[] = {4, 8, 9, 47, 81};

// The library's own entry points, bound like any caller would.
class GlyphLibrary {
public:
    GlyphLibrary() : handle(dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~GlyphLibrary()
    {
        if (handle)
            dlclose(handle);
    }
    template <class F> F entry(const char *name) const { return reinterpret_cast<F>(dlsym(handle, name)); }
    void *handle;
};

} // namespace

TEST(GlyphStoreTest, LoadsTheLibraryBesideTheProgram)
{
    GlyphStore store;
    ASSERT_TRUE(store.usesLibrary()) << store.loadError();
    EXPECT_EQ(store.libraryPath(), kLibrary);
    EXPECT_GE(store.GetMaxBmpID(), 81);
    for (int number : kModuleGlyphs) {
        QPixmap bitmap;
        ASSERT_TRUE(store.LoadBmp(bitmap, number)) << number;
        EXPECT_EQ(bitmap.height(), 16) << number;
        EXPECT_EQ(bitmap.width(), number == 4 ? 32 : 16) << "glyph 4 holds an enabled and a disabled image";
    }
    for (const char *name : {"CHECKED", "UNCHECKED", "GRAYED"}) {
        QPixmap bitmap;
        ASSERT_TRUE(store.LoadNamedBmp(bitmap, name)) << name;
        EXPECT_EQ(bitmap.size(), QSize(19, 14)) << name;
    }
}

TEST(GlyphStoreTest, NumbersAndNamesNotHeldLeaveTheBitmapAlone)
{
    GlyphStore store(kLibrary);
    ASSERT_TRUE(store.usesLibrary()) << store.loadError();
    QPixmap bitmap(3, 3);
    for (int number : {0, -1, 5, store.GetMaxBmpID() + 1})
        EXPECT_FALSE(store.LoadBmp(bitmap, number)) << number;
    for (const char *name : {"", "MISSING", "../glyph008", "checked"})
        EXPECT_FALSE(store.LoadNamedBmp(bitmap, name)) << name;
    EXPECT_EQ(bitmap.size(), QSize(3, 3));
}

TEST(GlyphStoreTest, DrawnImagesHaveInkAndTransparency)
{
    GlyphStore store(kLibrary);
    QPixmap bitmap;
    ASSERT_TRUE(store.LoadNamedBmp(bitmap, "CHECKED"));
    const QImage checked = bitmap.toImage();
    ASSERT_TRUE(store.LoadNamedBmp(bitmap, "UNCHECKED"));
    const QImage unchecked = bitmap.toImage();
    EXPECT_NE(checked, unchecked) << "the tick must show";
    EXPECT_EQ(checked.pixelColor(18, 13).alpha(), 0) << "the cell around the box is transparent";
    EXPECT_EQ(checked.pixelColor(7, 6).alpha(), 255);
}

TEST(GlyphStoreTest, EntryPointsHandOutBuffersTheCallerFrees)
{
    GlyphLibrary library;
    ASSERT_NE(library.handle, nullptr) << dlerror();
    const auto load = library.entry<int (*)(int, unsigned char **, size_t *)>("LoadBmp");
    const auto loadNamed = library.entry<int (*)(const char *, unsigned char **, size_t *)>("LoadNamedBmp");
    const auto release = library.entry<void (*)(unsigned char *)>("FreeBmp");
    ASSERT_TRUE(load && loadNamed && release);

    unsigned char *data = nullptr;
    size_t size = 0;
    ASSERT_EQ(load(9, &data, &size), 1);
    QImage image;
    EXPECT_TRUE(image.loadFromData(data, qsizetype(size), "PNG"));
    release(data);

    unsigned char *untouched = reinterpret_cast<unsigned char *>(&size);
    size = 77;
    EXPECT_EQ(load(5, &untouched, &size), 0);
    EXPECT_EQ(untouched, reinterpret_cast<unsigned char *>(&size));
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(load(8, nullptr, &size), 0);
    EXPECT_EQ(loadNamed(nullptr, &data, &size), 0);
    EXPECT_EQ(loadNamed("A/B", &data, &size), 0);
    release(nullptr);
}

TEST(GlyphStoreTest, MissingLibraryFallsBackToBuiltInImages)
{
    GlyphStore store(std::string(QIPR07_BIN_DIR) + "/no-such-glyphres.so");
    EXPECT_FALSE(store.usesLibrary());
    EXPECT_NE(store.loadError().find("no-such-glyphres.so"), std::string::npos);
    EXPECT_EQ(store.GetMaxBmpID(), kv::BuiltinGlyphs::maxId());
    for (int number : kModuleGlyphs) {
        QPixmap bitmap;
        EXPECT_TRUE(store.LoadBmp(bitmap, number)) << number;
    }
    QPixmap box;
    EXPECT_TRUE(store.LoadNamedBmp(box, "GRAYED"));
    EXPECT_EQ(box.size(), QSize(19, 14));
    EXPECT_FALSE(store.LoadBmp(box, 5));
}

TEST(GlyphStoreTest, LibraryWithoutTheEntryPointsIsNotUsed)
{
    GlyphStore store(std::string(QIPR07_BIN_DIR) + "/Kvlanguage.so");
    EXPECT_FALSE(store.usesLibrary());
    EXPECT_NE(store.loadError().find("Procedure Address"), std::string::npos);
    QPixmap bitmap;
    EXPECT_TRUE(store.LoadBmp(bitmap, 8));
}
