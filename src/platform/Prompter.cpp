#include "platform/Prompter.h"

#include "platform/QtPrompter.h"

#include <mutex>

namespace kv {

namespace {

struct CurrentPrompter {
    std::mutex mutex;
    std::shared_ptr<Prompter> installed; // null: the Qt prompter
    std::shared_ptr<Prompter> qtDefault;
};

CurrentPrompter &state()
{
    static CurrentPrompter current;
    return current;
}

// The prompter explicitly installed, without falling back to the default.
std::shared_ptr<Prompter> exchangeInstalled(std::shared_ptr<Prompter> prompter)
{
    CurrentPrompter &s = state();
    std::lock_guard lock(s.mutex);
    std::swap(s.installed, prompter);
    return prompter;
}

} // namespace

ModalResult Prompter::resultOf(MessageButton button)
{
    switch (button) {
    case MessageButton::Yes: return mrYes;
    case MessageButton::No: return mrNo;
    case MessageButton::OK: return mrOk;
    case MessageButton::Cancel: return mrCancel;
    case MessageButton::Abort: return mrAbort;
    case MessageButton::Retry: return mrRetry;
    case MessageButton::Ignore: return mrIgnore;
    case MessageButton::All: return mrAll;
    case MessageButton::NoToAll: return mrNoToAll;
    case MessageButton::YesToAll: return mrYesToAll;
    case MessageButton::Help: return mrNone;
    }
    return mrNone;
}

MessageButtons Prompter::effectiveButtons(MessageButtons buttons)
{
    return buttons ? buttons : MessageButtons(MessageButton::OK);
}

std::shared_ptr<Prompter> Prompter::current()
{
    CurrentPrompter &s = state();
    std::lock_guard lock(s.mutex);
    if (s.installed)
        return s.installed;
    if (!s.qtDefault)
        s.qtDefault = std::make_shared<QtPrompter>();
    return s.qtDefault;
}

void Prompter::setCurrent(std::shared_ptr<Prompter> prompter)
{
    exchangeInstalled(std::move(prompter));
}

ScopedPrompter::ScopedPrompter(std::shared_ptr<Prompter> prompter)
    : m_previous(exchangeInstalled(std::move(prompter)))
{
}

ScopedPrompter::~ScopedPrompter()
{
    exchangeInstalled(std::move(m_previous));
}

} // namespace kv
