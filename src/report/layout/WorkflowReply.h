#pragma once
// The sign-off text of one slip in the workflow web service's reply: a
// FormSet document with one Form element per form sheet, its type and sheet
// number as attributes and the sign-off lines ("||"-separated, the final
// result last) as its text. The reply comes from another server, so every
// kind of damage is expected: a reply that does not parse is an error with
// the parser's reason, never a crash.

#include <string>

namespace kv {

struct WorkflowSignOff {
    enum class Status { Found, NotFound, Unreadable };
    Status status = Status::NotFound;
    std::string text;  // the Form element's text when found
    std::string error; // the reason when unreadable
};

// Looks the slip up by form type and sheet number; the keys are matched as
// values (a key holding quotes or brackets is only a key).
WorkflowSignOff findWorkflowSignOff(const std::string &reply, const std::string &formType,
                                    const std::string &sheetNo);

} // namespace kv
