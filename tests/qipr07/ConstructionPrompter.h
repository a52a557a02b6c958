#pragma once
// The prompter while a report window is built: a button picture the glyph
// library lacks is reported then (the condition window's style-delete
// button asks for one); that report is taken, anything else is unscripted.

#include "controls/GSpdBtn.h"
#include "platform/ScriptedPrompter.h"

namespace qipr07test {

class ConstructionPrompter : public kv::ScriptedPrompter {
public:
    kv::ModalResult messageBox(const std::string &text, const std::string &caption, kv::MessageType type,
                               kv::MessageButtons buttons, kv::MessageButton defaultButton) override
    {
        if (text == kv::TGSpeedButton::kLoadErrorText)
            return kv::mrOk;
        return ScriptedPrompter::messageBox(text, caption, type, buttons, defaultButton);
    }
};

} // namespace qipr07test
