// The workflow sign-off request: the FormSet XML a client sends slipserv to
// ask for the sign-off history of form sheets.
#include "FuzzSupport.h"

#include "objects/SignOffHistory.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The request travels as a text variant: it ends at the first NUL.
    const std::string_view raw = fuzz::text(data, size);
    try {
        slip::SignOffHistory::parseRequest(std::string(raw.substr(0, raw.find('\0'))));
    } catch (const slip::StoreError &) {
    }
    return 0;
}
