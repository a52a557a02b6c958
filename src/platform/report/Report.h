#pragma once
// kv::Report: a banded report bound to a client data set. Its bands are its
// children (TQRBand and descendants); it generates its pages into its page
// store, prints them, and is what the layout windows, the preview and the
// designer work on.
//
// Design: set Zoom before placing bands and components (their pixel sizes
// count at the zoom in force when they are set). Page holds the paper in
// tenths of a millimetre; Units only choose how those sizes are shown.
//
// Generation (prepare()): BeforePrint (ReportPrintArgs; a handler may walk
// the data set, it is moved to its first record afterwards), then one pass
// over the records: group headers and footers when a group's value
// changes, the detail band per record, page header and footer per page, the
// title on the first page and the summary at the end. PageStyle qrHalfPage
// prints two forms on each sheet (the upper and lower half, each with the
// margins); the engine's pages (PAGENUMBER, OnStartPage) are the forms.
//
// Page bands: with PageDetailBand and PageAttachDetailBand set, each form
// of a group is laid out by its design heights: the attached footer starts
// a form as tall as itself plus one detail band (never more than the room
// left above PageEndBand), and before every detail's BeforePrint its Height
// is lowered by the detail band's height, so a negative Height tells the
// handler that this line no longer fits. The footer then prints in what is
// left of that room, followed by PageEndBand. A detail handler that steps
// the data set back (Prior) ends the form there: the footer and end band
// print, and the same record comes again first on the next form, under
// PageStartBand (the group header printed again). Each group starting at
// PageStartBand starts a new form. Heights changed by handlers return to
// their design values when the run ends.

#include "platform/ClientDataSet.h"
#include "platform/report/PageSetup.h"
#include "platform/report/PageStore.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/ReportUnits.h"
#include "platform/report/TQRBand.h"

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class QPrinterInfo;

namespace kv {

class PagePicture;

class Report : public QObject {
    Q_OBJECT
    Q_PROPERTY(kv::PageSetup *Page READ page)
    Q_PROPERTY(QString ReportTitle READ reportTitle WRITE setReportTitle)
    Q_PROPERTY(kv::ClientDataSet *DataSet READ dataSet WRITE setDataSet)
    Q_PROPERTY(kv::Report::TQRUnit Units READ units WRITE setUnits)
    Q_PROPERTY(int Zoom READ zoom WRITE setZoom)
    Q_PROPERTY(bool PrintIfEmpty READ printIfEmpty WRITE setPrintIfEmpty)
    Q_PROPERTY(kv::Report::TQRPageStyle PageStyle READ pageStyle WRITE setPageStyle)
    Q_PROPERTY(int PrinterIndex READ printerIndex WRITE setPrinterIndex)
    Q_PROPERTY(bool PrintPicture READ printPicture WRITE setPrintPicture)
    Q_PROPERTY(QByteArray PagePicture READ pagePictureData WRITE setPagePictureData)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(kv::Report::TQROptions Options READ options WRITE setOptions)
    Q_PROPERTY(QStringList Functions READ functions WRITE setFunctions)
    Q_PROPERTY(bool SnapToGrid READ snapToGrid WRITE setSnapToGrid)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(kv::TQRBand *PageStartBand READ pageStartBand WRITE setPageStartBand)
    Q_PROPERTY(kv::TQRBand *PageDetailBand READ pageDetailBand WRITE setPageDetailBand)
    Q_PROPERTY(kv::TQRBand *PageAttachDetailBand READ pageAttachDetailBand WRITE setPageAttachDetailBand)
    Q_PROPERTY(kv::TQRBand *PageEndBand READ pageEndBand WRITE setPageEndBand)
    KV_REPORT_EVENT(BeforePrint)
    KV_REPORT_EVENT(AfterPrint)
    KV_REPORT_EVENT(OnStartPage)
    KV_REPORT_EVENT(OnEndPage)

public:
    enum TQRUnit { MM, Inches, Pixels, Characters, Native };
    Q_ENUM(TQRUnit)
    enum TQRPageStyle { qrNone, qrHalfPage, qrFullPage };
    Q_ENUM(TQRPageStyle)
    enum TQROption { FirstPageHeader = 0x1, LastPageFooter = 0x2 };
    Q_DECLARE_FLAGS(TQROptions, TQROption)
    Q_FLAG(TQROptions)

    explicit Report(QObject *parent = nullptr);
    ~Report() override;

    // Arial, 13 pixels high: what bands and components start with.
    static QFont defaultFont();

    PageSetup *page() const { return m_page.get(); }
    QString reportTitle() const { return m_reportTitle; }
    void setReportTitle(const QString &title) { m_reportTitle = title; }
    ClientDataSet *dataSet() const { return m_dataSet; }
    void setDataSet(ClientDataSet *dataSet) { m_dataSet = dataSet; }
    TQRUnit units() const { return m_units; }
    void setUnits(TQRUnit units) { m_units = units; }
    int zoom() const { return m_zoom; }
    void setZoom(int zoom) { m_zoom = zoom > 0 ? zoom : m_zoom; }
    bool printIfEmpty() const { return m_printIfEmpty; }
    void setPrintIfEmpty(bool print) { m_printIfEmpty = print; }
    TQRPageStyle pageStyle() const { return m_pageStyle; }
    void setPageStyle(TQRPageStyle style) { m_pageStyle = style; }
    // Index into QPrinterInfo::availablePrinters(); -1 the default printer.
    int printerIndex() const { return m_printerIndex; }
    void setPrinterIndex(int index) { m_printerIndex = index; }
    // False: the page picture shows in the preview and in exports but is
    // not printed (paper with the form already on it).
    bool printPicture() const { return m_printPicture; }
    void setPrintPicture(bool print) { m_printPicture = print; }
    QByteArray pagePictureData() const;
    // Empty data removes the picture; data that is no SVG or image is a ReportError.
    void setPagePictureData(const QByteArray &data);
    void loadPagePicture(const QString &fileName);
    std::shared_ptr<const PagePicture> pagePicture() const { return m_pagePicture; }
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    TQROptions options() const { return m_options; }
    void setOptions(TQROptions options) { m_options = options; }
    // Functions of the report's expressions as "NAME=expression" lines.
    QStringList functions() const { return m_functions; }
    void setFunctions(const QStringList &functions) { m_functions = functions; }
    bool snapToGrid() const { return m_snapToGrid; }
    void setSnapToGrid(bool snap) { m_snapToGrid = snap; }
    QString hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    TQRBand *pageStartBand() const { return m_pageStartBand; }
    void setPageStartBand(TQRBand *band) { m_pageStartBand = band; }
    TQRBand *pageDetailBand() const { return m_pageDetailBand; }
    void setPageDetailBand(TQRBand *band) { m_pageDetailBand = band; }
    TQRBand *pageAttachDetailBand() const { return m_pageAttachDetailBand; }
    void setPageAttachDetailBand(TQRBand *band) { m_pageAttachDetailBand = band; }
    TQRBand *pageEndBand() const { return m_pageEndBand; }
    void setPageEndBand(TQRBand *band) { m_pageEndBand = band; }

    QList<TQRBand *> bands() const;

    // --- sizes in the report's units
    double toUnits(double tenths, Qt::Orientation direction = Qt::Vertical) const;
    double fromUnits(double value, Qt::Orientation direction = Qt::Vertical) const;

    // --- generating and printing
    // Generates the pages into pages(); true when the run finished, false
    // when it was cancelled. A fault of the layout, of a handler or of the
    // data stops the run with the exception; pages up to there stay.
    bool prepare();
    void cancel() { m_pages->cancel(); }
    bool isGenerating() const { return m_generating; }
    PageStore *pages() const { return m_pages; }
    // The form being generated (PAGENUMBER) and its column (COLUMNNUMBER).
    int pageNumber() const { return m_pageNumber; }
    int columnNumber() const { return m_columnNumber; }

    // Generates the pages and prints them on the printer PrinterIndex names.
    // ReportError when that printer does not exist.
    void print();
    // Generates the pages and writes them into a PDF file.
    void printToPdf(const QString &fileName);
    QPrinterInfo printerInfo() const;

private:
    friend class ReportGenerator;

    std::unique_ptr<PageSetup> m_page;
    QString m_reportTitle;
    QPointer<ClientDataSet> m_dataSet;
    TQRUnit m_units = MM;
    int m_zoom = 100;
    bool m_printIfEmpty = true;
    TQRPageStyle m_pageStyle = qrNone;
    int m_printerIndex = -1;
    bool m_printPicture = true;
    std::shared_ptr<const PagePicture> m_pagePicture;
    QFont m_font;
    TQROptions m_options = TQROptions(FirstPageHeader | LastPageFooter);
    QStringList m_functions;
    bool m_snapToGrid = true;
    QString m_hint;
    int m_tag = 0;
    QPointer<TQRBand> m_pageStartBand;
    QPointer<TQRBand> m_pageDetailBand;
    QPointer<TQRBand> m_pageAttachDetailBand;
    QPointer<TQRBand> m_pageEndBand;

    PageStore *m_pages;
    bool m_generating = false;
    int m_pageNumber = 0;
    int m_columnNumber = 1;
};

} // namespace kv

Q_DECLARE_OPERATORS_FOR_FLAGS(kv::Report::TQROptions)
