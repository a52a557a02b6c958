// KVBmpToFile.so loaded as the module loads it (by path, one C entry point):
// pictures come back from an independent reader with their colours, the
// extension lands in the caller's buffer, and bad calls get their result
// code without touching the disk.

#include "../../../helpers/kvbmptofile/KVBmpToFile.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace {

using Export = int (*)(const void *, int, char *, int);

class KVBmpToFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = dlopen(QIPR07_BIN_DIR "/KVBmpToFile.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        convert = reinterpret_cast<Export>(dlsym(library, "BMPToFile"));
        ASSERT_NE(convert, nullptr);
    }
    void TearDown() override
    {
        if (library)
            dlclose(library);
    }

    // Writes the picture as type into name and returns the result code.
    int write(const QImage &picture, int type, std::string &name)
    {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        const KVBitmap bitmap{rgb.width(), rgb.height(), int(rgb.bytesPerLine()), rgb.constBits()};
        char buffer[256] = {};
        std::strncpy(buffer, name.c_str(), sizeof buffer - 1);
        const int result = convert(&bitmap, type, buffer, sizeof buffer);
        name = buffer;
        return result;
    }

    std::string path(const char *name) const { return dir.filePath(QString::fromLatin1(name)).toStdString(); }

    void *library = nullptr;
    Export convert = nullptr;
    QTemporaryDir dir;
};

// Mean and largest difference of one colour channel over the picture.
struct Difference {
    double mean = 0;
    int worst = 0;
};

Difference difference(const QImage &a, const QImage &b)
{
    Difference d;
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int channel : {qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q))}) {
                sum += channel;
                d.worst = std::max(d.worst, channel);
            }
        }
    d.mean = double(sum) / (3.0 * a.width() * a.height());
    return d;
}

TEST_F(KVBmpToFileTest, PicturesComeBackWithTheirColours)
{
    // A gradient of far more than 256 colours (the GIF must quantise) with an
    // odd width, so that rows are padded in the caller's picture.
    QImage gradient(301, 200, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y)
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 300, y * 255 / 199, (x + y) * 255 / 499));

    std::string jpg = path("gradient");
    ASSERT_EQ(write(gradient, KVBMP_TYPE_JPG, jpg), KVBMP_OK);
    EXPECT_EQ(jpg, path("gradient.jpg"));
    const QImage jpeg(QString::fromStdString(jpg));
    ASSERT_EQ(jpeg.size(), gradient.size());
    EXPECT_LT(difference(gradient, jpeg).mean, 2.0);
    EXPECT_LT(difference(gradient, jpeg).worst, 24);

    std::string gif = path("gradient");
    ASSERT_EQ(write(gradient, KVBMP_TYPE_GIF, gif), KVBMP_OK);
    EXPECT_EQ(gif, path("gradient.gif"));
    const QImage quantised(QString::fromStdString(gif));
    ASSERT_EQ(quantised.size(), gradient.size());
    EXPECT_LT(difference(gradient, quantised).mean, 8.0);
    EXPECT_LT(difference(gradient, quantised).worst, 64); // median cut leaves some boxes wide

    // Few colours keep their exact values.
    QImage page(50, 30, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int x = 0; x < 50; ++x)
        page.setPixel(x, 10, qRgb(200, 16, 16));
    std::string exact = path("page");
    ASSERT_EQ(write(page, KVBMP_TYPE_GIF, exact), KVBMP_OK);
    EXPECT_EQ(difference(page, QImage(QString::fromStdString(exact))).worst, 0);

    // 256 colours, each met in runs and again later, are the most a GIF
    // keeps exactly.
    QImage full(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x) {
            const int colour = (y % 16) * 16 + x / 4;
            full.setPixel(x, y, qRgb(colour, 255 - colour, (colour * 37) % 256));
        }
    std::string all = path("full");
    ASSERT_EQ(write(full, KVBMP_TYPE_GIF, all), KVBMP_OK);
    EXPECT_EQ(difference(full, QImage(QString::fromStdString(all))).worst, 0);
}

TEST_F(KVBmpToFileTest, BadCallsFailWithTheirCodes)
{
    const QImage picture(8, 8, QImage::Format_RGB32);
    std::string name = path("x");
    EXPECT_EQ(write(picture, 0, name), KVBMP_BAD_TYPE);
    EXPECT_EQ(write(picture, 3, name), KVBMP_BAD_TYPE);
    EXPECT_EQ(name, path("x"));

    std::string full = dir.path().toStdString() + "/" + std::string(255 - dir.path().size() - 1 - 2, 'n');
    ASSERT_EQ(full.size(), 253u);
    EXPECT_EQ(write(picture, KVBMP_TYPE_JPG, full), KVBMP_NAME_TOO_LONG);

    std::string noFolder = path("missing/x");
    EXPECT_EQ(write(picture, KVBMP_TYPE_JPG, noFolder), KVBMP_CANNOT_CREATE);
    noFolder = path("missing/x");
    EXPECT_EQ(write(picture, KVBMP_TYPE_GIF, noFolder), KVBMP_CANNOT_CREATE);

    char buffer[16] = "y";
    EXPECT_EQ(convert(nullptr, KVBMP_TYPE_JPG, buffer, sizeof buffer), KVBMP_BAD_ARGUMENT);
    const std::vector<unsigned char> rows(12);
    const KVBitmap narrowStride{2, 2, 5, rows.data()};
    EXPECT_EQ(convert(&narrowStride, KVBMP_TYPE_JPG, buffer, sizeof buffer), KVBMP_BAD_ARGUMENT);
    char unterminated[4] = {'a', 'b', 'c', 'd'};
    const KVBitmap ok{2, 2, 6, rows.data()};
    EXPECT_EQ(convert(&ok, KVBMP_TYPE_JPG, unterminated, sizeof unterminated), KVBMP_BAD_ARGUMENT);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
