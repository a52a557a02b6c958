#include "platform/ScriptedPrompter.h"

#include <QDialog>
#include <QPrinter>
#include <QString>

namespace kv {

namespace {

bool isFileKind(QuestionKind kind)
{
    return kind == QuestionKind::OpenFile || kind == QuestionKind::SaveFile;
}

bool fits(QuestionKind answer, QuestionKind question)
{
    return answer == question || (isFileKind(answer) && isFileKind(question));
}

std::string describe(const Question &question)
{
    std::string text = std::string(ScriptedPrompter::kindName(question.kind)) + " \"" + question.caption + "\"";
    if (!question.text.empty())
        text += ": " + question.text;
    return text;
}

} // namespace

const char *ScriptedPrompter::kindName(QuestionKind kind)
{
    switch (kind) {
    case QuestionKind::Message: return "message box";
    case QuestionKind::Input: return "input query";
    case QuestionKind::OpenFile: return "open-file dialog";
    case QuestionKind::SaveFile: return "save-file dialog";
    case QuestionKind::Printer: return "printer set-up";
    case QuestionKind::Dialog: return "modal window";
    }
    return "question";
}

void ScriptedPrompter::answerMessage(ModalResult result)
{
    Answer answer;
    answer.result = result;
    m_answers.push_back(std::move(answer));
}

void ScriptedPrompter::answerInput(bool accepted, std::string text)
{
    Answer answer;
    answer.kind = QuestionKind::Input;
    answer.accepted = accepted;
    answer.text = std::move(text);
    m_answers.push_back(std::move(answer));
}

void ScriptedPrompter::answerFile(std::optional<std::string> path)
{
    Answer answer;
    answer.kind = QuestionKind::OpenFile;
    answer.text = std::move(path);
    m_answers.push_back(std::move(answer));
}

void ScriptedPrompter::answerPrinter(bool accepted, std::string target)
{
    Answer answer;
    answer.kind = QuestionKind::Printer;
    answer.accepted = accepted;
    answer.text = std::move(target);
    m_answers.push_back(std::move(answer));
}

void ScriptedPrompter::answerDialog(int result)
{
    answerDialog([result](QDialog &dialog) {
        dialog.setResult(result);
        return result;
    });
}

void ScriptedPrompter::answerDialog(DialogAnswer dialog)
{
    Answer answer;
    answer.kind = QuestionKind::Dialog;
    answer.dialog = std::move(dialog);
    m_answers.push_back(std::move(answer));
}

void ScriptedPrompter::miss(const Question &question, const std::string &reason)
{
    const std::string text = describe(question) + ": " + reason;
    m_misses.push_back(text);
    throw ScriptError("Unscripted question, " + text);
}

ScriptedPrompter::Answer ScriptedPrompter::take(const Question &question)
{
    m_questions.push_back(question);
    if (m_answers.empty())
        miss(question, "no scripted answer is left");
    if (!fits(m_answers.front().kind, question.kind))
        miss(question, std::string("the next scripted answer is for a ") + kindName(m_answers.front().kind));
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

ModalResult ScriptedPrompter::messageBox(const std::string &text, const std::string &caption, MessageType type,
                                         MessageButtons buttons, MessageButton defaultButton)
{
    Question question;
    question.kind = QuestionKind::Message;
    question.caption = caption;
    question.text = text;
    question.type = type;
    question.buttons = buttons;
    question.defaultButton = defaultButton;
    const Answer answer = take(question);

    // A scripted button the box does not offer means the test and the code
    // disagree about the question: fail rather than answer the impossible.
    const MessageButtons offered = effectiveButtons(buttons);
    for (unsigned bit = 1; bit <= unsigned(MessageButton::Help); bit <<= 1) {
        const MessageButton button = MessageButton(bit);
        if (offered.testFlag(button) && resultOf(button) == answer.result)
            return answer.result;
    }
    miss(question, "the scripted answer " + std::to_string(int(answer.result)) + " is none of its buttons");
}

bool ScriptedPrompter::inputQuery(const std::string &caption, const std::string &prompt, std::string &value)
{
    Question question;
    question.kind = QuestionKind::Input;
    question.caption = caption;
    question.text = prompt;
    question.value = value;
    const Answer answer = take(question);
    if (answer.accepted)
        value = answer.text.value_or(std::string());
    return answer.accepted;
}

std::optional<std::string> ScriptedPrompter::chooseFile(QuestionKind kind, const std::string &caption,
                                                        const std::string &filter, const std::string &initialPath)
{
    Question question;
    question.kind = kind;
    question.caption = caption;
    question.text = filter;
    question.value = initialPath;
    return take(question).text;
}

std::optional<std::string> ScriptedPrompter::chooseOpenFile(const std::string &caption, const std::string &filter,
                                                            const std::string &initialPath)
{
    return chooseFile(QuestionKind::OpenFile, caption, filter, initialPath);
}

std::optional<std::string> ScriptedPrompter::chooseSaveFile(const std::string &caption, const std::string &filter,
                                                            const std::string &initialPath)
{
    return chooseFile(QuestionKind::SaveFile, caption, filter, initialPath);
}

bool ScriptedPrompter::choosePrinter(QPrinter &printer)
{
    Question question;
    question.kind = QuestionKind::Printer;
    question.caption = "Printer set-up";
    question.value = printer.printerName().toStdString();
    const Answer answer = take(question);
    if (!answer.accepted)
        return false;
    const QString target = QString::fromStdString(answer.text.value_or(std::string()));
    if (target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
    } else if (!target.isEmpty()) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(target);
    }
    return true;
}

int ScriptedPrompter::showWindowModal(QDialog &dialog)
{
    Question question;
    question.kind = QuestionKind::Dialog;
    question.caption = dialog.windowTitle().toStdString();
    question.text = dialog.objectName().toStdString();
    return take(question).dialog(dialog);
}

std::vector<std::string> ScriptedPrompter::questionTexts() const
{
    std::vector<std::string> texts;
    for (const Question &question : m_questions)
        texts.push_back(question.text);
    return texts;
}

std::vector<std::string> ScriptedPrompter::messageTexts() const
{
    std::vector<std::string> texts;
    for (const Question &question : m_questions)
        if (question.kind == QuestionKind::Message)
            texts.push_back(question.text);
    return texts;
}

} // namespace kv
