// Export of the preview's current page, or of the slip shown, as picture or
// PDF files in the user's data folder, and the question whether to open them.
// Each slip whose forms went into pictures gets a ledger row (no count).

#include "report/layout/VRPreview.h"

#include "lib/LangCommon.h"
#include "lib/LibStrs.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Variant.h"
#include "platform/report/Report.h"
#include "report/layout/OutputLedger.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PreviewPane.h"
#include "report/layout/PreviewSidePanel.h"
#include "report/layout/PreviewSlipIndex.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRConvPic.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

namespace kv {

QString TfrmVRPreview::exportFolder() const
{
    QString root = QString::fromStdString(m_layout->ClientRoot);
    if (!root.isEmpty() && !root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root + QStringLiteral("c_data/") + QString::fromStdString(m_layout->UserID);
}

void TfrmVRPreview::ExportPage(int pictureType)
{
    const int page = currentPage();
    // Half-page sheets hold two slips: each is a picture of its own.
    const bool halfPage = m_report && m_report->pageStyle() == Report::qrHalfPage;
    exportPages(pictureType, halfPage ? 2 * page - 1 : page, halfPage ? 2 * page : page);
}

void TfrmVRPreview::ExportSlip(int pictureType)
{
    const int page = currentPage();
    const int slip = page < 1 ? -1 : SidePanel->index()->slipOfPage(page);
    if (slip < 0) {
        ExportPage(pictureType);
        return;
    }
    const PreviewSlipIndex::Slip &found = SidePanel->index()->slips()[std::size_t(slip)];
    exportPages(pictureType, found.firstForm, found.lastForm);
}

QString TfrmVRPreview::readyExportFolder()
{
    const QString folder = exportFolder();
    // A fresh installation has no data folders yet: every missing level is
    // made. What cannot be made (below a file, no right to write) is named.
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        const std::string text = LangText("TdmSingle", "sCreateDirError", "创建目录失败：") + folder.toStdString();
        Prompter::current()->messageBox(text, caption().toStdString(), MessageType::Error, MessageButton::OK,
                                        MessageButton::OK);
        return {};
    }
    return folder;
}

QString TfrmVRPreview::exportBaseName(const QString &folder) const
{
    return folder + QLatin1Char('/') + QString::fromStdString(m_layout->ProgramCode) + QLatin1Char('_') +
           Clock::now().toString(QStringLiteral("yyyyMMddhhmmss"));
}

void TfrmVRPreview::exportPages(int pictureType, int firstPicture, int lastPicture)
{
    if (!m_layout || currentPage() < 1)
        return;
    const QString folder = readyExportFolder();
    if (folder.isEmpty())
        return;
    const QString baseName = exportBaseName(folder);
    QStringList files;
    try {
        files = writePictures(baseName, pictureType, firstPicture, lastPicture);
    } catch (const std::exception &error) {
        Prompter::current()->messageBox(error.what(), caption().toStdString(), MessageType::Error,
                                        MessageButton::OK, MessageButton::OK);
        return;
    }
    recordPictures(files, baseName, firstPicture);
    if (!files.isEmpty() && !m_layout->Cancelled)
        askToOpen(baseName, files);
}

void TfrmVRPreview::recordPictures(const QStringList &files, const QString &baseName, int firstPicture)
{
    if (files.isEmpty() || !m_layout)
        return;
    // The pictures written (a cancel keeps those before it), one per form.
    const QString target =
        files.size() == 1 ? files.front() : baseName + QStringLiteral("*.") + QFileInfo(files.front()).suffix();
    output_ledger::record(*m_layout, {output_ledger::kPictureFile, target.toStdString(), true, {}}, firstPicture,
                          firstPicture + int(files.size()) - 1);
}

QStringList TfrmVRPreview::writePictures(const QString &baseName, int pictureType, int first, int last)
{
    last = std::min(last, m_layout->PageCount);
    QStringList files;
    // The conversion window's cancel stops before the next picture: the
    // pictures written stay, each of them complete.
    TfrmVRConvPic progress(m_layout);
    const OutputSlips slips(QRPreview->pages());
    m_layout->Cancelled = false;
    progress.setRange(0, std::max(0, last - first + 1));
    // The preview stays enabled: only the cancel button may be pressed.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.show();
    for (int picture = first; picture <= last && !m_layout->Cancelled; ++picture) {
        progress.showProgress(picture - first + 1, last - first + 1, slips.ofForm(picture));
        const QString name = baseName + QString::fromStdString(ZeroATfirst(picture, 3));
        files << pictureWriter(picture, pictureType, name);
        QApplication::processEvents();
    }
    return files;
}

void TfrmVRPreview::askToOpen(const QString &baseName, const QStringList &files)
{
    const std::string format = LangText("TdmSingle", "sOpenDoc", "转出文件为：%s\n\n是否打开文件？");
    const std::string text = FormatText(format, {Variant(baseName.toStdString())});
    const ModalResult answer = Prompter::current()->messageBox(
        text, caption().toStdString(), MessageType::Confirmation, MessageButton::Yes | MessageButton::No,
        MessageButton::Yes);
    if (answer != mrYes || !fileOpener)
        return;
    for (const QString &file : files)
        fileOpener(file);
}

QString TfrmVRPreview::defaultWritePicture(int picture, int type, const QString &baseName) const
{
    std::string fileName = baseName.toStdString();
    if (!m_layout || !m_layout->PagePicture(fileName, type, picture))
        throw std::runtime_error("转出失败：" + baseName.toStdString());
    return QString::fromStdString(fileName);
}

} // namespace kv
