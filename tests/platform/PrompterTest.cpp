#include "platform/QtPrompter.h"
#include "platform/ScriptedPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using kv::MessageButton;
using kv::MessageType;
using kv::Question;
using kv::QuestionKind;
using kv::ScriptedPrompter;

namespace {

const kv::MessageButtons kYesNoCancel = MessageButton::Yes | MessageButton::No | MessageButton::Cancel;

std::string scriptError(const std::function<void()> &ask)
{
    try {
        ask();
    } catch (const ScriptedPrompter::ScriptError &error) {
        return error.what();
    }
    return "<answered>";
}

// Acts on the next modal window as soon as it is up. Should it never come,
// or stay open after the act, dialogs are rejected after two seconds so that
// the test fails instead of hanging.
void whenModal(std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->deleteLater();
            act(modal);
            QTimer::singleShot(2000, [guard = QPointer<QWidget>(modal)] {
                if (guard && guard->isVisible()) {
                    ADD_FAILURE() << "the modal window stayed open";
                    if (auto *dialog = qobject_cast<QDialog *>(guard.data()))
                        dialog->reject();
                }
            });
        } else if (++*waited > 200) {
            timer->deleteLater();
            ADD_FAILURE() << "no modal window appeared";
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QDialog *>(widget))
                    dialog->reject();
        }
    });
    timer->start(10);
}

QAbstractButton *buttonWithText(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *button : box->buttons())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

TEST(ScriptedPrompter, AnswersInOrderAndRecordsEveryQuestion)
{
    auto prompter = std::make_shared<ScriptedPrompter>();
    prompter->answerMessage(kv::mrNo);
    prompter->answerInput(true, "方案一");
    prompter->answerInput(false, "ignored");
    prompter->answerFile(std::string("/tmp/out.pdf"));
    prompter->answerFile(std::nullopt);

    EXPECT_EQ(prompter->messageBox("删除?", "QIPR07", MessageType::Confirmation, kYesNoCancel, MessageButton::No),
              kv::mrNo);
    std::string name = "old";
    EXPECT_TRUE(prompter->inputQuery("Save", "Name", name));
    EXPECT_EQ(name, "方案一");
    EXPECT_FALSE(prompter->inputQuery("Save", "Name", name));
    EXPECT_EQ(name, "方案一");
    EXPECT_EQ(prompter->chooseSaveFile("Export", "PDF|*.pdf", "/tmp"), "/tmp/out.pdf");
    EXPECT_EQ(prompter->chooseOpenFile("Open", "All|*.*", ""), std::nullopt);
    EXPECT_TRUE(prompter->allAnswered());

    const std::vector<Question> &asked = prompter->questions();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0].kind, QuestionKind::Message);
    EXPECT_EQ(asked[0].caption, "QIPR07");
    EXPECT_EQ(asked[0].text, "删除?");
    EXPECT_EQ(asked[0].buttons, kYesNoCancel);
    EXPECT_EQ(asked[0].defaultButton, MessageButton::No);
    EXPECT_EQ(asked[1].value, "old");
    EXPECT_EQ(asked[3].kind, QuestionKind::SaveFile);
    EXPECT_EQ(asked[3].text, "PDF|*.pdf");
    EXPECT_EQ(asked[4].kind, QuestionKind::OpenFile);
}

TEST(ScriptedPrompter, UnscriptedQuestionsThrowAndAreRemembered)
{
    ScriptedPrompter prompter;
    EXPECT_EQ(scriptError([&] { prompter.messageBox("没有数据", "提示", MessageType::Information, {}, MessageButton::OK); }),
              "Unscripted question, message box \"提示\": 没有数据: no scripted answer is left");

    prompter.answerInput(true, "x");
    EXPECT_NE(scriptError([&] { prompter.messageBox("t", "c", MessageType::Warning, {}, MessageButton::OK); })
                  .find("the next scripted answer is for a input query"),
              std::string::npos);
    // The answer the message box could not take is still there.
    EXPECT_EQ(prompter.pendingAnswers(), 1u);

    // An OK box cannot be answered with Yes.
    std::string value;
    prompter.inputQuery("c", "p", value);
    prompter.answerMessage(kv::mrYes);
    EXPECT_NE(scriptError([&] { prompter.messageBox("t", "c", MessageType::Warning, MessageButton::OK, MessageButton::OK); })
                  .find("none of its buttons"),
              std::string::npos);

    EXPECT_EQ(prompter.misses().size(), 3u);
    EXPECT_FALSE(prompter.allAnswered());
}

TEST(ScriptedPrompter, SetsUpThePrinterAndEndsModalWindows)
{
    ScriptedPrompter prompter;
    prompter.answerPrinter(true, "/tmp/slips.pdf");
    prompter.answerPrinter(false, "/tmp/other.pdf");
    prompter.answerDialog(QDialog::Accepted);
    prompter.answerDialog([](QDialog &dialog) {
        dialog.setWindowTitle("filled");
        return 42;
    });

    QPrinter printer;
    EXPECT_TRUE(prompter.choosePrinter(printer));
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), "/tmp/slips.pdf");
    EXPECT_FALSE(prompter.choosePrinter(printer));
    EXPECT_EQ(printer.outputFileName(), "/tmp/slips.pdf");

    QDialog dialog;
    dialog.setObjectName("frmSubject");
    dialog.setWindowTitle("主题");
    EXPECT_EQ(prompter.showWindowModal(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(prompter.showWindowModal(dialog), 42);
    EXPECT_EQ(dialog.windowTitle(), "filled");
    EXPECT_EQ(prompter.questions()[2].caption, "主题");
    EXPECT_EQ(prompter.questions()[2].text, "frmSubject");
    EXPECT_TRUE(prompter.allAnswered());
}

TEST(Prompter, ScopedPrompterInstallsAndRestores)
{
    EXPECT_NE(dynamic_cast<kv::QtPrompter *>(kv::Prompter::current().get()), nullptr);
    auto outer = std::make_shared<ScriptedPrompter>();
    {
        kv::ScopedPrompter scopeOuter(outer);
        {
            kv::ScopedPrompter scopeInner(std::make_shared<ScriptedPrompter>());
            EXPECT_NE(kv::Prompter::current(), outer);
        }
        EXPECT_EQ(kv::Prompter::current(), outer);
    }
    EXPECT_NE(dynamic_cast<kv::QtPrompter *>(kv::Prompter::current().get()), nullptr);
}

TEST(QtPrompter, ConvertsFileFilters)
{
    EXPECT_EQ(kv::QtPrompter::qtFilter("Pictures|*.jpg;*.gif|All files (*.*)|*.*"),
              "Pictures (*.jpg *.gif);;All files (*)");
    EXPECT_EQ(kv::QtPrompter::qtFilter("PDF (*.pdf)"), "PDF (*.pdf)");
}

TEST(QtPrompter, MessageBoxShowsCaptionsAndReturnsTheClickedButton)
{
    kv::QtPrompter prompter;
    prompter.setButtonCaptions([](MessageButton button) {
        return button == MessageButton::No ? std::string("否(&N)") : kv::QtPrompter::defaultButtonCaption(button);
    });
    QString shownText;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        EXPECT_EQ(box->windowTitle(), "Confirm");
        EXPECT_EQ(static_cast<QAbstractButton *>(box->defaultButton()), buttonWithText(box, "&Yes"));
        QAbstractButton *no = buttonWithText(box, "否(&N)");
        ASSERT_NE(no, nullptr);
        no->click();
    });
    EXPECT_EQ(prompter.messageBox("<b>line</b>\rnext", "", MessageType::Confirmation, kYesNoCancel, MessageButton::Yes),
              kv::mrNo);
    EXPECT_EQ(shownText, "<b>line</b>\nnext");

    whenModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    EXPECT_EQ(prompter.messageBox("closed", "c", MessageType::Warning, kYesNoCancel, MessageButton::Yes), kv::mrCancel);
}

TEST(QtPrompter, InputQueryAndModalWindowsRunModally)
{
    kv::QtPrompter prompter;
    whenModal([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->textValue(), "old");
        input->setTextValue("新方案");
        input->accept();
    });
    std::string value = "old";
    EXPECT_TRUE(prompter.inputQuery("Save", "Name", value));
    EXPECT_EQ(value, "新方案");

    QDialog dialog;
    whenModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->done(5); });
    EXPECT_EQ(prompter.showWindowModal(dialog), 5);
}
