#include "platform/report/PdfDocumentWriter.h"

#include "platform/report/PageStore.h"
#include "platform/report/PdfFormPicture.h"
#include "platform/report/PdfFormSplice.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportUnits.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>


#include <cstdio>
#include <sys/stat.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace kv {

namespace {

constexpr double kResolution = 1200; // dots per inch of the PDF engine's device space
constexpr double kPointsPerUnit = 72.0 / report_units::kTenthsPerInch;

// One form picture in one size; placed wherever a page shows it.
struct FormKey {
    int style;
    double width, height;
    bool operator<(const FormKey &other) const
    {
        return std::tie(style, width, height) < std::tie(other.style, other.width, other.height);
    }
};

struct Placement {
    std::size_t form; // index into the forms
    QRectF rect;      // page units
};

struct FormPlan {
    std::vector<FormKey> forms;
    std::vector<std::vector<Placement>> pages; // by page, from the first written
};

FormPlan planForms(const PageStore &store, int first, int last)
{
    FormPlan plan;
    std::map<FormKey, std::size_t> known;
    for (int page = first; page <= last; ++page) {
        std::vector<Placement> placed;
        for (const PageStore::PlacedPicture &picture : store.printedPictures(page)) {
            const FormKey key{picture.style, picture.rect.width(), picture.rect.height()};
            const auto found = known.try_emplace(key, plan.forms.size());
            if (found.second)
                plan.forms.push_back(key);
            placed.push_back({found.first->second, picture.rect});
        }
        plan.pages.push_back(std::move(placed));
    }
    return plan;
}

// Entries pointing outside the pages written are left out.
std::vector<PdfFormSplice::Bookmark> spliceBookmarks(const std::vector<PdfDocumentWriter::Bookmark> &bookmarks,
                                                     int sheets)
{
    std::vector<PdfFormSplice::Bookmark> kept;
    for (const PdfDocumentWriter::Bookmark &bookmark : bookmarks)
        if (bookmark.page >= 1 && bookmark.page <= sheets)
            kept.push_back({bookmark.title, bookmark.page});
    return kept;
}

// The file a name stands for: a symbolic link is written through, as
// opening it would, not replaced by the finished file.
QString linkedTarget(const QString &fileName)
{
    QString target = QFileInfo(fileName).absoluteFilePath();
    for (int hops = 0; hops < 40 && QFileInfo(target).isSymLink(); ++hops)
        target = QFileInfo(target).symLinkTarget();
    return target;
}

// A file beside the target that goes away unless it is kept.
std::unique_ptr<QTemporaryFile> scratchFile(const QString &target, const QString &shownName, const char *part)
{
    const QFileInfo info(target);
    auto file = std::make_unique<QTemporaryFile>(info.absolutePath() + "/." + info.fileName() + "." + part +
                                                 ".XXXXXX");
    if (!file->open())
        throw ReportError("Cannot start printing on " + shownName.toStdString() + ": " +
                          file->errorString().toStdString());
    file->close();
    return file;
}

// A PDF writer whose painter works in page units.
class UnitPdf {
public:
    UnitPdf(const QString &fileName, QSizeF firstPage, const QString &title) : m_writer(fileName)
    {
        m_writer.setResolution(int(kResolution));
        m_writer.setTitle(title);
        m_writer.setCreator(QStringLiteral("QIPR07"));
        setPageSize(firstPage);
        if (!m_painter.begin(&m_writer))
            throw ReportError("Cannot start printing on " + fileName.toStdString());
    }

    QPainter &painter() { return m_painter; }

    void newPage(QSizeF size)
    {
        setPageSize(size);
        m_writer.newPage();
    }

    // The painter for one page, scaled to page units.
    template <typename Draw>
    void drawPage(Draw draw)
    {
        m_painter.save();
        m_painter.scale(kResolution / report_units::kTenthsPerInch, kResolution / report_units::kTenthsPerInch);
        draw(m_painter);
        m_painter.restore();
    }

    void finish() { m_painter.end(); }

private:
    void setPageSize(QSizeF size)
    {
        const QPageSize paper(QSizeF(size.width() / 10.0, size.height() / 10.0), QPageSize::Millimeter, QString(),
                              QPageSize::ExactMatch);
        m_writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
    }

    QPdfWriter m_writer;
    QPainter m_painter;
};

// The forms follow the sheets in the engine's file, one page each, so that
// they share the sheets' fonts; the splice turns them into form XObjects.
void drawForms(const PageStore &store, const FormPlan &plan, UnitPdf &pdf)
{
    std::map<int, std::unique_ptr<PdfFormPicture>> pictures;
    for (const FormKey &form : plan.forms) {
        pdf.newPage(QSizeF(form.width, form.height));
        auto &picture = pictures[form.style];
        if (!picture)
            picture = std::make_unique<PdfFormPicture>(store.pagePicture(form.style));
        pdf.drawPage([&](QPainter &painter) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            picture->draw(painter, QRectF(0, 0, form.width, form.height));
        });
    }
}

std::vector<std::vector<PdfFormSplice::Placement>> splicePlacements(const FormPlan &plan)
{
    std::vector<std::vector<PdfFormSplice::Placement>> sheets;
    sheets.reserve(plan.pages.size());
    for (const std::vector<Placement> &page : plan.pages) {
        std::vector<PdfFormSplice::Placement> placed;
        for (const Placement &placement : page)
            placed.push_back({int(placement.form), placement.rect.left() * kPointsPerUnit,
                              placement.rect.top() * kPointsPerUnit});
        sheets.push_back(std::move(placed));
    }
    return sheets;
}

void moveIntoPlace(QTemporaryFile &file, const QString &target)
{
    // Temporary files are private to their owner; the PDF gets the
    // permissions of any new file (umask applies).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(file.fileName()).constData(), 0666 & ~mask);
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData(),
                            error);
    if (error)
        throw ReportError("Cannot save the PDF file " + target.toStdString() + ": " + error.message());
    file.setAutoRemove(false);
}

} // namespace

bool PdfDocumentWriter::write(const QString &fileName, int fromPage, int toPage) const
{
    const int last = toPage <= 0 ? m_pages.pageCount() : std::min(toPage, m_pages.pageCount());
    const int first = std::max(fromPage, 1);
    if (first > last)
        throw ReportError("There are no pages to print");
    const FormPlan plan = planForms(m_pages, first, last);
    const QString target = linkedTarget(fileName);
    const auto pagesFile = scratchFile(target, fileName, "pages");
    {
        UnitPdf pdf(pagesFile->fileName(), m_pages.pageSize(), m_title);
        for (int page = first; page <= last; ++page) {
            if (page > first)
                pdf.newPage(m_pages.pageSize());
            pdf.drawPage([&](QPainter &painter) { m_pages.renderWithoutPictures(page, painter); });
            if (m_progress && !m_progress(page - first + 1, last - first + 1))
                return false;
        }
        drawForms(m_pages, plan, pdf);
        pdf.finish();
    }
    const auto output = scratchFile(target, fileName, "part");
    try {
        PdfFormSplice splice(splicePlacements(plan), int(plan.forms.size()));
        splice.setBookmarks(spliceBookmarks(m_bookmarks, last - first + 1));
        splice.setInformation({m_metadata.author, m_metadata.subject, m_metadata.keywords});
        splice.write(pagesFile->fileName(), output->fileName());
    } catch (const std::exception &error) {
        throw ReportError("Cannot write the PDF file " + fileName.toStdString() + ": " + error.what());
    }
    moveIntoPlace(*output, target);
    return true;
}

} // namespace kv
