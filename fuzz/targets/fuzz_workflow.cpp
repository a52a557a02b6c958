// The workflow web service's reply: the FormSet document the layout looks a
// slip's sign-off lines up in. The first line of the input is the form type,
// the second the sheet number, the rest the reply. A Form found must be one
// whose attributes are exactly the keys.
#include "FuzzSupport.h"

#include "report/layout/WorkflowReply.h"

#include <pugixml.hpp>

#include <cstdlib>

namespace {

std::string_view line(std::string_view &text)
{
    const std::size_t end = text.find('\n');
    const std::string_view first = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return first;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input = fuzz::text(data, size);
    const std::string type(line(input));
    const std::string sheet(line(input));
    const std::string reply(input);
    const kv::WorkflowSignOff found = kv::findWorkflowSignOff(reply, type, sheet);
    if (found.status == kv::WorkflowSignOff::Status::Unreadable && found.error.empty())
        std::abort(); // a refusal always says why
    if (found.status != kv::WorkflowSignOff::Status::Found)
        return 0;
    // The keys matched as values: some Form of the reply carries them.
    pugi::xml_document xml;
    const std::string document = "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + reply;
    if (!xml.load_buffer(document.data(), document.size(), pugi::parse_default, pugi::encoding_utf8))
        std::abort();
    bool carried = false;
    for (const pugi::xpath_node &form : xml.select_nodes("//FormSet/Form"))
        carried = carried || (type == form.node().attribute("wfFormType").value() &&
                              sheet == form.node().attribute("wfSheetNo").value());
    if (!carried)
        std::abort();
    return 0;
}
