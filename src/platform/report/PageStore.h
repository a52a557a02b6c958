#pragma once
// kv::PageStore: the pages a report run produced, kept for the preview, for
// printing and for exports, together with the texts drawn on them (component
// name, text, rectangle) for tests and search.
//
// A page is a sheet of paper; it holds one form, or two (the upper and the
// lower half) when the report prints half pages. Every page is kept as a
// compact list of drawing operations in page units (tenths of a millimetre
// from the sheet's top-left corner). What repeats from page to page is kept
// once and referenced: fonts, pens, images, barcode settings and the page
// picture behind the fields. picture() gives a page as a QPicture (the
// metafile) on demand; render() draws it on any painter.
//
// Pages arrive while the report generates them (pageAvailable); cancel()
// asks the running generation to stop after the page in progress.

#include "platform/report/PagePicture.h"
#include "platform/report/PageValuePools.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPen>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QPrinter;

namespace kv {

// One text drawn on a page: the component that printed it, the text, where
// (page units, sheet coordinates) and on which form (numbered through the run).
struct PageText {
    QString component;
    QString text;
    QRectF rect;
    int form = 0;
};

class PageStore : public QObject {
    Q_OBJECT

public:
    // Text fonts are sized in sixteenths of a page unit, so that font sizes
    // keep their fractions (9 pt is 31.75 page units) in whole pixel sizes.
    static constexpr double kTextScale = 16.0;

    enum class ShapeKind : std::uint8_t { Line, Rectangle, Ellipse };

    struct BarcodeStyle {
        int kind = 0;
        int textPosition = 0; // 0 none, 1-3 above (left, centre, right), 4-6 below
        int textStyle = -1;
        bool operator==(const BarcodeStyle &) const = default;
    };

    explicit PageStore(QObject *parent = nullptr);
    ~PageStore() override;

    // --- reading
    int pageCount() const { return int(m_pages.size()); }
    int formCount() const { return m_formCount; }
    QSizeF pageSize() const { return m_pageSize; } // the sheet, page units
    bool isFinished() const { return m_finished; }
    bool isCancelled() const { return m_cancelled; }
    // The page count the layout expects the run to reach, known from its data
    // before the pages exist (0: not known). A preview shown while the rest
    // is still generated counts its pages against it.
    int expectedPageCount() const { return m_expectedPages; }
    int formsPerSheet() const { return m_formsPerSheet; }
    // Pages are numbered from 1; a number out of range gives nothing.
    std::vector<PageText> texts(int page) const;
    // The texts one component printed on a page, top to bottom.
    QStringList textsOf(int page, const QString &component) const;
    // Draws the page with the painter's coordinates in page units. The page
    // picture is left out on a printer when the report prints on pre-printed
    // forms (printPicture false); the preview always shows it.
    void render(int page, QPainter &painter, bool printing = false) const;
    QImage renderImage(int page, double dotsPerInch) const;
    QPicture picture(int page) const;
    // Forms are numbered through the run; on half pages forms 2p-1 and 2p
    // share page p. pageOfForm gives 0 for a form that does not exist.
    int pageOfForm(int form) const;
    // The part of its sheet a form covers (page units): the sheet, or its half.
    QRectF formRect(int form) const;
    // One form as a picture of its own (half-page sheets give two).
    QImage renderFormImage(int form, double dotsPerInch) const;
    // Prints pages from..to (0: the last) on the printer, one sheet each.
    // Throws ReportError when the printer cannot be opened.
    void print(QPrinter &printer, int fromPage = 1, int toPage = 0) const;
    // Prints several page ranges (first, last) as one job, in the order given.
    void print(QPrinter &printer, const std::vector<std::pair<int, int>> &ranges) const;
    // How a print job is run beyond its pages.
    struct PrintJob {
        // Called after each page (pages done, pages in all); false ends the
        // job after that page.
        std::function<bool(int done, int total)> progress;
        // The pages a slip starts on. On a printer set to print on both
        // sides, and in a PDF file (which has no sides of its own and is
        // then laid out for both sides), each of them starts a fresh sheet:
        // a blank back page goes before it when the page before ended on a
        // front.
        std::vector<int> slipStarts;
    };
    // What a job left on paper or in its file.
    struct PrintOutcome {
        // The pages that came out, in the order printed; none when a
        // stopped job could be withdrawn or went into a file.
        std::vector<std::pair<int, int>> printed;
        bool stopped = false;
    };
    // A file the printer writes into (print to PDF) appears under its name
    // only when the job is complete: a stopped or failed job leaves none.
    PrintOutcome print(QPrinter &printer, const std::vector<std::pair<int, int>> &ranges, const PrintJob &job) const;
    // Writes every page into a PDF file (headless runs and tests): the
    // page picture once per document, placed on every form; the file
    // appears under its name only when it is complete.
    void printToPdf(const QString &fileName) const;

    // --- printing parts (the PDF writer)
    // The page pictures a page prints (none when pictures are left out on
    // printers), each with the rectangle it covers.
    struct PlacedPicture {
        int style;
        QRectF rect;
    };
    std::vector<PlacedPicture> printedPictures(int page) const;
    std::shared_ptr<const PagePicture> pagePicture(int style) const { return m_pictures[std::size_t(style)]; }
    // Draws a page as render() does on a printer, without its page pictures.
    void renderWithoutPictures(int page, QPainter &painter) const;
    // The page pictures a page shows, when they all come before its other
    // items: then renderPictures() followed by renderWithoutPictures() draws
    // what render() draws, and a picture export can reuse the pictures'
    // pixels from page to page. Empty when a picture follows another item.
    std::vector<PlacedPicture> leadingPictures(int page) const;
    // Draws only the page pictures of a page, as render() draws them.
    void renderPictures(int page, QPainter &painter) const;
    // Bytes held by the pages and the texts and places they refer to (not
    // the shared styles).
    std::size_t memoryUsage() const;

    // Asks a running generation to stop; pages generated so far stay.
    void cancel() { m_cancelRequested = true; }
    bool cancelRequested() const { return m_cancelRequested; }

    // --- recording (the report engine)
    void reset(QSizeF pageSize, bool printPicture, int formsPerSheet = 1);
    void setExpectedPageCount(int pages) { m_expectedPages = std::max(0, pages); }
    int componentIndex(const QString &name);
    int textStyle(const QFont &font, const QColor &background);
    const QFont &textFont(int style) const { return m_textStyles[std::size_t(style)].font; }
    int shapeStyle(const QPen &pen, const QBrush &brush);
    int imageStyle(const QImage &image);
    int pictureStyle(const std::shared_ptr<const PagePicture> &picture);
    int barcodeStyle(const BarcodeStyle &style);

    void beginPage(int firstForm);
    // form: 0 the upper (or only) form of the sheet, 1 the lower one.
    void addText(int component, int form, const QRectF &rect, int flags, int style, const QString &text);
    void addShape(ShapeKind kind, int form, const QRectF &rect, int style);
    void addImage(int form, const QRectF &rect, int style);
    void addPicture(int form, const QRectF &rect, int style);
    void addBarcode(int component, int form, const QRectF &rect, int style, const QString &data);
    void endPage(int formsOnPage);
    void finish(bool cancelled);

signals:
    void pageAvailable(int pageNumber);
    void finished();

private:
    enum class Kind : std::uint8_t { Text, Line, Rectangle, Ellipse, Image, Picture, Barcode };
    // 20 bytes a drawing operation: its text and its rectangle are numbers
    // in the run's pools.
    struct Item {
        Kind kind;
        std::uint8_t form;
        std::uint16_t flags;
        std::int32_t style;
        std::int32_t component;
        std::uint32_t rect;
        std::uint32_t text;
    };
    struct Page {
        std::vector<Item> items;
        int firstForm = 1;
        int forms = 1;
    };
    struct TextStyle {
        QFont font;
        QColor background;
    };
    struct ShapeStyle {
        QPen pen;
        QBrush brush;
    };

    const Page *pageAt(int page) const;
    Item &addItem(Kind kind, int form, const QRectF &rect, int style, int component);
    QString itemText(const Item &item) const;
    QRectF itemRect(const Item &item) const { return m_rects.rect(item.rect); }
    void drawText(QPainter &painter, const Item &item) const;
    void drawShape(QPainter &painter, const Item &item) const;
    void drawBarcode(QPainter &painter, const Item &item) const;
    QImage paintArea(int page, const QRectF &area, double dotsPerInch) const;
    enum class Parts { All, WithoutPictures, OnlyPictures };
    void renderItems(int page, QPainter &painter, Parts parts) const;

    std::vector<Page> m_pages;
    std::unique_ptr<Page> m_current;
    QSizeF m_pageSize;
    bool m_printPicture = true;
    int m_formsPerSheet = 1;
    int m_expectedPages = 0;
    int m_formCount = 0;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_cancelRequested = false;

    std::vector<QString> m_components;
    std::vector<TextStyle> m_textStyles;
    std::vector<ShapeStyle> m_shapeStyles;
    std::vector<QImage> m_images;
    std::vector<std::shared_ptr<const PagePicture>> m_pictures;
    std::vector<BarcodeStyle> m_barcodeStyles;
    TextPool m_texts;
    RectPool m_rects;
};

} // namespace kv
