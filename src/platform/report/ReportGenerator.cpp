#include "platform/report/ReportGenerator.h"

#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportPrintable.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// Lengths closer than this (page units) count as equal: sizes go through pixels and back.
constexpr double kSlack = 0.01;
// How often a long run lets the window system work (progress, cancel button).
constexpr qint64 kEventIntervalMs = 100;

std::string nameOf(const QObject *object)
{
    return object->objectName().isEmpty() ? std::string(object->metaObject()->className())
                                          : object->objectName().toStdString();
}

} // namespace

ReportGenerator::ReportGenerator(Report &report, PageStore &store) : m_report(report), m_store(store) {}

ReportGenerator::~ReportGenerator()
{
    restoreHeights();
    m_report.m_generating = false;
    m_report.m_pageNumber = 0;
    m_report.m_columnNumber = 1;
}

bool ReportGenerator::run()
{
    m_report.m_generating = true;
    const PageSetup &page = *m_report.page();
    m_sheet = page.sheetSize();
    m_formsPerSheet = m_report.pageStyle() == Report::qrHalfPage ? 2 : 1;
    if (m_sheet.width() - page.leftMargin() - page.rightMargin() <= 0 ||
        m_sheet.height() / m_formsPerSheet - page.topMargin() - page.bottomMargin() <= 0)
        throw ReportError("The margins of report " + nameOf(&m_report) + " leave no room on the paper");
    m_store.reset(m_sheet, m_report.printPicture(), m_formsPerSheet);
    m_dataSet = m_report.dataSet();

    ReportPrintArgs start;
    m_report.eventBeforePrint()(&m_report, start);
    if (!start.printReport) {
        m_store.finish(false);
        return true;
    }
    if (m_dataSet && !m_dataSet->Active())
        throw ReportError("Report " + nameOf(&m_report) + ": data set " + nameOf(m_dataSet) + " is not open");
    planBands();
    setUpPageBands();
    saveHeights();
    prepareComponents();
    m_sinceEvents.start();
    try {
        generate();
    } catch (...) {
        endSheet();
        throw;
    }
    if (!m_cancelled)
        m_report.eventAfterPrint()(&m_report);
    m_store.finish(m_cancelled);
    return !m_cancelled;
}

// ---------------------------------------------------------------- set-up

void ReportGenerator::planBands()
{
    for (TQRBand *band : m_report.bands()) {
        if (auto *child = qobject_cast<TQRChildBand *>(band)) {
            if (child->parentBand())
                m_children[child->parentBand()].push_back(child);
            continue;
        }
        if (auto *group = qobject_cast<TQRGroup *>(band)) {
            m_groups.emplace_back();
            m_groups.back().band = group;
            continue;
        }
        const auto first = [band](TQRBand *&slot) { slot = slot ? slot : band; };
        switch (band->bandType()) {
        case TQRBand::rbTitle: first(m_title); break;
        case TQRBand::rbPageHeader: first(m_pageHeader); break;
        case TQRBand::rbColumnHeader: first(m_columnHeader); break;
        case TQRBand::rbPageFooter: first(m_pageFooter); break;
        case TQRBand::rbSummary: first(m_summary); break;
        case TQRBand::rbDetail: m_details.push_back(band); break;
        default: break; // group footers print through their group
        }
    }
}

void ReportGenerator::setUpPageBands()
{
    const auto fail = [this](const std::string &what) {
        throw ReportError("Report " + nameOf(&m_report) + ": " + what);
    };
    m_startBand = m_report.pageStartBand();
    m_detailBand = m_report.pageDetailBand();
    m_attachBand = m_report.pageAttachDetailBand();
    m_endBand = m_report.pageEndBand();
    m_pageBands = m_detailBand && m_attachBand;
    if (m_startBand && std::none_of(m_groups.begin(), m_groups.end(),
                                    [this](const Group &group) { return group.band == m_startBand; }))
        fail("the page start band " + nameOf(m_startBand) + " is not a group header of the report");
    if (m_detailBand && std::find(m_details.begin(), m_details.end(), m_detailBand) == m_details.end())
        fail("the page detail band " + nameOf(m_detailBand) + " is not a detail band of the report");
    if (m_detailBand && !m_attachBand)
        fail("a page detail band needs an attached footer band");
    for (TQRBand *band : {m_attachBand, m_endBand}) {
        if (band && band->parent() != &m_report)
            fail("the page band " + nameOf(band) + " is not a band of the report");
    }
}

void ReportGenerator::saveHeights()
{
    for (TQRBand *band : m_report.bands())
        m_designHeights[band] = band->heightTenths();
}

void ReportGenerator::restoreHeights()
{
    for (const auto &[band, height] : m_designHeights)
        band->setHeightTenths(height);
    m_designHeights.clear();
}

void ReportGenerator::prepareComponents()
{
    if (m_report.pagePicture())
        m_pictureStyle = m_store.pictureStyle(m_report.pagePicture());
    for (TQRBand *band : m_report.bands()) {
        for (ReportPrintable *item : band->printables()) {
            // One left out would print under the names and styles of an
            // earlier run if a handler switched it on during this one.
            if (band->isEnabled() && item->isPrinted())
                item->prepareRun(m_store, m_report);
            else
                item->registerRun(m_store, m_report);
        }
    }
    for (Group &group : m_groups) {
        group.expression.setText(group.band->expression());
        if (group.expression.text().trimmed().isEmpty())
            continue; // one group over all records
        try {
            group.expression.prepare(&m_report);
        } catch (const ReportError &error) {
            throw ReportError("Group " + nameOf(group.band) + ": " + error.what());
        }
    }
}

void ReportGenerator::generate()
{
    const bool empty = !m_dataSet || m_dataSet->IsEmpty();
    if (empty && !m_report.printIfEmpty())
        return;
    openForm();
    printBand(m_title, Place::Page);
    if (!empty)
        printRecords();
    if (m_cancelled) {
        endSheet();
        return;
    }
    m_ending = true;
    closeGroups(0);
    printBand(m_summary, Place::Page);
    closeForm(true);
    endSheet();
}

// ---------------------------------------------------------------- records and groups

void ReportGenerator::printRecords()
{
    m_dataSet->First();
    bool first = true;
    while (!m_dataSet->Eof()) {
        if (pollCancel())
            return;
        const std::size_t changed = changedGroup(first);
        if (changed < m_groups.size()) {
            if (!first) {
                // Footers show the group that ends: its last record.
                m_dataSet->Prior();
                closeGroups(changed);
                m_dataSet->Next();
                if (pollCancel())
                    return; // the page that just ended is the last one
            }
            openGroups(changed);
        }
        first = false;
        for (TQRBand *detail : m_details)
            printDetail(detail);
        m_dataSet->Next();
    }
}

std::size_t ReportGenerator::changedGroup(bool first)
{
    std::size_t changed = m_groups.size();
    for (std::size_t index = 0; index < m_groups.size(); ++index) {
        Group &group = m_groups[index];
        group.next = group.expression.isPrepared() ? group.expression.value() : Variant();
        if (changed == m_groups.size() && (first || !group.open || !(group.next == group.value)))
            changed = index;
    }
    return changed;
}

void ReportGenerator::closeGroups(std::size_t from)
{
    for (std::size_t index = m_groups.size(); index-- > from;) {
        Group &group = m_groups[index];
        if (!group.open)
            continue;
        group.open = false;
        TQRBand *footer = group.band->footerBand();
        if (m_pageBands && group.band == m_startBand) {
            if (footer != m_attachBand)
                printBand(footer, Place::Column);
            // The attached footer ends the group's last form.
            if (m_ending)
                finishAttach();
            else
                closeForm(false);
        } else {
            printBand(footer, Place::Column);
        }
    }
}

void ReportGenerator::openGroups(std::size_t from)
{
    for (std::size_t index = from; index < m_groups.size(); ++index) {
        Group &group = m_groups[index];
        group.value = group.next;
        const bool start = group.band == m_startBand;
        // A group under the page start band begins on a form of its own.
        if (start && m_formOpen && m_formHasDetail)
            closeForm(false);
        printBand(group.band, Place::Column);
        if (start)
            startGroupForm();
        group.open = true;
    }
}

void ReportGenerator::printDetail(TQRBand *band)
{
    if (!band->isEnabled())
        return;
    ensureForm();
    const bool paged = m_pageBands && band == m_detailBand && m_attachOpen;
    if (paged)
        m_attachBand->setHeightTenths(m_attachBand->heightTenths() - designHeight(band));
    const int before = m_dataSet ? m_dataSet->RecNo() : 0;
    const bool hadDetail = m_formHasDetail;
    if (printBand(band, Place::Column))
        m_formHasDetail = true;
    if (paged && m_dataSet->RecNo() < before) {
        // The handler stepped back: this record goes first on the next form.
        if (!hadDetail)
            throw ReportError("Report " + nameOf(&m_report) + ": the detail band " + nameOf(band) +
                              " does not fit on a form");
        closeForm(false);
    }
}

// ---------------------------------------------------------------- forms and sheets

void ReportGenerator::openForm()
{
    if (!m_sheetOpen)
        beginSheet();
    else
        ++m_formOnSheet;
    ++m_formNumber;
    m_report.m_pageNumber = m_formNumber;
    m_report.m_columnNumber = m_column = 1;
    m_formOpen = true;
    m_formHasContent = m_formHasDetail = false;

    const PageSetup &page = *m_report.page();
    const double part = m_sheet.height() / m_formsPerSheet;
    const double top = part * m_formOnSheet;
    m_body = QRectF(QPointF(page.leftMargin(), top + page.topMargin()),
                    QPointF(m_sheet.width() - page.rightMargin(), top + part - page.bottomMargin()));
    const int columns = page.columns();
    m_columnWidth = (m_body.width() - (columns - 1) * page.columnSpace()) / columns;
    if (m_pictureStyle >= 0)
        m_store.addPicture(m_formOnSheet, QRectF(0, top, m_sheet.width(), part), m_pictureStyle);
    m_y = m_body.top();
    const bool footer = m_pageFooter && m_pageFooter->isEnabled();
    m_limit = m_body.bottom() - (footer ? designHeight(m_pageFooter) : 0);

    PageEventArgs args;
    args.pageNumber = m_formNumber;
    m_report.eventOnStartPage()(&m_report, args);
    if (m_formNumber > 1 || m_report.options().testFlag(Report::FirstPageHeader))
        printBand(m_pageHeader, Place::Page, true);
    printBand(m_columnHeader, Place::Page, true);
    m_columnTop = m_y;
    // Groups that go on from the last form show their header again.
    for (Group &group : m_groups) {
        if (!group.open || (group.band != m_startBand && !group.band->reprintOnNewPage()))
            continue;
        printBand(group.band, Place::Column, true);
        if (group.band == m_startBand)
            startGroupForm();
    }
    m_formHasContent = false;
}

void ReportGenerator::closeForm(bool last)
{
    if (!m_formOpen)
        return;
    finishAttach();
    printPageFooter(last);
    PageEventArgs args;
    args.pageNumber = m_formNumber;
    m_report.eventOnEndPage()(&m_report, args);
    m_formOpen = false;
    if (m_formOnSheet + 1 >= m_formsPerSheet)
        endSheet();
}

void ReportGenerator::ensureForm()
{
    if (!m_formOpen)
        openForm();
}

void ReportGenerator::nextColumnOrForm(Place place)
{
    if (place == Place::Column && m_column < m_report.page()->columns()) {
        m_report.m_columnNumber = ++m_column;
        m_y = m_columnTop;
        return;
    }
    closeForm(false);
    openForm();
}

void ReportGenerator::beginSheet()
{
    m_store.beginPage(m_formNumber + 1);
    m_sheetOpen = true;
    m_formOnSheet = 0;
}

void ReportGenerator::endSheet()
{
    if (!m_sheetOpen)
        return;
    m_store.endPage(m_formOnSheet + 1);
    m_sheetOpen = false;
    m_formOnSheet = 0;
}

void ReportGenerator::startGroupForm()
{
    if (!m_pageBands)
        return;
    m_attachOpen = true;
    const double end = m_endBand && m_endBand->isEnabled() ? designHeight(m_endBand) : 0;
    const double room = m_limit - m_y - end;
    const double design = designHeight(m_attachBand) + designHeight(m_detailBand);
    m_attachBand->setHeightTenths(std::min(design, room));
}

void ReportGenerator::finishAttach()
{
    if (!m_pageBands || !m_attachOpen)
        return;
    m_attachOpen = false;
    printBand(m_attachBand, Place::Column, true);
    if (m_endBand && !chainContains(m_attachBand, m_endBand))
        printBand(m_endBand, Place::Column, true);
}

void ReportGenerator::printPageFooter(bool last)
{
    if (!m_pageFooter || !m_pageFooter->isEnabled())
        return;
    if (last && !m_report.options().testFlag(Report::LastPageFooter))
        return;
    m_y = std::max(m_y, m_body.bottom() - std::max(0.0, m_pageFooter->heightTenths()));
    printBand(m_pageFooter, Place::Page, true);
}

// ---------------------------------------------------------------- bands

bool ReportGenerator::printBand(TQRBand *band, Place place, bool force)
{
    if (!band || !band->isEnabled())
        return false;
    ensureForm();
    if (band->forceNewPage() && m_formHasContent && !force) {
        closeForm(false);
        openForm();
    }
    BandPrintArgs before;
    band->eventBeforePrint()(band, before);
    if (!before.printBand) {
        BandAfterPrintArgs after;
        band->eventAfterPrint()(band, after);
        return false;
    }
    const double width = bandWidth(band, place);
    const double height = std::max(0.0, band->heightTenths());
    // A band a handler made lower than designed leaves out what lies below it.
    const bool shrunk = band->heightTenths() < designHeight(band) - kSlack;
    double growth = 0;
    std::vector<ReportPrintable *> printed;
    for (ReportPrintable *item : band->printables()) {
        if (!item->isPrinted() || (shrunk && item->topTenths() >= height))
            continue;
        growth = std::max(growth, item->layout(width));
        printed.push_back(item);
    }
    const double total = height + growth;
    if (!force && m_formHasContent && m_y + total > m_limit + kSlack)
        nextColumnOrForm(place);
    const PrintTarget target{m_store, m_formOnSheet, QPointF(bandX(place), m_y)};
    for (ReportPrintable *item : printed)
        item->draw(target);
    m_y += total;
    m_formHasContent = true;

    BandAfterPrintArgs after;
    after.bandPrinted = true;
    after.stretchHeight = int(std::lround(growth / band->tenthsPerPixel()));
    band->eventAfterPrint()(band, after);
    printChildren(band, place, force);
    return true;
}

void ReportGenerator::printChildren(TQRBand *band, Place place, bool force)
{
    const auto found = m_children.find(band);
    if (found == m_children.end())
        return;
    for (TQRBand *child : found->second)
        printBand(child, place, force);
}

double ReportGenerator::bandWidth(const TQRBand *band, Place place) const
{
    if (band->widthTenths() > 0)
        return band->widthTenths();
    return place == Place::Column ? m_columnWidth : m_body.width();
}

double ReportGenerator::bandX(Place place) const
{
    if (place == Place::Page)
        return m_body.left();
    return m_body.left() + (m_column - 1) * (m_columnWidth + m_report.page()->columnSpace());
}

double ReportGenerator::designHeight(const TQRBand *band) const
{
    const auto found = m_designHeights.find(const_cast<TQRBand *>(band));
    return found != m_designHeights.end() ? found->second : band->heightTenths();
}

bool ReportGenerator::chainContains(TQRBand *band, const TQRBand *wanted) const
{
    const auto found = m_children.find(band);
    if (found == m_children.end())
        return false;
    for (TQRBand *child : found->second) {
        if (child == wanted || chainContains(child, wanted))
            return true;
    }
    return false;
}

bool ReportGenerator::pollCancel()
{
    // The first page is shown as soon as it exists (a preview open during
    // the run paints it), the rest at the usual interval.
    const bool firstPageWaiting = !m_firstPageShown && m_store.pageCount() > 0;
    if ((firstPageWaiting || m_sinceEvents.elapsed() >= kEventIntervalMs) && QCoreApplication::instance()) {
        m_firstPageShown = m_firstPageShown || firstPageWaiting;
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
    if (m_store.cancelRequested())
        m_cancelled = true;
    return m_cancelled;
}

} // namespace kv
