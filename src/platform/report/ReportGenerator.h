#pragma once
// kv::ReportGenerator: one run of a report into its page store (see
// Report.h for what a run does). Used by Report::prepare().

#include "platform/Variant.h"
#include "platform/report/ReportExpression.h"

#include <QElapsedTimer>
#include <QRectF>

#include <map>
#include <vector>

namespace kv {

class ClientDataSet;
class PageStore;
class Report;
class TQRBand;
class TQRGroup;

class ReportGenerator {
public:
    ReportGenerator(Report &report, PageStore &store);
    ~ReportGenerator();
    ReportGenerator(const ReportGenerator &) = delete;
    ReportGenerator &operator=(const ReportGenerator &) = delete;

    // True when every page was generated, false when cancelled.
    bool run();

private:
    enum class Place { Page, Column };
    struct Group {
        TQRGroup *band = nullptr;
        ReportExpression expression;
        Variant value; // of the records printed under the open header
        Variant next;  // of the current record
        bool open = false;
    };

    // set-up
    void planBands();
    void setUpPageBands();
    void prepareComponents();
    void saveHeights();
    void restoreHeights();
    void generate();

    // records and groups
    void printRecords();
    std::size_t changedGroup(bool first);
    void closeGroups(std::size_t from);
    void openGroups(std::size_t from);
    void printDetail(TQRBand *band);

    // forms and sheets
    void openForm();
    void closeForm(bool last);
    void ensureForm();
    void nextColumnOrForm(Place place);
    void beginSheet();
    void endSheet();
    void startGroupForm();
    void finishAttach();
    void printPageFooter(bool last);

    // bands
    bool printBand(TQRBand *band, Place place, bool force = false);
    void printChildren(TQRBand *band, Place place, bool force);
    double bandWidth(const TQRBand *band, Place place) const;
    double bandX(Place place) const;
    double designHeight(const TQRBand *band) const;
    bool chainContains(TQRBand *band, const TQRBand *wanted) const;
    bool pollCancel();

    Report &m_report;
    PageStore &m_store;
    ClientDataSet *m_dataSet = nullptr;

    // bands by role
    TQRBand *m_title = nullptr;
    TQRBand *m_pageHeader = nullptr;
    TQRBand *m_columnHeader = nullptr;
    TQRBand *m_pageFooter = nullptr;
    TQRBand *m_summary = nullptr;
    std::vector<TQRBand *> m_details;
    std::vector<Group> m_groups;
    std::map<const TQRBand *, std::vector<TQRBand *>> m_children;
    std::map<TQRBand *, double> m_designHeights;

    // page bands
    bool m_pageBands = false;
    TQRBand *m_startBand = nullptr;
    TQRBand *m_detailBand = nullptr;
    TQRBand *m_attachBand = nullptr;
    TQRBand *m_endBand = nullptr;
    bool m_attachOpen = false;
    int m_pictureStyle = -1;
    bool m_ending = false;

    // where we are
    QSizeF m_sheet;
    int m_formsPerSheet = 1;
    bool m_sheetOpen = false;
    int m_formOnSheet = 0;
    int m_formNumber = 0;
    bool m_formOpen = false;
    bool m_formHasContent = false;
    bool m_formHasDetail = false;
    QRectF m_body;       // the current form between its margins
    double m_y = 0;      // next band's top
    double m_limit = 0;  // lowest bottom for bands above the page footer
    double m_columnTop = 0;
    int m_column = 1;
    double m_columnWidth = 0;
    bool m_cancelled = false;
    QElapsedTimer m_sinceEvents;
    bool m_firstPageShown = false;
};

} // namespace kv
