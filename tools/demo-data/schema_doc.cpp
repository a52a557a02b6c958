// qipr07-schema-doc: writes the company schema as Markdown, to the file
// given (docs/schema.md) or to standard output.

#include "schema/CompanySchema.h"
#include "schema/SchemaDoc.h"

#include <fstream>
#include <iostream>

int main(int argc, char **argv)
{
    const std::string text = slip::SchemaDoc::markdown(slip::CompanySchema::tables());
    if (argc < 2) {
        std::cout << text;
        return 0;
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush()) {
        std::cerr << "qipr07-schema-doc: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
