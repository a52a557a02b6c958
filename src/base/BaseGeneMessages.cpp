// TfrmBaseGene: coded messages, message boxes and localised texts.
#include "base/BaseGene.h"

#include "base/CodedMessage.h"
#include "base/KvBitBtn.h"
#include "lib/CodeConverter.h"
#include "lib/LangCommon.h"
#include "lib/LibStrs.h"
#include "platform/QtPrompter.h"

#include <QApplication>

namespace kv {

namespace {

const char *const kButtonNames[] = {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};

std::string buttonName(MessageButton button)
{
    int index = 0;
    for (unsigned bit = unsigned(button); bit > 1; bit >>= 1)
        ++index;
    return index < int(std::size(kButtonNames)) ? kButtonNames[index] : std::string();
}

MessageButton defaultButtonOf(MessageButtons buttons)
{
    for (MessageButton button : {MessageButton::Yes, MessageButton::OK, MessageButton::Retry, MessageButton::Abort,
                                 MessageButton::No, MessageButton::Cancel})
        if (buttons.testFlag(button))
            return button;
    return MessageButton::OK;
}

} // namespace

bool TfrmBaseGene::cancelFocused() const
{
    return QApplication::focusWidget() == btnCancel;
}

void TfrmBaseGene::ReportMessage(const std::string &code)
{
    if (cancelFocused())
        return;
    if (code.empty()) {
        ErrorCodes.clear();
        ErrorTexts.clear();
        return;
    }
    ErrorCodes += code + "; ";
    const CodedMessage message = CodedMessage::parse(code);
    const std::string format = GetMessageText(message.kind, message.lookupNumber());
    std::string text;
    try {
        text = FormatText(format, message.arguments);
    } catch (const std::exception &) {
        text = format + "\r";
        for (const Variant &argument : message.arguments)
            text += varToStr(argument) + ";";
    }
    if (ErrorTexts.find(text) == std::string::npos)
        ErrorTexts += text + "; ";
    if (message.isShown())
        ShowMessageBox(text, CodedMessage::reportType(message.kind), MessageButton::OK);
}

void TfrmBaseGene::ReportText(const std::string &text)
{
    if (cancelFocused())
        return;
    if (text.empty()) {
        ErrorCodes.clear();
        ErrorTexts.clear();
        return;
    }
    ErrorCodes += "E;-1; ";
    if (ErrorTexts.find(text) == std::string::npos)
        ErrorTexts += text + "; ";
}

int TfrmBaseGene::ShowCodedMessage(const std::string &kind, const std::string &number, int buttonOverride,
                                   const std::vector<Variant> &args)
{
    const std::string text = FormatText(GetMessageText(kind, number), args);
    MessageType type = MessageType::Custom;
    MessageButtons buttons;
    CodedMessage::dialogOf(kind, type, buttons);
    if (buttonOverride != 0)
        buttons = MessageButtons::fromInt(buttonOverride);
    return ShowMessageBox(text, type, buttons);
}

int TfrmBaseGene::ShowMessageBox(const std::string &text, MessageType type, MessageButtons buttons)
{
    // While the page changes, only the errors that refuse the change show.
    if (ChangingPage && type != MessageType::Error)
        return 0;
    const MessageButtons shown = Prompter::effectiveButtons(buttons);
    const std::shared_ptr<Prompter> prompter = Prompter::current();
    auto *qtPrompter = dynamic_cast<QtPrompter *>(prompter.get());
    const bool chinese = KvConverter()->uiCodePage() != "437";
    if (qtPrompter && chinese)
        qtPrompter->setButtonCaptions([this](MessageButton button) {
            return varToStr(KvConverter()->ConvertUIString(Variant(GetCHTButtonCaption(buttonName(button)))));
        });
    QPointer<TfrmBaseGene> alive(this);
    int result = mrNone;
    try {
        result = prompter->messageBox(text, caption().toStdString(), type, shown, defaultButtonOf(shown));
    } catch (...) {
        if (qtPrompter && chinese)
            qtPrompter->setButtonCaptions({});
        throw;
    }
    if (qtPrompter && chinese)
        qtPrompter->setButtonCaptions({});
    if (alive && type == MessageType::Error && LastFocused && LastFocused->window() == this &&
        LastFocused->isEnabled() && LastFocused->isVisible() && LastFocused->focusPolicy() != Qt::NoFocus)
        LastFocused->setFocus(Qt::OtherFocusReason);
    return result;
}

std::string TfrmBaseGene::GetMessageText(const std::string &kind, const std::string &number)
{
    if (!HostApp.isObject())
        return FormatText("Can not Get Message\rType= %s, ID= %s ", {Variant(kind), Variant(number)});
    try {
        const Variant text = HostApp.toObject()->call("GetMessage", {Variant(kind), Variant(number)});
        return varToStr(KvConverter()->ConvertDataString(Variant(varToStr(text))));
    } catch (const std::exception &) {
        return FormatText("Can not Get Message\rType= %s, ID= %s ", {Variant(kind), Variant(number)});
    }
}

std::string TfrmBaseGene::BaseText(const std::string &key, const std::string &defaultText) const
{
    return LangText("TfrmBaseGene", key, defaultText, true);
}

} // namespace kv
