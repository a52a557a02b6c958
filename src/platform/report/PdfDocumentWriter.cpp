#include "platform/report/PdfDocumentWriter.h"

#include "platform/report/PageStore.h"
#include "platform/report/PdfFormPicture.h"
#include "platform/report/PdfUnicodeMap.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportUnits.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
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

void writeForms(const PageStore &store, const FormPlan &plan, const QString &fileName)
{
    UnitPdf pdf(fileName, QSizeF(plan.forms.front().width, plan.forms.front().height), QString());
    std::map<int, std::unique_ptr<PdfFormPicture>> pictures;
    for (std::size_t index = 0; index < plan.forms.size(); ++index) {
        const FormKey &form = plan.forms[index];
        if (index > 0)
            pdf.newPage(QSizeF(form.width, form.height));
        auto &picture = pictures[form.style];
        if (!picture)
            picture = std::make_unique<PdfFormPicture>(store.pagePicture(form.style));
        pdf.drawPage([&](QPainter &painter) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            picture->draw(painter, QRectF(0, 0, form.width, form.height));
        });
    }
    pdf.finish();
}

double mediaHeight(QPDFPageObjectHelper &page)
{
    const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
    return box.ury - box.lly;
}

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

// The form XObjects of the forms file, copied once into the document.
std::vector<std::pair<QPDFObjectHandle, double>> importForms(QPDF &document, QPDF &forms)
{
    std::vector<std::pair<QPDFObjectHandle, double>> imported;
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(forms).getAllPages())
        imported.emplace_back(document.copyForeignObject(page.getFormXObjectForPage()), mediaHeight(page));
    return imported;
}

std::string formName(std::size_t form)
{
    return "/KvForm" + std::to_string(form + 1);
}

// Puts the forms of one page under what Qt drew there.
void placeForms(QPDF &document, QPDFPageObjectHelper &page, const std::vector<Placement> &placements,
                const std::vector<std::pair<QPDFObjectHandle, double>> &forms)
{
    QPDFObjectHandle resources = page.getAttribute("/Resources", true);
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        page.getObjectHandle().replaceKey("/Resources", resources);
    }
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (!xobjects.isDictionary()) {
        xobjects = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
    }
    const double sheetHeight = mediaHeight(page);
    std::string content;
    for (const Placement &placement : placements) {
        const auto &[xobject, formHeight] = forms[placement.form];
        xobjects.replaceKey(formName(placement.form), xobject);
        // Both pages are drawn from their top edge down; the form's top
        // goes to the top of its rectangle.
        const double left = placement.rect.left() * kPointsPerUnit;
        const double bottom = sheetHeight - placement.rect.top() * kPointsPerUnit - formHeight;
        content += "q 1 0 0 1 " + number(left) + " " + number(bottom) + " cm " + formName(placement.form) + " Do Q\n";
    }
    page.addPageContents(QPDFObjectHandle::newStream(&document, content), true);
}

// Qt embeds only the glyphs a document uses and tags the descriptor's font
// name as a subset, but not the names of the fonts themselves; readers (and
// pdffonts) look at those.
void tagFontSubsets(QPDF &document)
{
    const auto tagged = [](const std::string &name) { return name.size() > 8 && name[7] == '+'; };
    for (QPDFObjectHandle &font : document.getAllObjects()) {
        if (!font.isDictionary() || !font.getKey("/Type").isNameAndEquals("/Font"))
            continue;
        QPDFObjectHandle descendant = font;
        if (font.getKey("/DescendantFonts").isArray() && font.getKey("/DescendantFonts").getArrayNItems() == 1)
            descendant = font.getKey("/DescendantFonts").getArrayItem(0);
        QPDFObjectHandle descriptor = descendant.getKey("/FontDescriptor");
        if (!descriptor.isDictionary() || !descriptor.getKey("/FontName").isName() ||
            !(descriptor.hasKey("/FontFile2") || descriptor.hasKey("/FontFile3") || descriptor.hasKey("/FontFile")))
            continue;
        std::string name = descriptor.getKey("/FontName").getName();
        if (!tagged(name)) {
            std::size_t hash = std::hash<std::string>()(name);
            std::string tag;
            for (int letter = 0; letter < 6; ++letter, hash /= 26)
                tag += char('A' + hash % 26);
            name = "/" + tag + "+" + name.substr(1);
            descriptor.replaceKey("/FontName", QPDFObjectHandle::newName(name));
        }
        font.replaceKey("/BaseFont", QPDFObjectHandle::newName(name));
        descendant.replaceKey("/BaseFont", QPDFObjectHandle::newName(name));
    }
}

// Each ToUnicode map with the radicals Qt chose turned into ideographs.
void repairUnicodeMaps(QPDF &document)
{
    for (QPDFObjectHandle &font : document.getAllObjects()) {
        if (!font.isDictionary() || !font.getKey("/Type").isNameAndEquals("/Font") ||
            !font.getKey("/ToUnicode").isStream())
            continue;
        QPDFObjectHandle map = font.getKey("/ToUnicode");
        const std::shared_ptr<Buffer> data = map.getStreamData(qpdf_dl_generalized);
        const QByteArray before(reinterpret_cast<const char *>(data->getBuffer()), qsizetype(data->getSize()));
        const QByteArray after = pdf_unicode_map::withIdeographs(before);
        if (after != before)
            map.replaceStreamData(after.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    }
}

// A text string of the document: ASCII as it is, anything else UTF-16BE
// with a byte-order mark, which every reader decodes alike.
QPDFObjectHandle textString(const QString &text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return QPDFObjectHandle::newString(text.toStdString());
    std::string bytes = "\xFE\xFF";
    for (const QChar c : text) {
        bytes += char(c.unicode() >> 8);
        bytes += char(c.unicode() & 0xFF);
    }
    return QPDFObjectHandle::newString(bytes);
}

// One top-level outline entry per bookmark, to the top of its page; the
// reader opens with the outline shown.
void addOutline(QPDF &document, const std::vector<PdfDocumentWriter::Bookmark> &bookmarks)
{
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(document).getAllPages();
    std::vector<QPDFObjectHandle> items;
    QPDFObjectHandle outlines = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
    for (const PdfDocumentWriter::Bookmark &bookmark : bookmarks) {
        if (bookmark.page < 1 || bookmark.page > int(pages.size()))
            continue;
        QPDFPageObjectHelper &page = pages[std::size_t(bookmark.page - 1)];
        const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        QPDFObjectHandle destination = QPDFObjectHandle::newArray();
        destination.appendItem(page.getObjectHandle());
        destination.appendItem(QPDFObjectHandle::newName("/XYZ"));
        destination.appendItem(QPDFObjectHandle::newReal(box.llx, 2));
        destination.appendItem(QPDFObjectHandle::newReal(box.ury, 2));
        destination.appendItem(QPDFObjectHandle::newNull());
        QPDFObjectHandle item = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", textString(bookmark.title));
        item.replaceKey("/Parent", outlines);
        item.replaceKey("/Dest", destination);
        if (!items.empty()) {
            item.replaceKey("/Prev", items.back());
            items.back().replaceKey("/Next", item);
        }
        items.push_back(item);
    }
    if (items.empty())
        return;
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    outlines.replaceKey("/First", items.front());
    outlines.replaceKey("/Last", items.back());
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(qlonglong(items.size())));
    QPDFObjectHandle root = document.getRoot();
    root.replaceKey("/Outlines", outlines);
    root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// The information dictionary Qt wrote (title, creator, dates) with the
// title and the metadata it cannot write.
void addInfo(QPDF &document, const QString &title, const PdfDocumentWriter::Metadata &metadata)
{
    QPDFObjectHandle trailer = document.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    const std::pair<const char *, const QString *> entries[] = {
        {"/Title", &title}, {"/Author", &metadata.author}, {"/Subject", &metadata.subject},
        {"/Keywords", &metadata.keywords}};
    for (const auto &[key, text] : entries) {
        if (!text->isEmpty())
            info.replaceKey(key, textString(*text));
    }
}

// What the document carries beside its pages.
struct DocumentParts {
    QString title;
    const std::vector<PdfDocumentWriter::Bookmark> &bookmarks;
    const PdfDocumentWriter::Metadata &metadata;
};

void mergeForms(const QString &pagesFile, const QString &formsFile, const FormPlan &plan, const DocumentParts &parts,
                const QString &output)
{
    QPDF document;
    document.processFile(QFile::encodeName(pagesFile).constData());
    QPDF forms;
    std::vector<std::pair<QPDFObjectHandle, double>> imported;
    if (!plan.forms.empty()) {
        forms.processFile(QFile::encodeName(formsFile).constData());
        imported = importForms(document, forms);
    }
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(document).getAllPages();
    if (pages.size() != plan.pages.size())
        throw ReportError("The PDF engine wrote " + std::to_string(pages.size()) + " pages instead of " +
                          std::to_string(plan.pages.size()));
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (!plan.pages[index].empty())
            placeForms(document, pages[index], plan.pages[index], imported);
    }
    tagFontSubsets(document);
    repairUnicodeMaps(document);
    addOutline(document, parts.bookmarks);
    addInfo(document, parts.title, parts.metadata);
    // The writer keeps the name's pointer until it is done.
    const QByteArray outputName = QFile::encodeName(output);
    QPDFWriter writer(document, outputName.constData());
    // Qt's streams are compressed already; only the new ones need it.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(true);
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
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
        pdf.finish();
    }
    const auto formsFile = scratchFile(target, fileName, "forms");
    if (!plan.forms.empty())
        writeForms(m_pages, plan, formsFile->fileName());
    const auto output = scratchFile(target, fileName, "part");
    try {
        mergeForms(pagesFile->fileName(), formsFile->fileName(), plan, DocumentParts{m_title, m_bookmarks, m_metadata},
                   output->fileName());
    } catch (const ReportError &) {
        throw;
    } catch (const std::exception &error) {
        throw ReportError("Cannot write the PDF file " + fileName.toStdString() + ": " + error.what());
    }
    moveIntoPlace(*output, target);
    return true;
}

} // namespace kv
