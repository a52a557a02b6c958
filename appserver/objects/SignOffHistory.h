#pragma once
// The workflow sign-off history of form sheets (table SIGNOFF_HISTORY),
// answering the client's two sign-off requests. A request names the sheets:
//
//   <FormSet> <Form wfProgramID='' wfFormType='A' wfSheetNo='B'
//             wfParameter3='' wfParameter4=''/> … </FormSet>
//
// "GetZQData" answers [n, entry 1, …, entry n], one entry per requested
// sheet that has sign-off steps: [step count, form type, sheet number,
// parameter 3, parameter 4, steps], the steps a two-dimensional array
// [column, row] of 13 columns (level, branch, serial, role, received,
// signed, status, recipient code, recipient name, approver code, approver
// name, position code, approver title) in step order.
//
// "GetWebserviceZQData" answers the same as XML text (without declaration):
//   <FormSet><Form wfFormType="A" wfSheetNo="B">line||line||result</Form></FormSet>
// each line the level, branch, approver, title, status, date signed and
// opinion joined by two blanks, the result the status of the last step.

#include "objects/CompanyStore.h"
#include "platform/ResultTable.h"
#include "platform/Variant.h"

#include <string>
#include <vector>

namespace slip {

class SignOffHistory : public CompanyStore {
public:
    using CompanyStore::CompanyStore;

    struct FormKey {
        std::string formType;
        std::string sheetNo;
        std::string param3;
        std::string param4;
    };

    // StoreError when the request is not such a FormSet.
    static std::vector<FormKey> parseRequest(const std::string &request);

    kv::Variant zqData(const std::string &request) const;
    std::string webserviceZqData(const std::string &request) const;

    static constexpr int kColumns = 13;

private:
    kv::ResultTable steps(const FormKey &form) const;
    static kv::Variant stepTable(const kv::ResultTable &steps);
    static std::string stepLine(const kv::ResultTable &steps, int row);
};

} // namespace slip
