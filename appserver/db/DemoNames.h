#pragma once
// Names and texts of the demo company, as a Chinese manufacturer would have
// them.

#include <string>
#include <vector>

namespace slip {

class DemoRandom;

class DemoNames {
public:
    struct ItemKind {
        std::string name;
        std::string unit;
        std::vector<std::string> specs;
    };
    struct CodeName {
        std::string code;
        std::string name;
    };

    static std::string personName(DemoRandom &random);
    // Full and short name of a supplier.
    static std::pair<std::string, std::string> supplierNames(DemoRandom &random);

    static const std::vector<ItemKind> &itemKinds();
    static const std::vector<CodeName> &warehouses();
    static const std::vector<CodeName> &departments();
    static const std::vector<CodeName> &workCentres();
    static const std::vector<CodeName> &factories();
    static const std::vector<CodeName> &processes();
    static const std::vector<CodeName> &projects();
    static const std::vector<std::string> &inspectionRemarks();
    static const std::vector<std::string> &issueNotes();
    static const std::vector<std::string> &phrases();
};

} // namespace slip
