// Sending from the layout window: every receiver registered on the pages
// gets exactly its pages, by e-mail through a real SMTP server on loopback
// or by fax into the spool of the local fax server; each receiver leaves one
// send-log row (run on a real SQLite table to prove the quoting), sent
// slips count as printed, and cancelling either progress window stops the
// send and leaves no temporary file.

#include "LayoutTestSupport.h"

#include "faxserver/FaxObjects.h"
#include "mailclient/MailObjects.h"
#include "platform/report/PageSetup.h"
#include "base/KvBitBtn.h"
#include "report/layout/EmailSubject.h"
#include "report/layout/PreviewWindowPreviewer.h"
#include "report/layout/VRPreview.h"
#include "report/layout/VRConvPic.h"
#include "report/layout/VRSendOut.h"
#include "support/SmtpSink.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <functional>

namespace {

using namespace layouttest;

// One row of $$ADMTA as the send wrote it.
struct LogRow {
    std::string receiver;
    std::string flag;
    std::string message;
};

class VRSendOutTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        kvmail::registerMailClient();
        kvfax::registerFaxServer();
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.path().toUtf8());
        owner->ProgramName = "领料单打印";
        // Slips 001, 003, 004 take one page each, 002 two: five pages.
        openLayout(slipTable({{"5401", "001", 3}, {"5401", "002", 12}, {"5401", "003", 3}, {"5401", "004", 3}}));
        generate();
        ASSERT_EQ(layout->PageCount, 5);
    }

    void TearDown() override
    {
        qputenv("TMPDIR", m_savedTmp);
        qunsetenv("QIPR07_SEND_SUBJECT");
        qunsetenv("QIPR07_FAX_SPOOL");
        LayoutTest::TearDown();
    }

    void mailSettings(int port)
    {
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n[Mail]\nServer=127.0.0.1\nPort=" +
                                                   std::to_string(port) + "\nSecurity=none\nFrom=erp@demo.example\n");
    }

    static std::string slip(const char *number)
    {
        return std::string("$$MOCTC;TC010;TC001='5401' and TC002='") + number + "';";
    }

    // Runs the send-log statements on a real table and reads the rows back.
    std::vector<LogRow> logRows() const
    {
        std::vector<LogRow> rows;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sendlog"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            EXPECT_TRUE(db.open());
            QSqlQuery query(db);
            query.exec(QStringLiteral("CREATE TABLE ADMTA (COMPANY, CREATOR, USR_GROUP, CREATE_DATE, FLAG, TA001, TA002, "
                                      "TA003, TA004, TA005, TA006)"));
            for (const std::string &sql : server->freeSql)
                EXPECT_TRUE(query.exec(QString::fromStdString(sql).replace(QStringLiteral("$$"), QString())))
                    << sql;
            query.exec(QStringLiteral("SELECT TA002, TA003, TA004, TA001, COMPANY, CREATOR, FLAG FROM ADMTA ORDER BY rowid"));
            while (query.next()) {
                rows.push_back({query.value(0).toString().toStdString(), query.value(1).toString().toStdString(),
                                query.value(2).toString().toStdString()});
                EXPECT_EQ(query.value(3).toString(), QStringLiteral("QIPR07"));
                EXPECT_EQ(query.value(4).toString(), QStringLiteral("01"));
                EXPECT_EQ(query.value(5).toString(), QStringLiteral("DS"));
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("sendlog"));
        return rows;
    }

    // The filters whose print count the send raised.
    std::vector<std::string> countedFilters() const
    {
        std::vector<std::string> filters;
        for (const Variant &request : server->printCounts)
            filters.push_back(request[2].toText());
        return filters;
    }

    QStringList tempFiles() const { return QDir(temp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot); }

    // Does something to the first window of that name while the send runs.
    void whileSending(const char *windowName, std::function<bool(QWidget *)> action)
    {
        auto *timer = new QTimer(layout);
        timer->setInterval(1);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, windowName, action] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->objectName() == QLatin1String(windowName) && window->isVisible() && action(window)) {
                    timer->stop();
                    return;
                }
            }
        });
        timer->start();
    }

    QTemporaryDir temp;
    QByteArray m_savedTmp;
};

// What a page picture of this layout measures at that resolution: the
// standard slip prints two slips a sheet, and each picture is one of them.
std::string pictureSize(const kv::Report &report, int dpi)
{
    const QSizeF sheet = report.page()->sheetSize();
    const long height = std::lround(sheet.height() / 254 * dpi);
    return std::to_string(std::lround(sheet.width() / 254 * dpi)) + " " +
           std::to_string(report.pageStyle() == kv::Report::qrHalfPage ? height / 2 : height);
}

// Pixels that differ at the 5 bits a colour keeps in a 16-bit bitmap.
int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qRed(p) >> 3 != qRed(q) >> 3 || qGreen(p) >> 3 != qGreen(q) >> 3 || qBlue(p) >> 3 != qBlue(q) >> 3)
                ++count;
        }
    return count;
}

std::string identify(const QString &path)
{
    return kvtest::toolOutput(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path}).toStdString();
}

TEST_F(VRSendOutTest, EveryReceiverGetsOneMailWithExactlyItsPages)
{
    const QString reason = kvtest::SmtpSink::unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
    kvtest::SmtpSink sink;
    ASSERT_GT(sink.port(), 0);
    mailSettings(sink.port());
    layout->SendModes = 1;
    // A receiver without address fails alone: the others still go, and
    // each is logged with its own result.
    layout->SendTargets = QStringList{
        QString::fromStdString("S03=||4," + slip("003")),
        QString::fromStdString("S01=s01@supplier.example||2," + slip("002") + "3,$$MOCTC;TC010;;5," + slip("004")),
        QString::fromStdString("O'Brien & Sons=obrien@supplier.example||1," + slip("001")),
    };
    // The clerk confirms the proposed subject with a word of his own.
    std::string proposed;
    prompter->answerDialog([&proposed](QDialog &window) {
        auto &dialog = dynamic_cast<kv::TfrmEmailSubject &>(window);
        proposed = dialog.edtSubject->text().toStdString();
        dialog.edtSubject->setText(dialog.edtSubject->text() + QStringLiteral(" 十二月"));
        dialog.BitBtn1->click();
        return dialog.result();
    });
    ASSERT_TRUE(layout->Send(1, 2, ""));
    EXPECT_EQ(proposed, "Tarvix-ERP 领料单打印");

    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 2);
    const QJsonObject first = mails[0].toObject();
    EXPECT_EQ(first["to"].toString(), QStringLiteral("s01@supplier.example"));
    EXPECT_EQ(first["subject"].toString(), QStringLiteral("Tarvix-ERP 领料单打印 十二月"));
    const QJsonArray pages = first["attachments"].toArray();
    ASSERT_EQ(pages.size(), 3);
    const std::string size = "GIF " + pictureSize(*layout->QuickRep1, 96);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(pages[i]["filename"].toString().endsWith(QStringLiteral("_%1.gif").arg(QStringList{"2", "3", "5"}[i])))
            << pages[i]["filename"].toString().toStdString();
        EXPECT_EQ(identify(pages[i]["path"].toString()), size);
    }
    EXPECT_EQ(mails[1]["to"].toString(), QStringLiteral("obrien@supplier.example"));
    EXPECT_EQ(mails[1]["attachments"].toArray().size(), 1);

    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].receiver, "S03");
    EXPECT_EQ(rows[0].flag, "N");
    EXPECT_EQ(rows[0].message, "Not assign e-Mail address!");
    EXPECT_EQ(rows[1].receiver, "S01");
    EXPECT_EQ(rows[1].flag, "Y");
    EXPECT_EQ(rows[1].message, "Send e-Mail Complete !");
    EXPECT_EQ(rows[2].receiver, "O'Brien & Sons");
    EXPECT_EQ(rows[2].flag, "Y");
    EXPECT_TRUE(layout->SendFailed);
    // Slips count once each; the second page of 002 carries no filter.
    EXPECT_EQ(countedFilters(), (std::vector<std::string>{"TC001='5401' and TC002='002'", "TC001='5401' and TC002='004'",
                                                          "TC001='5401' and TC002='001'"}));
    EXPECT_EQ(layout->PrintCountMode, 2);
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(VRSendOutTest, ARefusedMailStopsTheSendLogsTheReplyAndLeavesNoFiles)
{
    const QString reason = kvtest::SmtpSink::unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
    kvtest::SmtpSink sink({QStringLiteral("--reject"), QStringLiteral("s02@supplier.example")});
    ASSERT_GT(sink.port(), 0);
    mailSettings(sink.port());
    qputenv("QIPR07_SEND_SUBJECT", "领料单");
    layout->SendModes = 1;
    layout->SendTargets = QStringList{
        QString::fromStdString("S01=s01@supplier.example||1," + slip("001")),
        QString::fromStdString("S02=s02@supplier.example||2," + slip("002") + "3,$$MOCTC;TC010;;"),
        QString::fromStdString("S04=s04@supplier.example||5," + slip("004")),
    };
    ASSERT_TRUE(layout->Send(1, 2, ""));

    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0]["to"].toString(), QStringLiteral("s01@supplier.example"));
    EXPECT_EQ(mails[0]["subject"].toString(), QStringLiteral("领料单"));
    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].flag, "Y");
    EXPECT_EQ(rows[1].receiver, "S02");
    EXPECT_EQ(rows[1].flag, "N");
    // The server's reply, quotes and all, is in the row.
    EXPECT_EQ(rows[1].message.rfind("Send e-Mail error! ", 0), 0u) << rows[1].message;
    EXPECT_NE(rows[1].message.find("550 5.1.1 <s02@supplier.example>: Recipient address rejected"), std::string::npos)
        << rows[1].message;
    // Only the slip that went out counts.
    EXPECT_EQ(countedFilters(), std::vector<std::string>{"TC001='5401' and TC002='001'"});
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(VRSendOutTest, ADroppedConnectionOrAWrongPasswordIsAFailedRowWithTheReason)
{
    const QString reason = kvtest::SmtpSink::unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
    qputenv("QIPR07_SEND_SUBJECT", "x");
    layout->SendModes = 1;
    layout->SendTargets = QStringList{QString::fromStdString("S01=s01@supplier.example||1," + slip("001")),
                                      QString::fromStdString("S02=s02@supplier.example||4," + slip("003"))};
    {
        kvtest::SmtpSink dropping({QStringLiteral("--drop"), QStringLiteral("s02@supplier.example")});
        ASSERT_GT(dropping.port(), 0);
        mailSettings(dropping.port());
        ASSERT_TRUE(layout->Send(1, 2, ""));
        EXPECT_EQ(dropping.mails().size(), 1);
    }
    {
        kvtest::SmtpSink guarded({QStringLiteral("--auth"), QStringLiteral("erp:right")});
        ASSERT_GT(guarded.port(), 0);
        shell.writeFile("client/mail.pw", "wrong\n");
        shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n[Mail]\nServer=127.0.0.1\nPort=" +
                                                   std::to_string(guarded.port()) + "\nSecurity=none\nFrom=erp@demo.example\n"
                                                   "User=erp\nPasswordFile=" + shell.clientDir() + "mail.pw\n");
        ASSERT_TRUE(layout->Send(1, 2, ""));
        EXPECT_EQ(guarded.mails().size(), 0);
    }
    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].flag, "Y");
    EXPECT_EQ(rows[1].receiver, "S02");
    EXPECT_EQ(rows[1].flag, "N");
    EXPECT_EQ(rows[1].message.rfind("Send e-Mail error! ", 0), 0u) << rows[1].message;
    EXPECT_EQ(rows[2].receiver, "S01");
    EXPECT_EQ(rows[2].flag, "N");
    EXPECT_NE(rows[2].message.find("535"), std::string::npos) << rows[2].message;
    EXPECT_EQ(rows[2].message.find("wrong"), std::string::npos) << "the password is in the log";
    // Only the one mail that went counts.
    EXPECT_EQ(countedFilters(), std::vector<std::string>{"TC001='5401' and TC002='001'"});
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(VRSendOutTest, CancellingTheConversionSendsNothingAndLeavesNoFiles)
{
    qputenv("QIPR07_SEND_SUBJECT", "x");
    mailSettings(1); // never reached
    layout->SendModes = 1;
    layout->SendTargets = QStringList{QString::fromStdString("S01=s01@supplier.example||1," + slip("001") + "2," +
                                                             slip("002") + "3,$$MOCTC;TC010;;")};
    QString state;
    whileSending("frmVRConvPic", [&state](QWidget *window) {
        auto *progress = static_cast<kv::TfrmVRConvPic *>(window);
        state = progress->windowTitle() + QLatin1Char(' ') + progress->lblState->text();
        progress->btnCancel->click();
        return true;
    });
    ASSERT_TRUE(layout->Send(1, 2, ""));
    EXPECT_TRUE(state.startsWith(QStringLiteral("转图档中 "))) << state.toStdString();
    EXPECT_TRUE(state.endsWith(QStringLiteral("/3"))) << state.toStdString();
    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].flag, "N");
    EXPECT_EQ(rows[0].message, "Generate attach file error!");
    EXPECT_TRUE(server->printCounts.empty());
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(VRSendOutTest, FaxesToTheLocalServerGoIntoOneSpoolFolderPerReceiver)
{
    const QString spool = temp.filePath(QStringLiteral("spool"));
    qputenv("QIPR07_FAX_SPOOL", spool.toUtf8());
    layout->SendModes = 2;
    layout->SendTargets = QStringList{
        QString::fromStdString("S01=|0755-1111111|2," + slip("002") + "5," + slip("004")),
        QString::fromStdString("S02=|0755-2222222|1," + slip("001")),
        QString::fromStdString("S03=||4," + slip("003")),
    };
    QStringList shown;
    whileSending("frmVRSendOut", [&shown](QWidget *window) {
        auto *progress = static_cast<kv::TfrmVRSendOut *>(window);
        if (!progress->txtPageCnt->text().isEmpty() && shown.isEmpty())
            shown << progress->windowTitle() << progress->txtReceiver->text() << progress->txtReceiveCnt->text()
                  << progress->txtPageCnt->text();
        return false;
    });
    ASSERT_TRUE(layout->Send(2, 1, "Local(127.0.0.1)"));
    // The window is looked at whenever events run, which under load may be
    // after the first receiver's second page: its page count is x of 2.
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown.mid(0, 3), (QStringList{QStringLiteral("传送"), QStringLiteral("S01"), QStringLiteral("1/3")}));
    EXPECT_TRUE(shown[3] == QStringLiteral("1/2") || shown[3] == QStringLiteral("2/2")) << shown[3].toStdString();
    EXPECT_EQ(layout->PictureDPI, 96);

    const QStringList jobs = QDir(spool).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    ASSERT_EQ(jobs.size(), 2);
    QFile first(QDir(spool).filePath(jobs[0] + QStringLiteral("/job.ini")));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QString description = QString::fromUtf8(first.readAll());
    EXPECT_TRUE(description.contains(QStringLiteral("Receiver=S01\nFaxNumber=0755-1111111\nSender=DS\n"))) << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("Pages=2\n")));
    // Faxes are pictures at 200 dpi.
    EXPECT_EQ(identify(QDir(spool).filePath(jobs[0] + QStringLiteral("/page001.jpg"))),
              "JPEG " + pictureSize(*layout->QuickRep1, 200));
    EXPECT_EQ(QDir(QDir(spool).filePath(jobs[1])).entryList({QStringLiteral("page*")}).size(), 1);

    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].message, "Send Fax Complete !");
    EXPECT_EQ(rows[1].message, "Send Fax Complete !");
    EXPECT_EQ(rows[2].receiver, "S03");
    EXPECT_EQ(rows[2].message, "Not assign fax number!");
    EXPECT_EQ(rows[2].flag, "N");
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(VRSendOutTest, CancellingTheFaxTransferSendsNoJobAndLeavesNoFiles)
{
    const QString spool = temp.filePath(QStringLiteral("spool"));
    qputenv("QIPR07_FAX_SPOOL", spool.toUtf8());
    layout->SendModes = 2;
    layout->SendTargets = QStringList{QString::fromStdString("S01=|0755-1111111|2," + slip("002") + "3,$$MOCTC;TC010;;"),
                                      QString::fromStdString("S02=|0755-2222222|1," + slip("001"))};
    whileSending("frmVRSendOut", [](QWidget *window) {
        auto *progress = static_cast<kv::TfrmVRSendOut *>(window);
        if (progress->txtPageCnt->text().isEmpty())
            return false;
        progress->btnCancel->click();
        return true;
    });
    ASSERT_TRUE(layout->Send(2, 1, "Local(127.0.0.1)"));
    EXPECT_TRUE(QDir(spool).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].flag, "N");
    EXPECT_EQ(rows[0].message, "Send Fax cancelled!");
    EXPECT_TRUE(server->printCounts.empty());
    EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(VRSendOutTest, ThePreviewsEmailButtonSendsThePreviewedRun)
{
    const QString reason = kvtest::SmtpSink::unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
    kvtest::SmtpSink sink;
    ASSERT_GT(sink.port(), 0);
    mailSettings(sink.port());
    qputenv("QIPR07_SEND_SUBJECT", "预览");
    layout->SendModes = 1;
    layout->SendTargets = QStringList{QString::fromStdString("S01=s01@supplier.example||2," + slip("002") + "3,$$MOCTC;TC010;;")};
    kv::PreviewRequest request;
    request.layout = layout;
    request.report = layout->QuickRep1;
    request.pages = layout->QuickRep1->pages();
    request.emailVisible = true;
    // The clerk presses the e-mail button and closes the preview.
    prompter->answerDialog([](QDialog &window) {
        auto &preview = dynamic_cast<kv::TfrmVRPreview &>(window);
        preview.btnEmail->click();
        return 0;
    });
    kv::PreviewWindowPreviewer().ShowPreview(request);
    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0]["attachments"].toArray().size(), 2);
    EXPECT_EQ(mails[0]["subject"].toString(), QStringLiteral("预览"));
    ASSERT_EQ(logRows().size(), 1u);
}

TEST_F(VRSendOutTest, APdfExportWritesOneOnePagePdfFilePerPage)
{
    ASSERT_TRUE(layout->ConvertPages(temp.filePath(QStringLiteral("slip")).toStdString(), 3));
    const QStringList files = QDir(temp.path()).entryList({QStringLiteral("slip*.pdf")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files, (QStringList{"slip1.pdf", "slip2.pdf", "slip3.pdf", "slip4.pdf", "slip5.pdf"}));
    for (const QString &file : files)
        EXPECT_TRUE(kvtest::toolOutput(QStringLiteral("pdfinfo"), {temp.filePath(file)})
                        .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
            << file.toStdString();
}

TEST_F(VRSendOutTest, ThreeSlipsOfTwoHalfPagesGiveSixPicturesFromThreeSheets)
{
    openLayout(slipTable({{"5401", "011", 12}, {"5401", "012", 12}, {"5401", "013", 12}}));
    generate();
    ASSERT_EQ(layout->QuickRep1->pageStyle(), kv::Report::qrHalfPage);
    const kv::PageStore &store = *layout->QuickRep1->pages();
    ASSERT_EQ(store.pageCount(), 3);
    ASSERT_EQ(layout->PageCount, 6);
    ASSERT_TRUE(layout->ConvertPages(temp.filePath(QStringLiteral("half")).toStdString(), 0));
    for (int picture = 1; picture <= 6; ++picture) {
        // The whole sheet as the picture's own rendering would draw it.
        const QImage shot(temp.filePath(QStringLiteral("half%1.bmp").arg(picture)));
        ASSERT_FALSE(shot.isNull()) << picture;
        QImage sheet(shot.width(), shot.height() * 2, QImage::Format_RGB16);
        sheet.fill(Qt::white);
        {
            QPainter painter(&sheet);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(sheet.width() / store.pageSize().width(), sheet.height() / store.pageSize().height());
            store.render((picture + 1) / 2, painter);
        }
        const QImage upper = sheet.copy(0, 0, shot.width(), shot.height());
        const QImage lower = sheet.copy(0, shot.height(), shot.width(), shot.height());
        const int toUpper = differingPixels(shot, upper);
        const int toLower = differingPixels(shot, lower);
        // Odd pictures are the upper half of their sheet, even ones the lower.
        if (picture % 2 == 1)
            EXPECT_LT(toUpper * 20, toLower) << "picture " << picture << ": " << toUpper << " " << toLower;
        else
            EXPECT_LT(toLower * 20, toUpper) << "picture " << picture << ": " << toUpper << " " << toLower;
    }
}

TEST_F(VRSendOutTest, NothingToSendOrNoMailClientIsNoSuccess)
{
    layout->SendModes = 1;
    EXPECT_FALSE(layout->Send(1, 2, ""));
    EXPECT_TRUE(server->freeSql.empty());
    layout->SendTargets = QStringList{QString::fromStdString("S01=s01@supplier.example||1," + slip("001"))};
    kv::OleClassRegistry::unregisterClass(kvmail::kMailProgId);
    EXPECT_TRUE(layout->Send(1, 2, ""));
    kvmail::registerMailClient();
    const std::vector<LogRow> rows = logRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].receiver, "Email");
    EXPECT_EQ(rows[0].message, "Create Outlook error!");
    EXPECT_EQ(rows[0].flag, "N");
    EXPECT_TRUE(layout->SendFailed);
}

} // namespace
