#pragma once
// The prompter of tests: every question is answered from a script the test
// queued beforehand, in the order queued, and recorded for the test to read.
// A question without a scripted answer, or whose next answer is of another
// kind, throws ScriptError naming the question, and is remembered as a miss:
// a window that catches every exception at its boundary still cannot make the
// test pass unnoticed, as long as the test checks allAnswered().

#include "platform/Prompter.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {

enum class QuestionKind { Message, Input, OpenFile, SaveFile, Printer, Dialog };

struct Question {
    QuestionKind kind = QuestionKind::Message;
    std::string caption;       // title of the box or dialog
    std::string text;          // message text, input prompt, file filter, dialog object name
    std::string value;         // initial input value, initial file path, printer name
    MessageType type = MessageType::Custom;
    MessageButtons buttons;    // message boxes: the buttons offered
    MessageButton defaultButton = MessageButton::OK;
};

class ScriptedPrompter : public Prompter {
public:
    class ScriptError : public std::logic_error {
    public:
        using std::logic_error::logic_error;
    };
    using DialogAnswer = std::function<int(QDialog &)>;

    // The result of the next message box; it must be one of its buttons.
    void answerMessage(ModalResult result);
    // The next input query: confirmed with text, or cancelled.
    void answerInput(bool accepted, std::string text = {});
    // The next open or save dialog: a path, or nothing (cancelled).
    void answerFile(std::optional<std::string> path);
    // The next printer set-up: accepted or not; a target ending in ".pdf"
    // makes the printer write that PDF file, another text names the printer.
    void answerPrinter(bool accepted, std::string target = {});
    // The next modal window ends with this result without being shown.
    void answerDialog(int result);
    // The next modal window is handed to the function (which may fill in and
    // click its controls); its return value is the window's result.
    void answerDialog(DialogAnswer answer);

    const std::vector<Question> &questions() const { return m_questions; }
    // The texts of every question asked so far, in order.
    std::vector<std::string> questionTexts() const;
    // The same, of the message boxes only.
    std::vector<std::string> messageTexts() const;
    // Descriptions of the questions that found no fitting answer.
    const std::vector<std::string> &misses() const { return m_misses; }
    std::size_t pendingAnswers() const { return m_answers.size(); }
    // No question went unanswered and no answer is left over.
    bool allAnswered() const { return m_misses.empty() && m_answers.empty(); }

    ModalResult messageBox(const std::string &text, const std::string &caption, MessageType type,
                           MessageButtons buttons, MessageButton defaultButton) override;
    bool inputQuery(const std::string &caption, const std::string &prompt, std::string &value) override;
    std::optional<std::string> chooseOpenFile(const std::string &caption, const std::string &filter,
                                              const std::string &initialPath) override;
    std::optional<std::string> chooseSaveFile(const std::string &caption, const std::string &filter,
                                              const std::string &initialPath) override;
    bool choosePrinter(QPrinter &printer) override;
    int showWindowModal(QDialog &dialog) override;

    static const char *kindName(QuestionKind kind);

private:
    struct Answer {
        QuestionKind kind = QuestionKind::Message; // Message, Input, OpenFile (any file), Printer, Dialog
        ModalResult result = mrNone;
        bool accepted = false;
        std::optional<std::string> text;
        DialogAnswer dialog;
    };

    Answer take(const Question &question);
    [[noreturn]] void miss(const Question &question, const std::string &reason);
    std::optional<std::string> chooseFile(QuestionKind kind, const std::string &caption, const std::string &filter,
                                          const std::string &initialPath);

    std::deque<Answer> m_answers;
    std::vector<Question> m_questions;
    std::vector<std::string> m_misses;
};

} // namespace kv
