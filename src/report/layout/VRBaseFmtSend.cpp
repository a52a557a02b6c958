// TfrmVRBaseFmt: sending. Every receiver registered while the report was
// generated (SendTargets) gets its own pages, converted to pictures, by
// e-mail through the mail client or by fax through the fax server; the
// pictures are temporary and every receiver leaves one row in $$ADMTA.

#include "report/layout/VRBaseFmt.h"

#include "lib/CodeConverter.h"
#include "lib/DateText.h"
#include "lib/LibStrs.h"
#include "lib/ShellSettings.h"
#include "lib/SqlConditions.h"
#include "platform/Clock.h"
#include "platform/Dispatch.h"
#include "platform/Prompter.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/EmailSubject.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/SendRequest.h"
#include "report/layout/VRConvPic.h"
#include "report/layout/VRSendOut.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>

namespace kv {

namespace {

constexpr int kInboxFolder = 6;
constexpr int kReceiverWidth = 80;  // $$ADMTA.TA002
constexpr int kMessageWidth = 255;  // $$ADMTA.TA004

// One registered page: "page,table;column;filter;".
struct SendPage {
    int page = 0;
    std::string table;
    std::string column;
    std::string filter;
};

// The text up to the next ";" outside single quotes: a slip key quoted in
// the filter may itself hold a ";".
std::string takeField(const std::string &text, std::size_t &at)
{
    std::string field;
    bool quoted = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\'')
            quoted = !quoted;
        else if (c == ';' && !quoted)
            break;
        field += c;
    }
    ++at; // past the ";"
    return field;
}

std::vector<SendPage> parseSendPages(const std::string &entries)
{
    std::vector<SendPage> pages;
    std::size_t at = 0;
    while (at < entries.size()) {
        const std::size_t comma = entries.find(',', at);
        if (comma == std::string::npos)
            break;
        SendPage page;
        page.page = QString::fromStdString(entries.substr(at, comma - at)).trimmed().toInt();
        at = comma + 1;
        page.table = takeField(entries, at);
        page.column = takeField(entries, at);
        page.filter = takeField(entries, at);
        if (page.page > 0)
            pages.push_back(page);
    }
    return pages;
}

// One SendTargets line split into receiver, e-mail, fax and page entries.
struct SendTarget {
    std::string receiver;
    std::string email;
    std::string fax;
    std::string entries;
};

SendTarget parseTarget(const QString &line)
{
    SendTarget target;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    target.receiver = line.left(equals).toStdString();
    const QString value = line.mid(equals + 1);
    const qsizetype first = value.indexOf(QLatin1Char('|'));
    const qsizetype second = first < 0 ? -1 : value.indexOf(QLatin1Char('|'), first + 1);
    target.email = value.left(first).trimmed().toStdString();
    if (first >= 0)
        target.fax = value.mid(first + 1, second < 0 ? -1 : second - first - 1).trimmed().toStdString();
    if (second >= 0)
        target.entries = value.mid(second + 1).toStdString();
    return target;
}

void removeFiles(std::vector<std::string> &files)
{
    for (const std::string &file : files)
        QFile::remove(QString::fromStdString(file));
    files.clear();
}

// The slip of a receiver's first page.
QString firstSlip(const OutputSlips &slips, const std::string &entries)
{
    const std::vector<SendPage> pages = parseSendPages(entries);
    return pages.empty() ? QString() : slips.ofForm(pages.front().page);
}

QString limited(const std::string &text, int width)
{
    return QString::fromStdString(text).left(width);
}

} // namespace

bool TfrmVRBaseFmt::Send(int kind, int pictureType, const std::string &faxCaption)
{
    SendFailed = false;
    m_countedSends.clear();
    NoteSendWay(kind, faxCaption);
    const PageStore *store = QuickRep1->pages();
    if (!store || !store->isFinished()) {
        // The sent slips are counted as their pictures are made; a
        // generation for sending must not count them a second time.
        PrintCountMode = 0;
        const bool generated = GeneratePages();
        store = QuickRep1->pages();
        if (!generated)
            return false;
    }
    PrintCountMode = 2;
    if (!store || !store->isFinished() || SendTargets.isEmpty())
        return false;
    if (kind == 1) {
        SendMail(pictureType);
    } else if (kind == 2) {
        const std::size_t open = faxCaption.rfind('(');
        const std::size_t close = faxCaption.rfind(')');
        const std::string server =
            open != std::string::npos && close != std::string::npos && close > open ? faxCaption.substr(open + 1, close - open - 1) : "";
        SendFax(pictureType, server);
    }
    return true;
}

std::string TfrmVRBaseFmt::TempBaseName()
{
    std::string directory = asDirectory(QDir::tempPath().toStdString());
    if (!QFileInfo(QString::fromStdString(directory)).isReadable()) {
        directory = ClientRoot + "C_DATA/C_TEMP/";
        if (!QDir().mkpath(QString::fromStdString(directory)))
            throw std::runtime_error("Can not create directory :" + directory);
    }
    const QDateTime now = Clock::now();
    const QDate date = now.date();
    const QTime time = now.time();
    return directory + ProgramCode + "_" +
           QString::asprintf("%.4d%.2d%.2d", date.year(), date.month(), date.day()).toStdString() +
           QString::asprintf("%.2d%.2d%.2d", time.hour(), time.minute(), time.second()).toStdString() + "_";
}

void TfrmVRBaseFmt::countSentPage(const std::string &table, const std::string &column, const std::string &filter)
{
    if (PrintCountMode == 0 || table.empty() || column.empty() || filter.empty())
        return;
    // A slip printed as several forms is one sent slip.
    const std::string key = table + '\n' + column + '\n' + filter;
    if (std::find(m_countedSends.begin(), m_countedSends.end(), key) != m_countedSends.end())
        return;
    m_countedSends.push_back(key);
    m_pendingCounts.push_back({table, column, filter});
}

void TfrmVRBaseFmt::commitSentCounts()
{
    // Only slips that went out count as sent: the requests of a receiver
    // whose mail or fax failed are dropped with its pictures.
    std::vector<std::array<std::string, 3>> pending;
    pending.swap(m_pendingCounts);
    for (const auto &[table, column, filter] : pending) {
        try {
            UpdatePrintCount(table, column, filter);
        } catch (const std::exception &error) {
            // The slip went out; a count the server missed is no failed send.
            WriteToAlertFile("SendLog", "The print count of " + filter + " was not raised: " + error.what(), "D");
        }
    }
}

bool TfrmVRBaseFmt::ConvertReceiverPages(const std::string &entries, const std::string &base, int type,
                                          std::vector<std::string> &files)
{
    files.clear();
    m_pendingCounts.clear();
    const std::vector<SendPage> pages = parseSendPages(entries);
    const bool wasEnabled = isEnabled();
    setEnabled(false);
    Cancelled = false;
    bool result = !pages.empty();
    {
        TfrmVRConvPic progress(this);
        progress.setRange(1, int(pages.size()));
        progress.show();
        for (std::size_t i = 0; i < pages.size() && result; ++i) {
            // Pictures are numbered as the forms they show.
            progress.showProgress(int(i + 1), int(pages.size()),
                                  m_sendSlips ? m_sendSlips->ofForm(pages[i].page) : QString());
            std::string name = base + std::to_string(pages[i].page);
            try {
                result = PagePicture(name, type, pages[i].page);
                if (result)
                    countSentPage(pages[i].table, pages[i].column, pages[i].filter);
            } catch (const std::exception &) {
                result = false;
            }
            // A picture half written is listed too, so that a failure deletes it.
            if (QFileInfo::exists(QString::fromStdString(name)))
                files.push_back(name);
            QApplication::processEvents();
            if (Cancelled)
                result = false;
        }
    }
    setEnabled(wasEnabled);
    if (!result) {
        removeFiles(files);
        m_pendingCounts.clear();
    }
    return result;
}

std::string TfrmVRBaseFmt::askMailSubject()
{
    std::string preset = "Tarvix-ERP ";
    if (const TfrmBaseGene *owner = ownerWindow())
        preset += owner->ProgramName;
    preset = displayText(preset);
    if (const std::optional<QString> given = SendRequest::subject())
        return given->toStdString();
    if (PreviewWindowPreviewer::Headless())
        return preset;
    TfrmEmailSubject dialog(this);
    dialog.SetSubject(QString::fromStdString(preset));
    Prompter::current()->showWindowModal(dialog);
    // Closing the dialog without OK leaves the subject empty, as described.
    return dialog.Subject().toStdString();
}

void TfrmVRBaseFmt::SendMail(int pictureType)
{
    DispatchPtr outlook;
    try {
        outlook = createOleObject("Outlook.Application");
    } catch (const std::exception &) {
        SendFailed = true;
        SendLog("Email|Create Outlook error!");
        return;
    }
    std::string receiver;
    std::vector<std::string> files;
    const bool wasEnabled = isEnabled();
    setEnabled(false);
    const auto restoreEnabled = qScopeGuard([this, wasEnabled] { setEnabled(wasEnabled); });
    Cancelled = false;
    TfrmVRSendOut progress(this);
    // The bar counts receivers: the cancel button stops before the next one.
    progress.setRange(0, int(SendTargets.size()));
    const OutputSlips slips(QuickRep1->pages());
    const QScopedValueRollback<const OutputSlips *> slipsInUse(m_sendSlips, &slips);
    try {
        DispatchPtr space = outlook->call("GetNameSpace", {Variant("MAPI")}).toObject();
        const std::string base = TempBaseName();
        std::string subject = askMailSubject();
        const std::string codePage = KvConverter()->uiCodePage();
        if (codePage == "950" && LanguageMode == 1)
            subject = KvConverter()->GBToBig5(subject);
        else if (codePage == "936" && LanguageMode == 3)
            subject = displayText(subject);
        // Shown once the subject is given: the question comes first.
        progress.show();
        for (int i = 0; i < SendTargets.size(); ++i) {
            progress.ProgressBar1->setValue(i);
            QApplication::processEvents();
            if (Cancelled)
                break;
            const SendTarget target = parseTarget(SendTargets[i]);
            receiver = target.receiver;
            progress.showReceiver(QString::fromStdString(receiver), i + 1, int(SendTargets.size()));
            if (target.email.empty()) {
                SendFailed = true;
                logSend(receiver + "|Not assign e-Mail address!", true);
                continue;
            }
            if (!ConvertReceiverPages(target.entries, base, pictureType, files)) {
                SendFailed = true;
                logSend(receiver + "|Generate attach file error!", true);
                return;
            }
            DispatchPtr folder = space->call("GetDefaultFolder", {Variant(kInboxFolder)}).toObject();
            DispatchPtr item = folder->get("Items").toObject()->call("Add").toObject();
            item->put("To", Variant(target.email));
            item->put("Subject", Variant(subject));
            DispatchPtr attachments = item->get("Attachments").toObject();
            for (const std::string &file : files)
                attachments->call("Add", {Variant(file)});
            item->call("Send");
            removeFiles(files);
            commitSentCounts();
            logSend(receiver + "|Send e-Mail Complete !", false);
            progress.showSent(i + 1, int(SendTargets.size()), firstSlip(slips, target.entries));
        }
    } catch (const std::exception &error) {
        removeFiles(files);
        SendFailed = true;
        // The server's reply tells the clerk why the mail went nowhere.
        logSend(receiver + "|Send e-Mail error! " + error.what(), true);
    }
}

void TfrmVRBaseFmt::SendFax(int pictureType, const std::string &server)
{
    if (SendTargets.isEmpty())
        return;
    Cancelled = false;
    PictureDPI = 200;
    const bool wasEnabled = isEnabled();
    setEnabled(false);
    std::string receiver;
    std::vector<std::string> files;
    {
        TfrmVRSendOut progress(this);
        progress.setRange(1, std::max(1, PageCount));
        progress.show();
        const OutputSlips slips(QuickRep1->pages());
        const QScopedValueRollback<const OutputSlips *> slipsInUse(m_sendSlips, &slips);
        try {
            const std::string base = TempBaseName();
            const std::string faxServer = server == "127.0.0.1" ? std::string() : server;
            for (int i = 0; i < SendTargets.size(); ++i) {
                // A cancel pressed while the last fax went stops before this one.
                QApplication::processEvents();
                if (Cancelled)
                    break;
                const SendTarget target = parseTarget(SendTargets[i]);
                receiver = target.receiver;
                DispatchPtr fax = createOleObject("QRMFAX.APP")->get("SendFax").toObject();
                if (target.fax.empty()) {
                    SendFailed = true;
                    logSend(receiver + "|Not assign fax number!", true);
                    continue;
                }
                progress.showReceiver(QString::fromStdString(receiver), i + 1, int(SendTargets.size()));
                if (!ConvertReceiverPages(target.entries, base, pictureType, files)) {
                    SendFailed = true;
                    logSend(receiver + "|Generate attach file error!", true);
                    break;
                }
                if (!fax->call("ConnectFaxServer", {Variant(faxServer)}).toBool()) {
                    removeFiles(files);
                    throw DispatchError("the fax server " + server + " cannot be reached");
                }
                for (std::size_t f = 0; f < files.size() && !Cancelled; ++f) {
                    progress.step();
                    progress.showPage(int(f + 1), int(files.size()));
                    fax->call("AddFaxFile", {Variant(files[f])});
                    QApplication::processEvents();
                }
                if (!Cancelled) {
                    fax->call("SendFax", {Variant(target.fax), Variant(receiver), Variant(UserID), Variant(0)});
                    commitSentCounts();
                }
                removeFiles(files);
                fax->call("DisconnectFaxServer");
                if (Cancelled) {
                    // A cancelled fax did not go: it is logged as such.
                    SendFailed = true;
                    logSend(receiver + "|Send Fax cancelled!", true);
                } else {
                    logSend(receiver + "|Send Fax Complete !", false);
                    progress.showSent(i + 1, int(SendTargets.size()), firstSlip(slips, target.entries));
                }
            }
        } catch (const std::exception &error) {
            removeFiles(files);
            SendFailed = true;
            logSend(receiver + "|Send Fax error! " + error.what(), true);
        }
    }
    setEnabled(wasEnabled);
    PictureDPI = 96;
}

void TfrmVRBaseFmt::SendLog(const std::string &entry)
{
    logSend(entry, SendFailed);
}

void TfrmVRBaseFmt::logSend(const std::string &entry, bool failed)
{
    RecordSendResult(entry, failed);
    const std::size_t bar = entry.find('|');
    const std::string receiver = entry.substr(0, bar);
    const std::string message = bar == std::string::npos ? std::string() : entry.substr(bar + 1);
    const std::string date = DateToString(Clock::today(), 1, "");
    const std::string time = Clock::now().toString(QStringLiteral("hh:mm:ss")).toStdString();
    // Receiver and message are the clerk's and the servers' words: quoted,
    // and cut to the width of their columns so that the row is kept.
    const std::string sql =
        "INSERT INTO $$ADMTA (COMPANY,CREATOR,USR_GROUP,CREATE_DATE,FLAG,TA001,TA002,TA003,TA004,TA005,TA006) VALUES(" +
        QuotedSql(CompanyID) + "," + QuotedSql(UserID) + ",''," + QuotedSql(date) + ",'1'," + QuotedSql(ProgramCode) + "," +
        QuotedSql(limited(receiver, kReceiverWidth).toStdString()) + "," + (failed ? "'N'" : "'Y'") + "," +
        QuotedSql(limited(message, kMessageWidth).toStdString()) + "," + QuotedSql(time) + "," + QuotedSql(date) + ")";
    try {
        RunFreeSQL(sql);
    } catch (const std::exception &error) {
        WriteToAlertFile("SendLog", "The send log row of " + receiver + " was not written: " + error.what(), "D");
    }
}

} // namespace kv
