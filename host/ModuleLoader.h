#pragma once
// Loads a report module and finds its one export, GetController. A module
// stays mapped until the process ends: its windows' classes are known to
// Qt's meta-object system, which must not find them unmapped later.

#include "controller/DLLBaseCtrller.h"

#include <stdexcept>
#include <string>

namespace erphost {

class ModuleLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ModuleLoader {
public:
    // Throws ModuleLoadError in plain words when the file cannot be loaded
    // or does not export GetController.
    explicit ModuleLoader(const std::string &path);
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader &) = delete;
    ModuleLoader &operator=(const ModuleLoader &) = delete;

    const std::string &path() const { return m_path; }
    GetControllerFunction getController() const { return m_getController; }

private:
    std::string m_path;
    void *m_handle = nullptr;
    GetControllerFunction m_getController = nullptr;
};

} // namespace erphost
