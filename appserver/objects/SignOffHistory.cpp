#include "objects/SignOffHistory.h"

#include <pugixml.hpp>

#include <sstream>

namespace slip {

namespace {

// Columns of the step query beyond the 13 of the reply.
constexpr int kOpinion = SignOffHistory::kColumns;
constexpr int kSigned = 5, kStatus = 6, kApprover = 10, kTitle = 12;

} // namespace

std::vector<SignOffHistory::FormKey> SignOffHistory::parseRequest(const std::string &request)
{
    std::vector<FormKey> forms;
    if (request.find_first_not_of(" \t\r\n") == std::string::npos)
        return forms;
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_string(request.c_str());
    if (!parsed || !doc.child("FormSet"))
        throw StoreError(std::string("签核资料请求不是有效的FormSet: ") +
                         (parsed ? "没有FormSet" : parsed.description()));
    for (const pugi::xml_node form : doc.child("FormSet").children("Form")) {
        forms.push_back({form.attribute("wfFormType").value(), form.attribute("wfSheetNo").value(),
                         form.attribute("wfParameter3").value(), form.attribute("wfParameter4").value()});
    }
    return forms;
}

kv::ResultTable SignOffHistory::steps(const FormKey &form) const
{
    return db().query("SELECT LEVEL_NO, BRANCH_NO, SERIAL_NO, ROLE, RECEIVED_AT, SIGNED_AT, STATUS, RECIPIENT_ID,"
                      " RECIPIENT_NAME, APPROVER_ID, APPROVER_NAME, POSITION_CODE, APPROVER_TITLE, OPINION FROM " +
                          table("SIGNOFF_HISTORY") +
                          " WHERE FORM_TYPE = :TYPE AND SHEET_NO = :SHEET AND PARAM3 = :P3 AND PARAM4 = :P4"
                          " ORDER BY LEVEL_NO, BRANCH_NO, SERIAL_NO",
                      {{"TYPE", form.formType}, {"SHEET", form.sheetNo}, {"P3", form.param3}, {"P4", form.param4}});
}

kv::Variant SignOffHistory::stepTable(const kv::ResultTable &steps)
{
    kv::VariantArray table({0, kColumns - 1}, {0, steps.rowCount() - 1});
    for (int row = 0; row < steps.rowCount(); ++row) {
        for (int column = 0; column < kColumns; ++column)
            table.at(column, row) = steps.value(row, column);
    }
    return table;
}

kv::Variant SignOffHistory::zqData(const std::string &request) const
{
    std::vector<kv::Variant> reply(1); // [0] the entry count, set below
    for (const FormKey &form : parseRequest(request)) {
        const kv::ResultTable found = steps(form);
        if (found.rowCount() == 0)
            continue;
        reply.push_back(kv::varArrayOf(
            {found.rowCount(), form.formType, form.sheetNo, form.param3, form.param4, stepTable(found)}));
    }
    reply[0] = int(reply.size() - 1);
    return kv::varArrayOf(std::move(reply));
}

std::string SignOffHistory::stepLine(const kv::ResultTable &steps, int row)
{
    std::string line;
    for (int column : {0, 1, kApprover, kTitle, kStatus, kSigned, kOpinion}) {
        if (!line.empty())
            line += "  ";
        line += kv::varToStr(steps.value(row, column));
    }
    return line;
}

std::string SignOffHistory::webserviceZqData(const std::string &request) const
{
    pugi::xml_document doc;
    pugi::xml_node formSet = doc.append_child("FormSet");
    for (const FormKey &form : parseRequest(request)) {
        const kv::ResultTable found = steps(form);
        if (found.rowCount() == 0)
            continue;
        std::string text;
        for (int row = 0; row < found.rowCount(); ++row)
            text += stepLine(found, row) + "||";
        text += std::string(found.text(found.rowCount() - 1, kStatus));
        pugi::xml_node node = formSet.append_child("Form");
        node.append_attribute("wfFormType") = form.formType.c_str();
        node.append_attribute("wfSheetNo") = form.sheetNo.c_str();
        node.text() = text.c_str();
    }
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

} // namespace slip
