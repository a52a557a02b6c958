#pragma once
// The slip layout the benches print: the page rules of the standard slip
// window (header group, numbered lines, attached footer with totals, the
// sign-off band, page numbers per slip, its fields' font) over a client data
// set, with the given page picture behind every form.

#include "platform/ClientDataSet.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "platform/report/ReportText.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"
#include "platform/report/TQRShape.h"

#include <QByteArray>
#include <QFont>
#include <QObject>

#include <type_traits>

namespace benchlayout {

using namespace kv;

// The font of the standard slip window's fields.
inline QFont slipFieldFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    return font;
}

// A component of the layout at its place on a band.
template <typename T>
T *field(TQRBand *band, const char *name, int left, int top, int width, int height = 14)
{
    auto *item = new T(band);
    if constexpr (std::is_base_of_v<ReportText, T>)
        item->setFont(slipFieldFont());
    item->setObjectName(name);
    item->setLeft(left);
    item->setTop(top);
    item->setWidth(width);
    item->setHeight(height);
    return item;
}

// The slip layout with the page rules of the standard slip window.
class SlipLayout {
public:
    SlipLayout(ClientDataSet *data, const QByteArray &form) : m_data(data)
    {
        m_report = new Report(&m_window);
        m_report->setObjectName("QuickRep1");
        m_report->setDataSet(data);
        m_report->setPageStyle(Report::qrFullPage);
        m_report->setPagePictureData(form);
        m_header = new TQRGroup(m_report);
        m_header->setObjectName("QRGroup");
        m_header->setExpression("ClientDataSet1.TC001+ClientDataSet1.TC002");
        m_header->setHeight(195);
        m_detail = new TQRBand(m_report);
        m_detail->setObjectName("QRDetailBand");
        m_detail->setHeight(63);
        m_footer = new TQRBand(m_report, TQRBand::rbGroupFooter);
        m_footer->setObjectName("QRGroupFooter");
        m_footer->setHeight(380);
        m_header->setFooterBand(m_footer);
        auto *signOff = new TQRChildBand(m_report);
        signOff->setObjectName("GroupFooterChildBand");
        signOff->setParentBand(m_footer);
        signOff->setHeight(225);
        m_report->setPageStartBand(m_header);
        m_report->setPageDetailBand(m_detail);
        m_report->setPageAttachDetailBand(m_footer);
        m_report->setPageEndBand(signOff);

        m_pageNo = field<TQRLabel>(m_header, "lblPageNo", 600, 67, 39);
        m_totalPage = field<TQRLabel>(m_header, "lblTotalPage", 660, 67, 49);
        int left = 20;
        for (const char *name : {"TC001", "TC002", "TC014", "CMSME002", "TC007"}) {
            bind(field<TKVQRDBText>(m_header, name, left, 120, 130));
            left += 140;
        }
        m_seq = field<TQRLabel>(m_detail, "lblSeq", 5, 14, 30);
        left = 40;
        for (const char *name : {"TE004", "TE017", "TE018", "TE006", "TE005", "TE008", "TE010"}) {
            bind(field<TKVQRDBText>(m_detail, name, left, 14, 95));
            left += 100;
        }
        field<TQRShape>(m_detail, "shpLine", 0, 60, 740, 2)->setShape(TQRShape::qrsHorLine);
        m_noData = field<TQRLabel>(m_footer, "lblNoData", 40, 5, 60);
        m_noData->setCaption("以下空白//");
        m_nextPage = field<TQRLabel>(signOff, "lblNextPage", 640, 180, 60);
        m_nextPage->setCaption("接下页...");
        for (int n = 1; n <= 3; ++n)
            field<TQRLabel>(signOff, ("lblSignIn" + std::to_string(n)).c_str(), 10, 20 * n, 560)
                ->setCaption("签核栏");
        bindHandlers();
    }

    Report &report() { return *m_report; }

private:
    void bind(TKVQRDBText *text)
    {
        text->setDataSet(m_data);
        text->setDataField(text->objectName());
        if (text->objectName() == "TE005") {
            text->setMask("#,##0.00");
            text->setAlignment(ReportText::taRightJustify);
        }
    }
    void bindHandlers()
    {
        m_report->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { prePass(); }));
        m_header->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) { onHeader(); }));
        m_detail->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &args) { onLine(args); }));
        m_footer->setEventBeforePrint(EventHandler([this](QObject *, EventArgs &) {
            m_noData->setEnabled(m_footer->height() >= m_detail->height());
            m_nextPage->setEnabled(m_slipPage != m_slipPages);
        }));
    }
    std::string key() const
    {
        return m_data->FieldByName("TC001").AsString() + m_data->FieldByName("TC002").AsString();
    }
    void prePass()
    {
        m_counts.clear();
        for (m_data->First(); !m_data->Eof(); m_data->Next())
            ++m_counts[key()];
        m_rowsPerPage = m_footer->height() / m_detail->height() + 1;
        m_current.clear();
    }
    void onHeader()
    {
        if (key() != m_current) {
            m_current = key();
            m_slipRow = 0;
            m_slipPage = 1;
            m_slipPages = (m_counts[m_current] + m_rowsPerPage - 1) / m_rowsPerPage;
        } else {
            ++m_slipPage;
        }
        m_pageNo->setCaption(QString::number(m_slipPage));
        m_totalPage->setCaption(QString::number(m_slipPages));
    }
    void onLine(EventArgs &args)
    {
        if (m_footer->height() >= 0 || m_slipRow <= 1) {
            ++m_slipRow;
        } else {
            static_cast<BandPrintArgs &>(args).printBand = false;
            m_footer->setHeight(m_footer->height() + m_detail->height());
            m_data->Prior();
        }
        m_seq->setCaption(QStringLiteral("%1").arg(m_slipRow, 4, 10, QLatin1Char('0')));
    }

    QObject m_window;
    ClientDataSet *m_data;
    Report *m_report;
    TQRGroup *m_header;
    TQRBand *m_detail, *m_footer;
    TQRLabel *m_pageNo, *m_totalPage, *m_seq, *m_noData, *m_nextPage;
    std::map<std::string, int> m_counts;
    std::string m_current;
    int m_rowsPerPage = 1, m_slipRow = 0, m_slipPage = 0, m_slipPages = 0;
};

} // namespace benchlayout
