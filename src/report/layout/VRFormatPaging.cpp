// Paging of the standard slip layout: the pre-pass that counts the lines
// of every slip, and the header, line and footer rules that number pages
// and lines per slip.

#include "report/layout/VRFormat.h"

#include "lib/DateText.h"
#include "lib/LibStrs.h"
#include "platform/ClientDataSet.h"
#include "platform/Clock.h"
#include "platform/report/Report.h"
#include "platform/report/ReportEvents.h"
#include "platform/report/ReportExpression.h"
#include "platform/report/TQRBand.h"
#include "platform/report/TQRChildBand.h"
#include "platform/report/TQRGroup.h"
#include "platform/report/TQRLabel.h"

#include <algorithm>
#include <limits>

namespace kv {

namespace {

constexpr const char *kAsterisks = "***********";

} // namespace

QString TfrmVRFormat::groupValue() const
{
    ReportExpression expression(QRGroup->expression());
    if (expression.text().trimmed().isEmpty())
        return {};
    expression.prepare(QuickRep1);
    return QString::fromStdString(expression.valueText());
}

// ---------------------------------------------------------------- pre-pass

void TfrmVRFormat::QuickRep1BeforePrint(ReportPrintArgs &args)
{
    (void)args;
    GroupRowCounts.clear();
    SlipRowsByKey.clear();
    if (ClientDataSet1->Active()) {
        ReportExpression expression(QRGroup->expression());
        if (!expression.text().trimmed().isEmpty())
            expression.prepare(QuickRep1);
        countSlipLines(expression);
        expression.release();
    }
    const int footer = QRGroupFooter->height();
    const int line = QRDetailBand->height();
    RowsPerPage = footer == 0 || line == 0 ? 1 : footer / line + 1;
    QuickRep1->pages()->setExpectedPageCount(expectedSheets());

    CurrentGroup.clear();
    lblCreateDate2->setCaption(lblCreateDate1->caption());
    stampPrintDateAndTime();
}

int TfrmVRFormat::expectedSheets() const
{
    // Every slip (every part of one, when its key comes back later in the
    // data) starts on a form of its own and fills as many forms as its lines
    // need; forms fill the sheets one after another.
    qint64 forms = 0;
    for (const QString &line : GroupRowCounts) {
        const qint64 lines = line.mid(line.lastIndexOf(QLatin1Char('=')) + 1).toLongLong();
        forms += (lines + RowsPerPage - 1) / RowsPerPage;
    }
    const int perSheet = QuickRep1->pages()->formsPerSheet();
    return int(std::min<qint64>((forms + perSheet - 1) / perSheet, std::numeric_limits<int>::max()));
}

void TfrmVRFormat::countSlipLines(ReportExpression &expression)
{
    const auto keyOf = [&expression] {
        return expression.isPrepared() ? QString::fromStdString(expression.valueText()) : QString();
    };
    ClientDataSet1->First();
    if (ClientDataSet1->Eof())
        return;
    QString current = keyOf();
    int count = 0;
    while (!ClientDataSet1->Eof()) {
        const QString key = keyOf();
        if (key != current) {
            recordSlipLines(current, count);
            current = key;
            count = 1;
        } else {
            ++count;
        }
        ClientDataSet1->Next();
    }
    recordSlipLines(current, count);
}

void TfrmVRFormat::recordSlipLines(const QString &slip, int lines)
{
    GroupRowCounts << slip + QLatin1Char('=') + QString::number(lines);
    // The headers look a slip's count up by its key; a key that comes back
    // later in the data keeps the count of its first part.
    if (!SlipRowsByKey.contains(slip))
        SlipRowsByKey.insert(slip, lines);
}

void TfrmVRFormat::stampPrintDateAndTime()
{
    const QDateTime now = Clock::now();
    const QDate today = TransDateIn(now.date().toString(QStringLiteral("yyyyMMdd")).toStdString());
    const QString date = QString::fromStdString(DateToString(today, DateType, DateFormat));
    const QString time = now.time().toString(QStringLiteral("hh:mm"));
    lblPrintDate1->setCaption(date);
    lblPrintDate2->setCaption(date);
    lblPrintTime1->setCaption(time);
    lblPrintTime2->setCaption(time);
}

void TfrmVRFormat::QuickRep1StartPage(PageEventArgs &args)
{
    // Pages are counted as the header prints.
    (void)args;
}

// ---------------------------------------------------------------- header

void TfrmVRFormat::QRGroupBeforePrint(BandPrintArgs &args)
{
    (void)args;
    const QString value = groupValue();
    if (value != CurrentGroup) {
        SlipRow = 0;
        SlipPage = 1;
        CurrentGroup = value;
        SlipPages = 0;
        const auto slip = SlipRowsByKey.constFind(value);
        if (slip != SlipRowsByKey.cend()) {
            SlipRows = slip.value();
            SlipPages = (SlipRows + RowsPerPage - 1) / RowsPerPage;
        }
    } else {
        ++SlipPage;
    }
    lblTotalPage->setCaption(QString::number(SlipPages));
    lblPageNo->setCaption(QString::number(SlipPage));
    lblNextPage->setEnabled(NextPageEnabled);
    lblNoData->setEnabled(NoDataEnabled);
    ++PageCount;
    const QString expression = QRGroup->expression();
    if (SettingValue("Sys060") == "Y" && UseWorkflowSignIn && UnderWorkflow && !expression.trimmed().isEmpty() &&
        lblPageNo->caption() == QLatin1String("1"))
        FillSignIns(expression);
}

// ---------------------------------------------------------------- lines

void TfrmVRFormat::QRDetailBandBeforePrint(BandPrintArgs &args)
{
    if (QRGroupFooter->height() >= 0 || SlipRow <= 1) {
        ++SlipRow;
    } else {
        // The line does not fit above the footer: it goes first on the next
        // page, and the footer gets back the room it was lent.
        args.printBand = false;
        QRGroupFooter->setHeight(QRGroupFooter->height() + QRDetailBand->height());
        ClientDataSet1->Prior();
    }
    lblSeq->setCaption(QString::fromStdString(ZeroATfirst(SlipRow, 4)));
}

void TfrmVRFormat::QRDetailBandAfterPrint(BandAfterPrintArgs &args)
{
    // A line that grew with multi-line fields takes that much more of the
    // footer's room (the engine reports the growth in band units already).
    if (args.bandPrinted && args.stretchHeight > 0)
        QRGroupFooter->setHeight(QRGroupFooter->height() - args.stretchHeight);
}

// ---------------------------------------------------------------- footer

void TfrmVRFormat::QRGroupFooterBeforePrint(BandPrintArgs &args)
{
    (void)args;
    if (QRGroupFooter->height() < QRDetailBand->height())
        lblNoData->setEnabled(false);
    if (SlipPage == SlipPages && SlipRows != SlipRow)
        ++SlipPages;
    lblNextPage->setEnabled(SlipPage != SlipPages && NextPageEnabled);
    const bool lastPage = onLastSlipPage();
    restoreSignIns(SignInEveryPage || lastPage);
    restoreNotes(NotesEveryPage || lastPage);
}

void TfrmVRFormat::restoreSignIns(bool on)
{
    lblSignIn1->setEnabled(on && SignInEnabled1);
    lblSignIn2->setEnabled(on && SignInEnabled2);
    lblSignIn3->setEnabled(on && SignInEnabled3);
}

void TfrmVRFormat::restoreNotes(bool on)
{
    lblNote1->setEnabled(on && NoteEnabled1);
    lblNote2->setEnabled(on && NoteEnabled2);
    lblNote3->setEnabled(on && NoteEnabled3);
}

// ---------------------------------------------------------------- print handlers

void TfrmVRFormat::OnAsteriskPrint(QObject *sender, EventArgs &args)
{
    (void)sender;
    auto *print = dynamic_cast<TextPrintArgs *>(&args);
    if (!print)
        return;
    // The page counters, not the captions of the header, tell the last page:
    // a footer that found the slip needs one page more has corrected the
    // count after the header printed its captions.
    if (TotalsEveryPage)
        print->value = displayText(print->value);
    else if (!onLastSlipPage())
        print->value = kAsterisks;
}

void TfrmVRFormat::lblCreateDate1Print(QObject *sender, EventArgs &args)
{
    (void)sender;
    auto *print = dynamic_cast<TextPrintArgs *>(&args);
    if (!print)
        return;
    // The caption holds the table date in its stored form; a caption that
    // is already a display date stays as it is.
    const QDate date = TransDateIn(lblCreateDate1->caption().toStdString());
    if (date.isValid())
        print->value = DateToString(date, DateType, DateFormat);
}

} // namespace kv
