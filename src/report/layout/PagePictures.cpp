// TfrmVRBaseFmt: page pictures. A generated page becomes a BMP, JPG, GIF or
// PDF file; JPG and GIF are written by the picture library KVBmpToFile.so,
// which lies in the client's helper folder.

#include "report/layout/VRBaseFmt.h"

#include "../../../helpers/kvbmptofile/KVBmpToFile.h"
#include "lib/LibStrs.h"
#include "lib/Translator.h"
#include "platform/report/PageSetup.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PageBitmaps.h"
#include "report/layout/PictureWriterQueue.h"
#include "report/layout/PrintPDF.h"
#include "report/layout/VRConvPic.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <memory>

namespace kv {

namespace {

constexpr int kMaxNameLength = 250;
constexpr int kNameBufferSize = 256;
constexpr const char *kPictureLibrary = "KVBmpToFile.so";

int pixels(double tenthsOfMm, int dpi)
{
    return int(std::lround(tenthsOfMm / 254.0 * dpi));
}

bool saveBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The picture library: the client's helper folder, else the folder of this
// module (where the build and the installation place the helper libraries).
std::string pictureLibraryPath(const std::string &clientRoot)
{
    const std::string client = clientRoot + "C_KVBIN/" + kPictureLibrary;
    if (clientRoot.empty() || !QFileInfo::exists(QString::fromStdString(client))) {
        const std::string local = moduleDirectory() + kPictureLibrary;
        if (QFileInfo::exists(QString::fromStdString(local)))
            return local;
    }
    return client;
}

} // namespace

namespace {

struct PictureGeometry {
    int storedPage = 0;
    int width = 0;
    int height = 0;
    QRect target; // where the whole sheet lands on the bitmap
};

PictureGeometry pictureGeometry(const Report &report, int page, int dpi, bool keepLeft, bool keepTop)
{
    const PageSetup &setup = *report.page();
    const QSizeF sheet = setup.sheetSize();
    const int left = keepLeft ? 0 : pixels(setup.leftMargin(), dpi);
    const int top = keepTop ? 0 : pixels(setup.topMargin(), dpi);
    PictureGeometry g;
    g.width = pixels(sheet.width(), dpi);
    const int height = pixels(sheet.height(), dpi);
    if (report.pageStyle() == Report::qrHalfPage) {
        g.storedPage = (page + 1) / 2;
        g.height = height / 2;
        if (page % 2 == 1) {
            g.target = QRect(-left, -top, g.width, height);
            g.height -= top;
        } else {
            g.target = QRect(-left, -g.height, g.width, height);
        }
    } else {
        g.storedPage = page;
        g.height = height;
        g.target = QRect(-left, -top, g.width, height);
    }
    return g;
}

} // namespace

namespace {

using PictureLibraryExport = int (*)(const void *, int, char *, int);

// Page `page` of the window's report drawn at its picture resolution, the
// margins kept or cut as the window asks; null when the picture would be
// empty.
QImage pagePixels(TfrmVRBaseFmt &window, int page)
{
    const int dpi = window.PictureDPI < 1 ? 96 : window.PictureDPI;
    const PictureGeometry g =
        pictureGeometry(*window.QuickRep1, page, dpi, window.KeepLeftMargin, window.KeepTopMargin);
    if (g.width < 1 || g.height < 1)
        return QImage();
    return PageBitmaps::of(window).draw(window.QuickRep1->pages(), g.storedPage, QSize(g.width, g.height), g.target);
}

// The picture library's BMPToFile, loaded once per window; null (the reason
// shown) when the library is missing or cannot be loaded. code gets errno.
PictureLibraryExport pictureLibrary(TfrmVRBaseFmt &window, int &code)
{
    const std::string path = pictureLibraryPath(window.ClientRoot);
    code = -1;
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        window.ShowMessage("Can't found DLL file " + path, MessageType::Error, MessageButton::OK);
        return nullptr;
    }
    errno = 0;
    void *library = PageBitmaps::of(window).library(path);
    if (!library) {
        code = errno ? errno : -1;
        window.ShowMessage(QString::asprintf("Load DLL Error %d", code).toStdString(), MessageType::Error,
                           MessageButton::OK);
        return nullptr;
    }
    return reinterpret_cast<PictureLibraryExport>(dlsym(library, "BMPToFile"));
}

int libraryPicture(const QImage &bitmap, int type, std::string &fileName, PictureLibraryExport convert)
{
    if (!convert)
        return -1;
    const QImage rgb = rgb888(bitmap);
    const KVBitmap picture{rgb.width(), rgb.height(), int(rgb.bytesPerLine()), rgb.constBits()};
    char name[kNameBufferSize] = {};
    std::memcpy(name, fileName.data(), fileName.size());
    const int result = convert(&picture, type, name, kNameBufferSize);
    fileName = name;
    return result;
}

// Writes a drawn page as a picture file; fileName gets its extension.
// Touches neither the window nor its report, so it runs on the writer's
// thread as well. Throws PdfFileError when a PDF cannot be written.
bool writePicture(const QImage &bitmap, int type, std::string &fileName, PictureLibraryExport convert)
{
    switch (type) {
    case 0:
        fileName += ".bmp";
        return saveBytes(QString::fromStdString(fileName), bmp16(bitmap));
    case 3: {
        fileName += ".pdf";
        TPrintPDF pdf;
        pdf.FileName = QString::fromStdString(fileName);
        pdf.TITLE.clear();
        pdf.Compress = true;
        pdf.PageWidth = bitmap.width();
        pdf.PageHeight = bitmap.height();
        pdf.BeginDoc();
        pdf.DrawBitmap(0, 0, bitmap);
        pdf.EndDoc();
        return true;
    }
    default:
        return libraryPicture(bitmap, type, fileName, convert) == 0;
    }
}

bool usesPictureLibrary(int type)
{
    return type != 0 && type != 3;
}

} // namespace

bool TfrmVRBaseFmt::PagePicture(std::string &fileName, int type, int page)
{
    try {
        const QImage bitmap = pagePixels(*this, page);
        if (bitmap.isNull())
            return false;
        if (usesPictureLibrary(type))
            return callPictureLibrary(bitmap, type, fileName) == 0;
        return writePicture(bitmap, type, fileName, nullptr);
    } catch (const std::exception &) {
        return false;
    }
}

int TfrmVRBaseFmt::callPictureLibrary(const QImage &bitmap, int type, std::string &fileName)
{
    if (fileName.size() > std::size_t(kMaxNameLength))
        return -1;
    int code = -1;
    const PictureLibraryExport convert = pictureLibrary(*this, code);
    if (!convert)
        return code;
    return libraryPicture(bitmap, type, fileName, convert);
}

bool TfrmVRBaseFmt::ConvertPages(const std::string &base, int type)
{
    const bool wasEnabled = isEnabled();
    setEnabled(false);
    Cancelled = false;
    bool result = true;
    {
        TfrmVRConvPic progress(this);
        progress.setRange(1, PageCount);
        progress.show();
        const OutputSlips slips(QuickRep1->pages());
        const int digits = int(std::to_string(PageCount).size());
        // The pictures are encoded and written on the writer's threads while
        // the next page is drawn here.
        PictureWriterQueue writer;
        PictureLibraryExport convert = nullptr;
        for (int i = 1; i <= PageCount && result; ++i) {
            progress.showProgress(i, PageCount, slips.ofForm(i));
            const std::string name = base + ZeroATfirst(i, digits);
            try {
                int code = 0;
                if (usesPictureLibrary(type) && name.size() > std::size_t(kMaxNameLength))
                    result = false;
                else if (usesPictureLibrary(type) && !convert)
                    result = (convert = pictureLibrary(*this, code)) != nullptr;
                const QImage bitmap = result ? pagePixels(*this, i) : QImage();
                auto written = std::make_shared<std::string>(name);
                const auto write = [bitmap, type, written, convert] {
                    return writePicture(bitmap, type, *written, convert);
                };
                const auto undo = [written] { QFile::remove(QString::fromStdString(*written)); };
                result = !bitmap.isNull() && writer.submit(write, undo);
            } catch (const std::exception &) {
                result = false;
            }
            QApplication::processEvents();
            // A cancelled conversion leaves the pictures incomplete: report it
            // as a failure so that the caller does not take them for the report.
            if (Cancelled)
                result = false;
        }
        // The pictures handed over are completed (none is left half
        // written); a failure among them fails the conversion.
        result = writer.finish() && result;
    }
    setEnabled(wasEnabled);
    if (result)
        RecordExport(base, type);
    return result;
}

} // namespace kv
