// The outside objects the module creates by class name: the mail client
// ("Outlook.Application") and the fax server ("QRMFAX.APP"). Registered when
// QIPR07C.so is loaded; like the main block, linked whole into the module
// only, so tests register what they use themselves.

#include "faxserver/FaxObjects.h"
#include "mailclient/MailObjects.h"

namespace {

[[maybe_unused]] const bool registered = [] {
    kvmail::registerMailClient();
    kvfax::registerFaxServer();
    return true;
}();

} // namespace
