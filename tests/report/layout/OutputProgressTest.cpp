// Stopping long output from its progress window: an e-mail send cancelled
// once the first receiver's mail went out sends no other, counts only that
// receiver's slips and leaves no temporary picture; a picture export from
// the preview cancelled after its first picture keeps that whole picture,
// writes no other and asks nothing; and the time left the windows show.

#include "LayoutTestSupport.h"

#include "mailclient/MailObjects.h"
#include "platform/ScriptedPrompter.h"
#include "platform/report/PageStore.h"
#include "platform/report/Report.h"
#include "report/layout/OutputProgress.h"
#include "report/layout/VRBaseFmt.h"
#include "report/layout/VRConvPic.h"
#include "report/layout/VRPreview.h"
#include "report/layout/VRSendOut.h"
#include "support/SmtpSink.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

using namespace layouttest;

// Does something to the first visible window of that name whenever events
// run, until the action says it is done.
void whileWorking(QObject *owner, const char *windowName, std::function<bool(QWidget *)> action)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(0);
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

class SendCancelTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        kvmail::registerMailClient();
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.path().toUtf8());
        qputenv("QIPR07_SEND_SUBJECT", "领料单");
        // Slips 001, 003, 004 take one page each, 002 two: five pages.
        openLayout(slipTable({{"5401", "001", 3}, {"5401", "002", 12}, {"5401", "003", 3}, {"5401", "004", 3}}));
        generate();
    }
    void TearDown() override
    {
        qputenv("TMPDIR", m_savedTmp);
        qunsetenv("QIPR07_SEND_SUBJECT");
        LayoutTest::TearDown();
    }
    static std::string slip(const char *number)
    {
        return std::string("$$MOCTC;TC010;TC001='5401' and TC002='") + number + "';";
    }

    QTemporaryDir temp;
    QByteArray m_savedTmp;
};

TEST_F(SendCancelTest, CancelledAfterTheFirstReceiverTheSendGoesToNoOther)
{
    const QString reason = kvtest::SmtpSink::unavailableReason();
    if (!reason.isEmpty())
        GTEST_SKIP() << "no loopback SMTP server: " << reason.toStdString();
    kvtest::SmtpSink sink;
    ASSERT_GT(sink.port(), 0);
    shell.writeFile("client/MarshalC.ini", "[CodePage]\nUICodePage=936\nDBCodePage=936\n[Mail]\nServer=127.0.0.1\nPort=" +
                                               std::to_string(sink.port()) + "\nSecurity=none\nFrom=erp@demo.example\n");
    layout->SendModes = 1;
    layout->SendTargets = QStringList{
        QString::fromStdString("S01=s01@supplier.example||1," + slip("001")),
        QString::fromStdString("S02=s02@supplier.example||2," + slip("002") + "3,$$MOCTC;TC010;;"),
        QString::fromStdString("S04=s04@supplier.example||5," + slip("004")),
    };
    // The clerk presses cancel once the window says one receiver is done.
    QStringList seen;
    whileWorking(layout, "frmVRSendOut", [&seen](QWidget *window) {
        auto *progress = static_cast<kv::TfrmVRSendOut *>(window);
        if (progress->ProgressBar1->value() < 1)
            return false;
        seen << progress->windowTitle() << progress->txtReceiver->text() << progress->txtReceiveCnt->text()
             << progress->pnlProgress->lblTimeLeft->text();
        progress->btnCancel->click();
        return true;
    });
    ASSERT_TRUE(layout->Send(1, 2, ""));

    EXPECT_EQ(seen, (QStringList{QStringLiteral("传送"), QStringLiteral("S01"), QStringLiteral("1/3"), seen.value(3)}));
    EXPECT_NE(seen.value(3), QStringLiteral("--:--"));
    const QJsonArray mails = sink.mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0]["to"].toString(), QStringLiteral("s01@supplier.example"));
    ASSERT_EQ(server->freeSql.size(), 1u);
    EXPECT_NE(server->freeSql[0].find("'S01','Y','Send e-Mail Complete !'"), std::string::npos) << server->freeSql[0];
    ASSERT_EQ(server->printCounts.size(), 1u);
    EXPECT_EQ(server->printCounts[0][2].toText(), "TC001='5401' and TC002='001'");
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}

// Forms are numbered through the run; each shows its number.
void addPages(kv::PageStore &store, int pages, int formsPerSheet)
{
    const int component = store.componentIndex(QStringLiteral("lblSlip"));
    const int style = store.textStyle(QFont(QStringLiteral("Noto Sans CJK SC")), Qt::transparent);
    for (int page = 1; page <= pages; ++page) {
        const int firstForm = (page - 1) * formsPerSheet + 1;
        store.beginPage(firstForm);
        for (int form = 0; form < formsPerSheet; ++form)
            store.addText(component, form, QRectF(200, 200 + form * 1397, 1200, 80), 0, style,
                          QStringLiteral("领料单 %1").arg(firstForm + form));
        store.endPage(formsPerSheet);
    }
}

TEST(PictureExportCancelTest, CancelledAfterThePictureOfTheUpperSlipOnlyThatWholePictureIsLeft)
{
    kvtest::ShellFixture shell;
    shell.writeRegistry(shell.clientDir(), shell.serverDir());
    auto prompter = std::make_shared<kv::ScriptedPrompter>();
    kv::ScopedPrompter scope(prompter);
    QTemporaryDir root;
    QPointer<kv::TfrmVRBaseFmt> layout = kv::TKVForm::Create<kv::TfrmVRBaseFmt>(nullptr);
    layout->ClientRoot = root.path().toStdString();
    layout->UserID = "DS";
    layout->ProgramCode = "QIPR07";
    kv::Report *report = layout->QuickRep1;
    report->setPageStyle(kv::Report::qrHalfPage);
    report->pages()->reset(QSizeF(2159, 2794), true, 2);
    addPages(*report->pages(), 2, 2);
    report->pages()->finish(false);
    layout->PageCount = 4;
    QPointer<kv::TfrmVRPreview> preview = kv::TKVForm::Create<kv::TfrmVRPreview>(layout.data());
    kv::PreviewRequest request;
    request.layout = layout;
    request.report = report;
    request.pages = report->pages();
    preview->SetRequest(request);
    preview->show();
    preview->GoToPage(1);

    QString state;
    whileWorking(preview, "frmVRConvPic", [&state](QWidget *window) {
        auto *progress = static_cast<kv::TfrmVRConvPic *>(window);
        state = progress->windowTitle() + QLatin1Char(' ') + progress->lblState->text();
        progress->btnCancel->click();
        return true;
    });
    // Page 1 of half pages is two pictures: the upper and the lower slip.
    preview->pmBMP->trigger();
    EXPECT_EQ(state, QStringLiteral("转图档中 1/2"));
    const QDir folder(root.filePath(QStringLiteral("c_data/DS")));
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("001.bmp"))) << files[0].toStdString();
    const QImage picture(folder.filePath(files[0]));
    EXPECT_EQ(picture.size(), QSize(816, 528));
    // The clerk stopped the export: he is not asked to open what was left.
    EXPECT_TRUE(prompter->questionTexts().empty());
    preview->Free();
    layout->Free();
}

TEST(OutputProgressPanelTest, TheTimeLeftIsTheRestAtThePaceSoFarRoundedUpToASecond)
{
    using kv::OutputProgressPanel;
    EXPECT_EQ(OutputProgressPanel::timeLeft(5000, 0, 5), QStringLiteral("--:--"));
    EXPECT_EQ(OutputProgressPanel::timeLeft(10000, 2, 5), QStringLiteral("00:15"));
    EXPECT_EQ(OutputProgressPanel::timeLeft(1000, 3, 4), QStringLiteral("00:01"));
    EXPECT_EQ(OutputProgressPanel::timeLeft(61000, 1, 2), QStringLiteral("01:01"));
    EXPECT_EQ(OutputProgressPanel::timeLeft(3700000, 1, 2), QStringLiteral("1:01:40"));
    EXPECT_EQ(OutputProgressPanel::timeLeft(9000, 4, 4), QStringLiteral("00:00"));
}

} // namespace
