#include "report/layout/WorkflowReply.h"

#include <pugixml.hpp>

namespace kv {

WorkflowSignOff findWorkflowSignOff(const std::string &reply, const std::string &formType,
                                    const std::string &sheetNo)
{
    WorkflowSignOff result;
    // No attribute of an XML document holds a NUL; the query's variables
    // would end a key there and find another slip's lines.
    if (formType.find('\0') != std::string::npos || sheetNo.find('\0') != std::string::npos)
        return result;
    const std::string document = "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + reply;
    pugi::xml_document xml;
    // Texts are UTF-8 by the time they get here; the declaration only names
    // the code page the workflow server wrote in.
    const pugi::xml_parse_result parsed =
        xml.load_buffer(document.data(), document.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        result.status = WorkflowSignOff::Status::Unreadable;
        result.error = parsed.description();
        return result;
    }
    // Key values are bound as variables: a sheet number holding a quote must
    // not change the query.
    pugi::xpath_variable_set variables;
    variables.set("type", formType.c_str());
    variables.set("sheet", sheetNo.c_str());
    try {
        const pugi::xpath_query query("//FormSet/Form[@wfFormType=$type and @wfSheetNo=$sheet]", &variables);
        const pugi::xpath_node node = query.evaluate_node(xml);
        if (!node)
            return result;
        result.status = WorkflowSignOff::Status::Found;
        result.text = node.node().text().get();
    } catch (const pugi::xpath_exception &error) {
        result.status = WorkflowSignOff::Status::Unreadable;
        result.error = error.what();
    }
    return result;
}

} // namespace kv
