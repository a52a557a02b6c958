#include "objects/MessageCatalogServer.h"

#include "objects/MessageCatalog.h"
#include "platform/TextUtil.h"

namespace slip {

MessageCatalogServer::MessageCatalogServer(std::shared_ptr<Database> database, std::string companyDb)
    : HostDataObject(progId, std::move(database), std::move(companyDb))
{
    addMethod("GetMessage", 2, 2, [this](std::vector<kv::Variant> &args) {
        const std::string kind = kv::varToStr(args[0].deref());
        const std::string number = kv::varToStr(args[1].deref());
        return guarded("GetMessage", MessageCatalog::missingText(kind, number),
                       [&] { return kv::Variant(message(kind, number)); });
    });
}

std::string MessageCatalogServer::message(const std::string &kind, const std::string &number)
{
    if (auto text = storedText(kind, number))
        return *text;
    if (auto text = MessageCatalog::defaultText(kind, number))
        return *text;
    refuse("GetMessage", "no message of kind \"" + kind + "\" and number \"" + number + "\"");
    return MessageCatalog::missingText(kind, number);
}

std::optional<std::string> MessageCatalogServer::storedText(const std::string &kind, const std::string &number)
{
    if (companyDb().empty())
        return std::nullopt;
    const kv::ResultTable rows = query("SELECT MSG_TEXT FROM $$HOST_MESSAGE WHERE MSG_KIND = :KIND AND MSG_NO = :NO",
                                       {{"KIND", MessageCatalog::normalisedKind(kind)},
                                        {"NO", MessageCatalog::normalisedNumber(number)}});
    // A row whose text was blanked out counts as missing.
    if (rows.rowCount() == 0 || kv::trimBlanks(rows.text(0, 0)).empty())
        return std::nullopt;
    return std::string(rows.text(0, 0));
}

} // namespace slip
