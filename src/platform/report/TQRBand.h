#pragma once
// kv::TQRBand: a band of a report: a strip across the page that prints its
// components once at its place (title, page header, detail per record,
// footer, ...). Bands are children of their report; components are children
// of their band and print in child order (later ones over earlier ones).
//
// Height is the design height; a band prints taller when components that
// stretch need it. The engine passes BandPrintArgs to BeforePrint (a handler
// may leave the band out) and BandAfterPrintArgs to AfterPrint. Width 0
// means the width of the page between the margins (or of a column).

#include "platform/report/ReportItem.h"

#include <QList>

namespace kv {

class ReportPrintable;

class TQRBand : public ReportItem {
    Q_OBJECT
    Q_PROPERTY(kv::TQRBand::TQRBandType BandType READ bandType WRITE setBandType)
    Q_PROPERTY(bool ForceNewPage READ forceNewPage WRITE setForceNewPage)
    KV_REPORT_EVENT(BeforePrint)
    KV_REPORT_EVENT(AfterPrint)

public:
    enum TQRBandType {
        rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbGroupHeader, rbGroupFooter, rbChild, rbColumnHeader
    };
    Q_ENUM(TQRBandType)

    explicit TQRBand(QObject *parent = nullptr, TQRBandType type = rbDetail);

    TQRBandType bandType() const { return m_bandType; }
    void setBandType(TQRBandType type) { m_bandType = type; }
    // Starts a new page (form) before the band unless the page is still empty.
    bool forceNewPage() const { return m_forceNewPage; }
    void setForceNewPage(bool force) { m_forceNewPage = force; }

    // The band's components in print order.
    QList<ReportPrintable *> printables() const;

private:
    TQRBandType m_bandType;
    bool m_forceNewPage = false;
};

} // namespace kv
