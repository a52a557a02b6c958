#pragma once
// The error report of the settings readers: a block of lines appended to
// "Alert_VEREZUdidaduri_<YYYYMMDD>.log" in the alert-log folder, naming the
// place, every contained error and the programmer's remark.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A database engine failure carrying one or more (code, message) errors.
class DatabaseEngineError : public std::runtime_error {
public:
    struct Entry {
        int code = 0;
        std::string message;
    };
    explicit DatabaseEngineError(std::vector<Entry> errors);
    const std::vector<Entry> &errors() const { return m_errors; }

private:
    std::vector<Entry> m_errors;
};

// A settings file that could not be read or had lines that were skipped.
class SettingsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    static SettingsFileError fromProblems(const std::string &fileName, const std::vector<std::string> &problems);
};

class SettingsErrorReport {
public:
    // The log folder: registry "ClientPath", else "ServerPath", else the
    // temporary folder; the host program's folder when all are empty; plus
    // "Log/", created when missing.
    static std::string directory();
    static std::string fileName();

    // The report's lines for an error, without the time stamps.
    static std::vector<std::string> lines(std::string_view place, const std::exception &error,
                                          std::string_view programmerText);

    // Appends the report; false when a line could not be written.
    static bool write(std::string_view place, const std::exception &error, std::string_view programmerText);
};

} // namespace kv
