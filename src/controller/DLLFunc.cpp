#include "controller/DLLFunc.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>

TDLLControllerClass DLLControllerClass = nullptr;
TfrmVRBaseOptClass frmVRBaseOptClass = nullptr;

// The one export. Visible whatever the module's default visibility is.
extern "C" __attribute__((visibility("default"))) TDLLBaseController *GetController()
{
    if (!DLLControllerClass)
        throw std::runtime_error(kNotAssignControllerClass);
    return DLLControllerClass();
}

std::string DLLModuleFileName()
{
    // Any address inside this module names the file it was mapped from.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&DLLModuleFileName), &info) == 0 || !info.dli_fname)
        return {};
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : path.lexically_normal().string();
}
