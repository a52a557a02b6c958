#include "lib/SettingsErrorReport.h"

#include "lib/AlertLog.h"
#include "lib/ShellSettings.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

#include <QLocale>
#include <QString>

#include <cxxabi.h>
#include <filesystem>
#include <ios>
#include <memory>
#include <system_error>
#include <typeinfo>

namespace kv {

namespace {

std::string formatNumbered(const char *pattern, int index, int code, const std::string &message)
{
    return QString::asprintf(pattern, index, code, message.c_str()).toStdString();
}

// The class name a reader of the log expects: the demangled type, without
// its namespace.
std::string exceptionClassName(const std::exception &error)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void *)> demangled(
        abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status), std::free);
    std::string name = (status == 0 && demangled) ? demangled.get() : typeid(error).name();
    if (const auto colon = name.rfind("::"); colon != std::string::npos)
        name.erase(0, colon + 2);
    return name;
}

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::vector<std::string> errorLines(const std::exception &error)
{
    std::vector<std::string> result;
    if (const auto *engine = dynamic_cast<const DatabaseEngineError *>(&error)) {
        int index = 1;
        for (const DatabaseEngineError::Entry &entry : engine->errors())
            result.push_back(formatNumbered("EDBEngineError Error %.2d: Code: %d, Message: %s", index++,
                                            entry.code, entry.message));
    } else if (dynamic_cast<const std::ios_base::failure *>(&error)
               || dynamic_cast<const std::filesystem::filesystem_error *>(&error)
               || dynamic_cast<const SettingsFileError *>(&error)) {
        const auto *system = dynamic_cast<const std::system_error *>(&error);
        result.push_back(formatNumbered("EInOutError Error %.2d: Code: %d, Message: %s", 1,
                                        system ? system->code().value() : 0, error.what()));
    } else if (const auto *system = dynamic_cast<const std::system_error *>(&error)) {
        result.push_back(formatNumbered("EWin32Error Error %.2d: Code: %d, Message: %s", 1,
                                        system->code().value(), system->what()));
    } else {
        result.push_back(QString::asprintf("Exception is %s\r\nMessage %.2d: ", exceptionClassName(error).c_str(), 1)
                             .toStdString()
                         + error.what());
    }
    return result;
}

} // namespace

DatabaseEngineError::DatabaseEngineError(std::vector<Entry> errors)
    : std::runtime_error(errors.empty() ? std::string("database engine error") : errors.front().message),
      m_errors(std::move(errors))
{
}

SettingsFileError SettingsFileError::fromProblems(const std::string &fileName, const std::vector<std::string> &problems)
{
    std::string message = fileName + ": skipped ";
    for (std::size_t i = 0; i < problems.size(); ++i)
        message += (i ? "; " : "") + problems[i];
    return SettingsFileError(message);
}

std::string SettingsErrorReport::directory()
{
    std::string root = AlertLog::shellRootFromRegistry();
    if (root.empty())
        root = SystemInfo::tempDir();
    if (root.empty())
        root = SystemInfo::hostProgramDir();
    const std::string folder = asDirectory(root) + "Log/";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::string SettingsErrorReport::fileName()
{
    return directory() + "Alert_VEREZUdidaduri_" + Clock::today().toString("yyyyMMdd").toStdString() + ".log";
}

std::vector<std::string> SettingsErrorReport::lines(std::string_view place, const std::exception &error,
                                                    std::string_view programmerText)
{
    const std::string dashes(34, '-');
    std::string heading = dashes;
    if (!isBlank(place))
        heading += " on " + std::string(place) + " ";
    heading += dashes;

    std::vector<std::string> result{heading, "讯息信息:"};
    const std::vector<std::string> errors = errorLines(error);
    result.insert(result.end(), errors.begin(), errors.end());
    result.push_back("ErrorMessage Count: " + std::to_string(errors.size()));
    if (!isBlank(programmerText))
        result.push_back("Programer Message: " + std::string(programmerText));
    return result;
}

bool SettingsErrorReport::write(std::string_view place, const std::exception &error, std::string_view programmerText)
{
    const std::string file = fileName();
    const std::string stamp =
        "[" + QLocale::system().toString(Clock::now(), QLocale::ShortFormat).toStdString() + "] ";
    bool allWritten = true;
    for (const std::string &line : lines(place, error, programmerText))
        allWritten = AlertLog::appendLine(file, stamp + line) && allWritten;
    return allWritten;
}

} // namespace kv
