// TfrmQipr07Fmt while the report runs: opening the data, the header, line
// and footer rules of the material-issue slip, the inspection remark, the
// running totals, the print count and the registration for sending.

#include "qipr07/Qipr07Fmt.h"

#include "base/KVForm.h"
#include "lib/CodeConverter.h"
#include "lib/LibStrs.h"
#include "platform/ClientDataSet.h"
#include "platform/report/NumberMask.h"
#include "platform/report/Report.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/ReportExpression.h"
#include "platform/report/TKVQRDBText.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"
#include "report/options/VRBaseOpt.h"

#include <QLineEdit>

#include <cmath>

namespace kv {

namespace {

TextPrintArgs *textArgs(EventArgs &args)
{
    return dynamic_cast<TextPrintArgs *>(&args);
}

// Table names of the ERP dialect ("$$TABLE", any case) of SQL the layout
// sends as a data set's request: the company database and "..".
std::string withCompanyDb(const std::string &sql, const std::string &companyDb)
{
    QString text = QString::fromStdString(sql);
    text.replace(QStringLiteral("$$"), QString::fromStdString(companyDb + ".."), Qt::CaseInsensitive);
    return text.toStdString();
}

// "TA001='…'  AND  TA002='…'  AND  TA003='…' " for one of the three
// inspection tables; the values come quoted so that a quote in the data
// cannot end the literal.
std::string lotConditions(const char *prefix, const std::string &type, const std::string &number,
                          const std::string &sequence)
{
    const std::string p(prefix);
    return " " + p + "001=" + QuotedSql(type) + " " + " AND  " + p + "002=" + QuotedSql(number) + " " + " AND  " +
           p + "003=" + QuotedSql(sequence) + " ";
}

} // namespace

// ---------------------------------------------------------------- data

bool TfrmQipr07Fmt::pageBreakByWarehouse() const
{
    // The condition window's "按仓库分页" box.
    const QWidget *owner = parentWidget();
    const QObject *box = owner ? owner->findChild<QObject *>(QStringLiteral("chkCMSMC")) : nullptr;
    return box && box->property("Checked").toBool();
}

int TfrmQipr07Fmt::OpenData(const std::string &sql)
{
    try {
        m_partsByWarehouse = pageBreakByWarehouse();
        QRGroup->setExpression(m_partsByWarehouse
                                   ? QStringLiteral("ClientDataSet1.TC001+ClientDataSet1.TC002+ClientDataSet1.TE008")
                                   : QStringLiteral("ClientDataSet1.TC001+ClientDataSet1.TC002"));
        ClientDataSet1->Close();
        ClientDataSet1->DataRequest(toDb(Variant(sql)));
        ClientDataSet1->Open();
        if (ClientDataSet1->IsEmpty()) {
            ClientDataSet1->Close();
            return 0;
        }
        return 1;
    } catch (const std::exception &error) {
        WriteToAlertFile("QIPR07", std::string("OpenData: ") + error.what(), "D");
        return -1;
    }
}

bool TfrmQipr07Fmt::hasColumn(const char *column) const
{
    return ClientDataSet1->Active() && ClientDataSet1->FindField(column) != nullptr;
}

double TfrmQipr07Fmt::columnValue(const char *column) const
{
    const ClientDataSet::Field *field = ClientDataSet1->Active() ? ClientDataSet1->FindField(column) : nullptr;
    if (!field || field->IsNull())
        return 0;
    try {
        return field->AsFloat();
    } catch (const std::exception &) {
        return FloatOrDefault(field->AsString(), 0);
    }
}

QString TfrmQipr07Fmt::columnText(const char *column) const
{
    const ClientDataSet::Field *field = ClientDataSet1->Active() ? ClientDataSet1->FindField(column) : nullptr;
    return field ? QString::fromStdString(field->AsString()) : QString();
}

// ---------------------------------------------------------------- report events

void TfrmQipr07Fmt::QuickRep1BeforePrint(ReportPrintArgs &args)
{
    TfrmVRFormat::QuickRep1BeforePrint(args);
    QtyTotal = OpenQtyTotal = PackTotal = OpenPackTotal = 0;
    m_totalsGroup.clear();
    sumWarehouseParts();
}

void TfrmQipr07Fmt::sumWarehouseParts()
{
    m_partTotals.clear();
    if (!m_partsByWarehouse || !ClientDataSet1->Active() || !hasColumn("TE005"))
        return;
    // Keyed as the header sees its group, so that CurrentGroup finds it.
    ReportExpression expression(QRGroup->expression());
    expression.prepare(QuickRep1);
    for (ClientDataSet1->First(); !ClientDataSet1->Eof(); ClientDataSet1->Next()) {
        PartTotals &part = m_partTotals[QString::fromStdString(expression.valueText())];
        part.issued += columnValue("TE005");
        part.packs += columnValue("TE021");
    }
    expression.release();
}

void TfrmQipr07Fmt::startTotalsOfNewSlip()
{
    if (CurrentGroup == m_totalsGroup)
        return;
    m_totalsGroup = CurrentGroup;
    resetRunningTotals();
}

void TfrmQipr07Fmt::resetRunningTotals()
{
    QtyTotal = OpenQtyTotal = PackTotal = OpenPackTotal = 0;
}

void TfrmQipr07Fmt::QRGroupBeforePrint(BandPrintArgs &args)
{
    TfrmVRFormat::QRGroupBeforePrint(args);
    showCopyMark();
    std::string filter;
    if (SlipPage == 1) {
        filter = "TC001=" + QuotedSql(columnText("TC001").toStdString()) +
                 " and TC002=" + QuotedSql(columnText("TC002").toStdString());
        // Counted once its pages are printed or sent, each slip once a run.
        RequestPrintCount("$$MOCTC", "TC010", filter);
    }
    registerSlip(filter);
}

void TfrmQipr07Fmt::showCopyMark()
{
    // The count as read with the data: the prints before this one.
    const double printed = std::floor(columnValue("TC010"));
    lblCopyMark->setCaption(printed >= 1 ? QString::fromStdString(FmtText("sCopyMark", "副本")) + QLatin1Char(' ') +
                                               QString::number(qint64(printed))
                                         : QString());
}

void TfrmQipr07Fmt::registerSlip(const std::string &filter)
{
    // Every form of the slip goes to the slip's receiver; only the first
    // carries the filter, so a sent slip counts once.
    RegisterSendTarget("$$MOCTC", filter);
}

void TfrmQipr07Fmt::RegisterSendTarget(const std::string &table, const std::string &filter)
{
    if (SendModes != 1 && SendModes != 2)
        return;
    const auto *conditions = qobject_cast<const TfrmVRBaseOpt *>(parentWidget());
    if (!conditions)
        return;
    // The receiver and its address come from the slip when the chosen way
    // names columns for them (the supplier and its fax or e-mail), else
    // both are what the clerk typed.
    QString receiver = conditions->edtFaxEmailData->text().trimmed();
    QString address = receiver;
    if (!conditions->SendPartnerField.empty() && !conditions->SendAddressField.empty()) {
        receiver = columnText(conditions->SendPartnerField.c_str()).trimmed();
        address = columnText(conditions->SendAddressField.c_str()).trimmed();
    }
    const QString entry = QString::number(PageCount) + QLatin1Char(',') + QString::fromStdString(table) +
                          QLatin1Char(';') + QString::fromStdString(conditions->SendStatusField) + QLatin1Char(';') +
                          QString::fromStdString(filter) + QLatin1Char(';');
    const QString prefix = receiver + QLatin1Char('=');
    for (QString &line : SendTargets) {
        if (line.startsWith(prefix)) {
            line += entry;
            return;
        }
    }
    const QString addresses = SendModes == 1 ? address + QStringLiteral("||") : QLatin1Char('|') + address + QLatin1Char('|');
    SendTargets << prefix + addresses + entry;
}

bool TfrmQipr07Fmt::skipHeaderOnlyRecord(BandPrintArgs &args)
{
    if (!columnText("TE001").isEmpty())
        return false;
    args.printBand = false;
    // The engine lent the footer's room to the line; it gets it back. The
    // record still counts as the slip's one row, so the footer knows that
    // the slip ends on this page.
    QRGroupFooter->setHeight(QRGroupFooter->height() + QRDetailBand->height());
    ++SlipRow;
    return true;
}

void TfrmQipr07Fmt::QRDetailBandBeforePrint(BandPrintArgs &args)
{
    if (skipHeaderOnlyRecord(args))
        return;
    LookUpInspectionRemark();
    TfrmVRFormat::QRDetailBandBeforePrint(args);
    if (!args.printBand)
        return; // counted when it prints on the next page
    startTotalsOfNewSlip();
    QtyTotal += columnValue("TB004");
    OpenQtyTotal += columnValue("TB004C");
    PackTotal += columnValue("TB019");
    OpenPackTotal += columnValue("TB019C");
}

void TfrmQipr07Fmt::LookUpInspectionRemark()
{
    // The remark only shows in a layout that prints its label; a run without
    // it saves a query per line.
    if (!lblTA027->isPrinted() || !lblTA027->band()->isEnabled()) {
        lblTA027->setCaption(QString());
        return;
    }
    try {
        const std::string type = columnText("ME017").toStdString();
        const std::string number = columnText("ME018").toStdString();
        const std::string sequence = columnText("ME019").toStdString();
        const std::string sql =
            std::string("SELECT TOP 1 TA026,TA027 FROM $$QMSTA AS QMSTA ") + " WHERE " +
            lotConditions("TA", type, number, sequence) + " UNION " +
            " SELECT TD026 AS TA026,TD027 AS TA027 FROM $$QMSTD AS QMSTD " + " WHERE " +
            lotConditions("TD", type, number, sequence) + " UNION " +
            " SELECT TG026 AS TA026,TG027 AS TA027 FROM $$QMSTG AS QMSTG " + " WHERE " +
            lotConditions("TG", type, number, sequence) + " ORDER BY TA026 DESC ";
        lblTA027->setCaption(QString());
        ClientDataSet2->Close();
        ClientDataSet2->DataRequest(toDb(Variant(withCompanyDb(sql, CompanyDB))));
        ClientDataSet2->Open();
        if (!ClientDataSet2->IsEmpty()) {
            ClientDataSet2->First();
            lblTA027->setCaption(QString::fromStdString(ClientDataSet2->FieldByName("TA027").AsString()));
        }
    } catch (const std::exception &) {
        // The remark is a courtesy: without it the line prints all the same.
        lblTA027->setCaption(QString());
    }
}

// ---------------------------------------------------------------- print handlers

void TfrmQipr07Fmt::printDate(EventArgs &args)
{
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    try {
        const QDate date = TransDateIn(print->value);
        if (date.isValid())
            print->value = DateToString(date, DateType, DateFormat);
    } catch (const std::exception &) {
        // An unreadable date prints as stored.
    }
}

void TfrmQipr07Fmt::txtTC014Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printDate(args);
}

void TfrmQipr07Fmt::txtTC003Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printDate(args);
}

void TfrmQipr07Fmt::txtTE012Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    if (const TextPrintArgs *print = textArgs(args); print && !print->value.empty())
        txtHyphen->setCaption(QStringLiteral("-"));
}

void TfrmQipr07Fmt::txtHyphenPrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    TextPrintArgs *print = textArgs(args);
    if (print && columnText("TE011").trimmed().isEmpty())
        print->value.clear();
}

std::string TfrmQipr07Fmt::FormatByMask(const std::string &mask, double value)
{
    const std::string plain = FloatText(value);
    if (mask.empty())
        return plain;
    try {
        const std::size_t point = mask.find('.');
        const std::string decimals = point == std::string::npos ? std::string() : mask.substr(point + 1);
        if (decimals.empty())
            return formatNumberMask("#,##0", value);
        const double rounded = RoundFloat(value, int(QString::fromStdString(decimals).size()));
        return formatNumberMask("#,##0." + decimals, rounded);
    } catch (const std::exception &) {
        return plain;
    }
}

void TfrmQipr07Fmt::printRunningTotal(TKVQRDBText *field, double &total, EventArgs &args)
{
    TextPrintArgs *print = textArgs(args);
    if (!print)
        return;
    if (TotalsEveryPage || onLastSlipPage()) {
        print->value = FormatByMask(field->mask().toStdString(), total);
        total = 0;
    } else {
        print->value = kStars;
    }
}

void TfrmQipr07Fmt::txtTB004C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printRunningTotal(txtTB004C1, QtyTotal, args);
}

void TfrmQipr07Fmt::txtTB005C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printRunningTotal(txtTB005C1, OpenQtyTotal, args);
}

void TfrmQipr07Fmt::txtTB019C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printRunningTotal(txtTB019C1, PackTotal, args);
}

void TfrmQipr07Fmt::txtTB020C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printRunningTotal(txtTB020C1, OpenPackTotal, args);
}

void TfrmQipr07Fmt::starsUnlessFinal(EventArgs &args) const
{
    // The slip's total from the report data: shown as it is, but only where
    // it is final.
    if (TextPrintArgs *print = textArgs(args); print && !TotalsEveryPage && !onLastSlipPage())
        print->value = kStars;
}

void TfrmQipr07Fmt::printPartTotal(const TKVQRDBText *field, double PartTotals::*total, EventArgs &args) const
{
    TextPrintArgs *print = textArgs(args);
    if (!print || !m_partsByWarehouse)
        return;
    const auto part = m_partTotals.find(CurrentGroup);
    const double value = part == m_partTotals.end() ? 0.0 : part->second.*total;
    // Written as the data text would be: by the field's mask, else plain.
    const QString mask = field->mask();
    print->value = mask.isEmpty() ? FloatText(value) : formatNumberMask(mask.toStdString(), value);
}

void TfrmQipr07Fmt::txtTE005C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printPartTotal(txtTE005C1, &PartTotals::issued, args);
    starsUnlessFinal(args);
}

void TfrmQipr07Fmt::txtTE021C1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    printPartTotal(txtTE021C1, &PartTotals::packs, args);
    starsUnlessFinal(args);
}

} // namespace kv
