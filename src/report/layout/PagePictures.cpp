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

bool TfrmVRBaseFmt::PagePicture(std::string &fileName, int type, int page)
{
    try {
        const int dpi = PictureDPI < 1 ? 96 : PictureDPI;
        const PictureGeometry g = pictureGeometry(*QuickRep1, page, dpi, KeepLeftMargin, KeepTopMargin);
        if (g.width < 1 || g.height < 1)
            return false;
        const QImage bitmap =
            PageBitmaps::of(*this).draw(QuickRep1->pages(), g.storedPage, QSize(g.width, g.height), g.target);
        if (bitmap.isNull())
            return false;
        switch (type) {
        case 0:
            fileName += ".bmp";
            return saveBytes(QString::fromStdString(fileName), bmp16(bitmap));
        case 3: {
            fileName += ".pdf";
            TPrintPDF pdf(this);
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
            return callPictureLibrary(bitmap, type, fileName) == 0;
        }
    } catch (const std::exception &) {
        return false;
    }
}

int TfrmVRBaseFmt::callPictureLibrary(const QImage &bitmap, int type, std::string &fileName)
{
    if (fileName.size() > std::size_t(kMaxNameLength))
        return -1;
    const std::string path = pictureLibraryPath(ClientRoot);
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        ShowMessage("Can't found DLL file " + path, MessageType::Error, MessageButton::OK);
        return -1;
    }
    errno = 0;
    void *library = PageBitmaps::of(*this).library(path);
    if (!library) {
        const int code = errno ? errno : -1;
        ShowMessage(QString::asprintf("Load DLL Error %d", code).toStdString(), MessageType::Error,
                    MessageButton::OK);
        return code;
    }
    using Export = int (*)(const void *, int, char *, int);
    auto *convert = reinterpret_cast<Export>(dlsym(library, "BMPToFile"));
    int result = -1;
    if (convert) {
        const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
        const KVBitmap picture{rgb.width(), rgb.height(), int(rgb.bytesPerLine()), rgb.constBits()};
        char name[kNameBufferSize] = {};
        std::memcpy(name, fileName.data(), fileName.size());
        result = convert(&picture, type, name, kNameBufferSize);
        fileName = name;
    }
    return result;
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
        for (int i = 1; i <= PageCount && result; ++i) {
            progress.showProgress(i, PageCount, slips.ofForm(i));
            std::string name = base + ZeroATfirst(i, digits);
            result = PagePicture(name, type, i);
            QApplication::processEvents();
            // A cancelled conversion leaves the pictures incomplete: report it
            // as a failure so that the caller does not take them for the report.
            if (Cancelled)
                result = false;
        }
    }
    setEnabled(wasEnabled);
    if (result)
        RecordExport(base, type);
    return result;
}

} // namespace kv
