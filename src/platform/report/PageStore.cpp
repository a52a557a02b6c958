#include "platform/report/PageStore.h"

#include "platform/report/BarcodeEncoder.h"
#include "platform/report/PdfDocumentWriter.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportUnits.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>

namespace kv {

namespace {

constexpr double kScale = PageStore::kTextScale;

QRectF scaled(const QRectF &rect)
{
    return QRectF(rect.x() * kScale, rect.y() * kScale, rect.width() * kScale, rect.height() * kScale);
}

template <typename Style>
int indexOf(std::vector<Style> &styles, const Style &style)
{
    const auto found = std::find(styles.begin(), styles.end(), style);
    if (found != styles.end())
        return int(found - styles.begin());
    styles.push_back(style);
    return int(styles.size()) - 1;
}

} // namespace

PageStore::PageStore(QObject *parent) : QObject(parent) {}

PageStore::~PageStore() = default;

void PageStore::reset(QSizeF pageSize, bool printPicture, int formsPerSheet)
{
    m_formsPerSheet = std::max(1, formsPerSheet);
    m_pages.clear();
    m_current.reset();
    m_pageSize = pageSize;
    m_printPicture = printPicture;
    m_formCount = 0;
    m_expectedPages = 0;
    m_finished = m_cancelled = m_cancelRequested = false;
    m_components.clear();
    m_textStyles.clear();
    m_shapeStyles.clear();
    m_images.clear();
    m_pictures.clear();
    m_barcodeStyles.clear();
    m_texts.clear();
    m_rects.clear();
}

int PageStore::componentIndex(const QString &name)
{
    return indexOf(m_components, name);
}

int PageStore::textStyle(const QFont &font, const QColor &background)
{
    for (std::size_t index = 0; index < m_textStyles.size(); ++index) {
        if (m_textStyles[index].font == font && m_textStyles[index].background == background)
            return int(index);
    }
    m_textStyles.push_back({font, background});
    return int(m_textStyles.size()) - 1;
}

int PageStore::shapeStyle(const QPen &pen, const QBrush &brush)
{
    for (std::size_t index = 0; index < m_shapeStyles.size(); ++index) {
        if (m_shapeStyles[index].pen == pen && m_shapeStyles[index].brush == brush)
            return int(index);
    }
    m_shapeStyles.push_back({pen, brush});
    return int(m_shapeStyles.size()) - 1;
}

int PageStore::imageStyle(const QImage &image)
{
    // Images are shared data: the same picture of a component is one entry.
    for (std::size_t index = 0; index < m_images.size(); ++index) {
        if (m_images[index].cacheKey() == image.cacheKey())
            return int(index);
    }
    m_images.push_back(image);
    return int(m_images.size()) - 1;
}

int PageStore::pictureStyle(const std::shared_ptr<const PagePicture> &picture)
{
    return indexOf(m_pictures, picture);
}

int PageStore::barcodeStyle(const BarcodeStyle &style)
{
    return indexOf(m_barcodeStyles, style);
}

void PageStore::beginPage(int firstForm)
{
    m_current = std::make_unique<Page>();
    m_current->firstForm = firstForm;
}

PageStore::Item &PageStore::addItem(Kind kind, int form, const QRectF &rect, int style, int component)
{
    if (!m_current)
        throw ReportError("A page store records only between beginPage and endPage");
    m_current->items.push_back(
        {kind, std::uint8_t(form), 0, style, component, m_rects.intern(rect), HashIndex::kNone});
    return m_current->items.back();
}

void PageStore::addText(int component, int form, const QRectF &rect, int flags, int style, const QString &text)
{
    Item &item = addItem(Kind::Text, form, rect, style, component);
    item.flags = std::uint16_t(flags);
    item.text = m_texts.intern(text);
}

void PageStore::addShape(ShapeKind kind, int form, const QRectF &rect, int style)
{
    const Kind itemKind = kind == ShapeKind::Line ? Kind::Line
                          : kind == ShapeKind::Ellipse ? Kind::Ellipse
                                                       : Kind::Rectangle;
    addItem(itemKind, form, rect, style, -1);
}

void PageStore::addImage(int form, const QRectF &rect, int style)
{
    addItem(Kind::Image, form, rect, style, -1);
}

void PageStore::addPicture(int form, const QRectF &rect, int style)
{
    addItem(Kind::Picture, form, rect, style, -1);
}

void PageStore::addBarcode(int component, int form, const QRectF &rect, int style, const QString &data)
{
    addItem(Kind::Barcode, form, rect, style, component).text = m_texts.intern(data);
}

void PageStore::endPage(int formsOnPage)
{
    if (!m_current)
        return;
    m_current->forms = formsOnPage;
    m_current->items.shrink_to_fit();
    m_pages.push_back(std::move(*m_current));
    m_current.reset();
    m_formCount += formsOnPage;
    emit pageAvailable(pageCount());
}

void PageStore::finish(bool cancelled)
{
    m_current.reset();
    m_finished = !cancelled;
    m_cancelled = cancelled;
    emit finished();
}

const PageStore::Page *PageStore::pageAt(int page) const
{
    return page >= 1 && page <= pageCount() ? &m_pages[std::size_t(page - 1)] : nullptr;
}

QString PageStore::itemText(const Item &item) const
{
    return item.text == HashIndex::kNone ? QString() : m_texts.text(item.text);
}

std::vector<PageText> PageStore::texts(int page) const
{
    std::vector<PageText> result;
    const Page *stored = pageAt(page);
    if (!stored)
        return result;
    for (const Item &item : stored->items) {
        if (item.kind != Kind::Text && item.kind != Kind::Barcode)
            continue;
        const QString name = item.component >= 0 ? m_components[std::size_t(item.component)] : QString();
        result.push_back({name, itemText(item), itemRect(item), stored->firstForm + item.form});
    }
    return result;
}

QStringList PageStore::textsOf(int page, const QString &component) const
{
    std::vector<PageText> found;
    for (PageText &text : texts(page)) {
        if (text.component == component)
            found.push_back(std::move(text));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const PageText &a, const PageText &b) { return a.rect.top() < b.rect.top(); });
    QStringList result;
    for (const PageText &text : found)
        result << text.text;
    return result;
}

void PageStore::drawText(QPainter &painter, const Item &item) const
{
    const TextStyle &style = m_textStyles[std::size_t(item.style)];
    const QRectF rect = scaled(itemRect(item));
    if (style.background.alpha() > 0)
        painter.fillRect(rect, style.background);
    painter.setFont(style.font);
    painter.drawText(rect, item.flags, itemText(item));
}

void PageStore::drawShape(QPainter &painter, const Item &item) const
{
    const ShapeStyle &style = m_shapeStyles[std::size_t(item.style)];
    QPen pen = style.pen;
    pen.setWidthF(pen.widthF() * kScale);
    painter.setPen(pen);
    painter.setBrush(style.brush);
    const QRectF rect = scaled(itemRect(item));
    if (item.kind == Kind::Line)
        painter.drawLine(rect.topLeft(), rect.bottomRight());
    else if (item.kind == Kind::Ellipse)
        painter.drawEllipse(rect);
    else
        painter.drawRect(rect);
}

void PageStore::drawBarcode(QPainter &painter, const Item &item) const
{
    const BarcodeStyle &style = m_barcodeStyles[std::size_t(item.style)];
    const QString data = itemText(item);
    const BarcodeSymbol symbol = BarcodeEncoder::encode(style.kind, data);
    if (!symbol.isValid())
        return;
    QRectF area = scaled(itemRect(item));
    QRectF textArea;
    if (style.textPosition > 0 && style.textStyle >= 0) {
        const QFont &font = m_textStyles[std::size_t(style.textStyle)].font;
        const double lineHeight = std::min(QFontMetricsF(font).height(), area.height() / 2);
        const bool above = style.textPosition <= 3;
        textArea = QRectF(area.left(), above ? area.top() : area.bottom() - lineHeight, area.width(), lineHeight);
        area = above ? area.adjusted(0, lineHeight, 0, 0) : area.adjusted(0, 0, 0, -lineHeight);
        const int column = (style.textPosition - 1) % 3;
        const int align = column == 0 ? Qt::AlignLeft : column == 1 ? Qt::AlignHCenter : Qt::AlignRight;
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(textArea, align | Qt::AlignVCenter, data);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QRectF &bar : symbol.bars) {
        painter.drawRect(QRectF(area.left() + bar.x() * area.width(), area.top() + bar.y() * area.height(),
                                bar.width() * area.width(), bar.height() * area.height()));
    }
}

void PageStore::render(int page, QPainter &painter, bool printing) const
{
    renderItems(page, painter, !printing || m_printPicture ? Parts::All : Parts::WithoutPictures);
}

void PageStore::renderWithoutPictures(int page, QPainter &painter) const
{
    renderItems(page, painter, Parts::WithoutPictures);
}

void PageStore::renderPictures(int page, QPainter &painter) const
{
    renderItems(page, painter, Parts::OnlyPictures);
}

std::vector<PageStore::PlacedPicture> PageStore::leadingPictures(int page) const
{
    std::vector<PlacedPicture> placed;
    const Page *stored = pageAt(page);
    if (!stored)
        return placed;
    bool otherItems = false;
    for (const Item &item : stored->items) {
        if (item.kind != Kind::Picture) {
            otherItems = true;
        } else if (otherItems) {
            return {};
        } else {
            placed.push_back({item.style, itemRect(item)});
        }
    }
    return placed;
}

std::vector<PageStore::PlacedPicture> PageStore::printedPictures(int page) const
{
    std::vector<PlacedPicture> placed;
    const Page *stored = pageAt(page);
    if (!stored || !m_printPicture)
        return placed;
    for (const Item &item : stored->items) {
        if (item.kind == Kind::Picture)
            placed.push_back({item.style, itemRect(item)});
    }
    return placed;
}

void PageStore::renderItems(int page, QPainter &painter, Parts parts) const
{
    const bool pictures = parts != Parts::WithoutPictures;
    const bool others = parts != Parts::OnlyPictures;
    const Page *stored = pageAt(page);
    if (!stored)
        return;
    painter.save();
    painter.scale(1.0 / kScale, 1.0 / kScale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Item &item : stored->items) {
        if (!others && item.kind != Kind::Picture)
            continue;
        switch (item.kind) {
        case Kind::Text:
            painter.setPen(Qt::black);
            drawText(painter, item);
            break;
        case Kind::Line:
        case Kind::Rectangle:
        case Kind::Ellipse:
            drawShape(painter, item);
            break;
        case Kind::Image:
            painter.drawImage(scaled(itemRect(item)), m_images[std::size_t(item.style)]);
            break;
        case Kind::Picture:
            if (pictures)
                m_pictures[std::size_t(item.style)]->draw(painter, scaled(itemRect(item)));
            break;
        case Kind::Barcode:
            drawBarcode(painter, item);
            break;
        }
    }
    painter.restore();
}

QImage PageStore::renderImage(int page, double dotsPerInch) const
{
    return paintArea(page, QRectF(QPointF(0, 0), m_pageSize), dotsPerInch);
}

QImage PageStore::paintArea(int page, const QRectF &area, double dotsPerInch) const
{
    const double scale = dotsPerInch / report_units::kTenthsPerInch;
    QImage image(QSize(qRound(area.width() * scale), qRound(area.height() * scale)), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.translate(-area.topLeft());
    painter.setClipRect(area);
    render(page, painter);
    return image;
}

QPicture PageStore::picture(int page) const
{
    QPicture picture;
    QPainter painter(&picture);
    render(page, painter);
    painter.end();
    return picture;
}

int PageStore::pageOfForm(int form) const
{
    const auto found = std::upper_bound(m_pages.begin(), m_pages.end(), form,
                                        [](int wanted, const Page &page) { return wanted < page.firstForm; });
    if (found == m_pages.begin())
        return 0;
    const Page &page = *(found - 1);
    return form < page.firstForm + page.forms ? int(found - m_pages.begin()) : 0;
}

QRectF PageStore::formRect(int form) const
{
    const int page = pageOfForm(form);
    if (page == 0)
        return {};
    const double height = m_pageSize.height() / m_formsPerSheet;
    const int index = form - m_pages[std::size_t(page - 1)].firstForm;
    return QRectF(0, height * index, m_pageSize.width(), height);
}

QImage PageStore::renderFormImage(int form, double dotsPerInch) const
{
    const int page = pageOfForm(form);
    return page == 0 ? QImage() : paintArea(page, formRect(form), dotsPerInch);
}

void PageStore::print(QPrinter &printer, int fromPage, int toPage) const
{
    const int last = toPage <= 0 ? pageCount() : std::min(toPage, pageCount());
    const int first = std::max(fromPage, 1);
    if (first > last)
        throw ReportError("There are no pages to print");
    print(printer, {{first, last}});
}

void PageStore::print(QPrinter &printer, const std::vector<std::pair<int, int>> &ranges) const
{
    print(printer, ranges, PrintJob{});
}

namespace {

// Where a print job paints: the printer, or, when the printer writes a PDF
// file, a PDF writer into a QSaveFile, so that the file takes its name only
// once the job is complete (and an older file of that name stays as it was
// until then).
class PrintTarget {
public:
    PrintTarget(QPrinter &printer, const QPageLayout &layout) : m_printer(printer)
    {
        if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) {
            printer.setFullPage(true);
            printer.setPageLayout(layout);
            return;
        }
        m_file = std::make_unique<QSaveFile>(printer.outputFileName());
        if (!m_file->open(QIODevice::WriteOnly))
            throw ReportError("Cannot start printing on " + name().toStdString() + ": " +
                              m_file->errorString().toStdString());
        m_pdf = std::make_unique<QPdfWriter>(m_file.get());
        m_pdf->setResolution(printer.resolution());
        m_pdf->setTitle(printer.docName());
        m_pdf->setCreator(printer.creator());
        m_pdf->setPageLayout(layout);
    }

    bool isFile() const { return m_file != nullptr; }
    QPaintDevice &device() { return m_pdf ? static_cast<QPaintDevice &>(*m_pdf) : m_printer; }
    int resolution() const { return m_pdf ? m_pdf->resolution() : m_printer.resolution(); }
    QString name() const
    {
        return m_printer.outputFileName().isEmpty() ? m_printer.printerName() : m_printer.outputFileName();
    }
    void newPage()
    {
        if (m_pdf)
            m_pdf->newPage();
        else
            m_printer.newPage();
    }
    // A stopped job: true when nothing of it comes out. A file is dropped;
    // a printer job is withdrawn where the system has not spooled it yet.
    bool withdraw()
    {
        if (m_file) {
            m_file->cancelWriting();
            return true;
        }
        return m_printer.abort();
    }
    // After the painter ended: the complete file takes its name.
    void commit()
    {
        if (m_file && !m_file->commit())
            throw ReportError("Cannot save " + name().toStdString() + ": " + m_file->errorString().toStdString());
    }

private:
    QPrinter &m_printer;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
};

void addPrinted(std::vector<std::pair<int, int>> &printed, int page)
{
    if (!printed.empty() && printed.back().second + 1 == page)
        printed.back().second = page;
    else
        printed.emplace_back(page, page);
}

} // namespace

PageStore::PrintOutcome PageStore::print(QPrinter &printer, const std::vector<std::pair<int, int>> &ranges,
                                         const PrintJob &job) const
{
    const QPageSize paper(QSizeF(m_pageSize.width() / 10.0, m_pageSize.height() / 10.0), QPageSize::Millimeter,
                          QString(), QPageSize::ExactMatch);
    PrintTarget target(printer, QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&target.device()))
        throw ReportError("Cannot start printing on " + target.name().toStdString());
    const double scale = target.resolution() / report_units::kTenthsPerInch;
    std::vector<int> starts = job.slipStarts;
    std::sort(starts.begin(), starts.end());
    // A file has no sides of its own: asked to start slips on fresh
    // sheets, it is laid out for printing on both sides later.
    const bool bothSides = (printer.duplex() != QPrinter::DuplexNone || target.isFile()) && !starts.empty();
    int total = 0;
    for (const auto &[first, last] : ranges)
        total += std::max(0, std::min(last, pageCount()) - std::max(1, first) + 1);
    PrintOutcome outcome;
    int sides = 0; // sides of paper begun, blank backs included
    int done = 0;
    for (const auto &[first, last] : ranges) {
        for (int page = std::max(1, first); page <= std::min(last, pageCount()) && !outcome.stopped; ++page) {
            if (sides > 0)
                target.newPage();
            // An odd side is the back of a sheet: a slip starting there
            // would share the sheet with the slip before it.
            if (bothSides && sides % 2 == 1 && std::binary_search(starts.begin(), starts.end(), page)) {
                target.newPage();
                ++sides;
            }
            painter.save();
            painter.scale(scale, scale);
            render(page, painter, true);
            painter.restore();
            ++sides;
            addPrinted(outcome.printed, page);
            // A stop asked for on the last page comes too late to stop anything.
            if (job.progress && !job.progress(++done, total) && done < total)
                outcome.stopped = true;
        }
    }
    if (outcome.stopped && target.withdraw())
        outcome.printed.clear();
    painter.end();
    if (!outcome.stopped)
        target.commit();
    return outcome;
}

void PageStore::printToPdf(const QString &fileName) const
{
    PdfDocumentWriter(*this).write(fileName);
}

std::size_t PageStore::memoryUsage() const
{
    std::size_t bytes = m_pages.capacity() * sizeof(Page);
    for (const Page &page : m_pages)
        bytes += page.items.capacity() * sizeof(Item);
    return bytes + m_texts.memoryUsage() + m_rects.memoryUsage();
}

} // namespace kv
