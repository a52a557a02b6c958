#pragma once
// The production prompter: real Qt dialogs, parented to the active window.
// Button captions and the default titles of message boxes come from functions
// the caller can replace, so that the interface language decides them.

#include "platform/Prompter.h"

#include <QString>

#include <functional>

namespace kv {

class QtPrompter : public Prompter {
public:
    using ButtonCaptions = std::function<std::string(MessageButton)>;
    using TypeTitles = std::function<std::string(MessageType)>;

    QtPrompter();

    // An empty function restores the English defaults.
    void setButtonCaptions(ButtonCaptions captions);
    // Title of a message box shown without a caption.
    void setTypeTitles(TypeTitles titles);

    static std::string defaultButtonCaption(MessageButton button);
    static std::string defaultTypeTitle(MessageType type);
    // "Text files|*.txt;*.csv|All|*.*" as a Qt filter string
    // ("Text files (*.txt *.csv);;All (*)"); a filter without '|' is taken
    // to be in Qt form already.
    static QString qtFilter(const std::string &filter);

    ModalResult messageBox(const std::string &text, const std::string &caption, MessageType type,
                           MessageButtons buttons, MessageButton defaultButton) override;
    bool inputQuery(const std::string &caption, const std::string &prompt, std::string &value) override;
    std::optional<std::string> chooseOpenFile(const std::string &caption, const std::string &filter,
                                              const std::string &initialPath) override;
    std::optional<std::string> chooseSaveFile(const std::string &caption, const std::string &filter,
                                              const std::string &initialPath) override;
    bool choosePrinter(QPrinter &printer) override;
    int showWindowModal(QDialog &dialog) override;

private:
    ButtonCaptions m_captions;
    TypeTitles m_titles;
};

} // namespace kv
