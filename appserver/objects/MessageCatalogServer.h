#pragma once
// The data side of the host's GetMessage: the text of a coded message for
// the company database the object is bound to (see MessageCatalog). Without
// a company database the built-in texts answer. A code nobody knows answers
// "Can not Get Message\rType= <kind>, ID= <number> ", the text the program
// windows show when they cannot ask the host at all, and is logged.

#include "objects/HostDataObject.h"

namespace slip {

class MessageCatalogServer : public HostDataObject {
public:
    static constexpr const char *progId = "QRM.MessageCatalog";

    explicit MessageCatalogServer(std::shared_ptr<Database> database, std::string companyDb = {});

    std::string message(const std::string &kind, const std::string &number);

private:
    std::optional<std::string> storedText(const std::string &kind, const std::string &number);
};

} // namespace slip
