#pragma once
// The one seam through which the program asks the user anything modal: message
// boxes, input queries, file and printer choices, and the module's own modal
// windows. Production uses QtPrompter; tests install a ScriptedPrompter that
// answers from a script and records every question.

#include <QFlags>

#include <memory>
#include <optional>
#include <string>

class QDialog;
class QPrinter;

namespace kv {

enum class MessageType { Warning, Error, Information, Confirmation, Custom };

enum class MessageButton : unsigned {
    Yes = 0x001,
    No = 0x002,
    OK = 0x004,
    Cancel = 0x008,
    Abort = 0x010,
    Retry = 0x020,
    Ignore = 0x040,
    All = 0x080,
    NoToAll = 0x100,
    YesToAll = 0x200,
    Help = 0x400,
};
using MessageButtons = QFlags<MessageButton>;
Q_DECLARE_OPERATORS_FOR_FLAGS(MessageButtons)

// The value a modal window ends with; the numbers are the ones stored and
// compared by callers, so they must not change.
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // An empty button set shows OK alone.
    virtual ModalResult messageBox(const std::string &text, const std::string &caption, MessageType type,
                                   MessageButtons buttons, MessageButton defaultButton) = 0;
    // True when the user confirmed; value holds the initial text and receives the answer.
    virtual bool inputQuery(const std::string &caption, const std::string &prompt, std::string &value) = 0;
    // Filters are "Description|*.ext;*.ext2|..." pairs; nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile(const std::string &caption, const std::string &filter,
                                                      const std::string &initialPath) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string &caption, const std::string &filter,
                                                      const std::string &initialPath) = 0;
    // Printer set-up; true when the user confirmed the (changed) printer.
    virtual bool choosePrinter(QPrinter &printer) = 0;
    // Runs one of the module's own dialogs modally and returns its result.
    virtual int showWindowModal(QDialog &dialog) = 0;

    // The modal result of a button (Help closes nothing: mrNone).
    static ModalResult resultOf(MessageButton button);
    // The buttons a message box really shows (OK when none was asked for).
    static MessageButtons effectiveButtons(MessageButtons buttons);

    // The prompter in effect for this process; a QtPrompter unless replaced.
    static std::shared_ptr<Prompter> current();
    // Replaces it; nullptr returns to the QtPrompter.
    static void setCurrent(std::shared_ptr<Prompter> prompter);
};

// Installs a prompter for the lifetime of the object and puts the previous
// one back afterwards (tests).
class ScopedPrompter {
public:
    explicit ScopedPrompter(std::shared_ptr<Prompter> prompter);
    ~ScopedPrompter();
    ScopedPrompter(const ScopedPrompter &) = delete;
    ScopedPrompter &operator=(const ScopedPrompter &) = delete;

private:
    std::shared_ptr<Prompter> m_previous;
};

} // namespace kv
