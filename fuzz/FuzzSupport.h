#pragma once
// What every fuzz target shares: a headless Qt application for the targets
// that build widgets, and silence for Qt's warnings (a damaged input makes
// Qt complain on every run, which would slow the fuzzer down to the speed of
// the terminal).

#include <QApplication>
#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

inline void quietQt()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

// Call from LLVMFuzzerInitialize; the application lives until the process ends.
inline void startApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    quietQt();
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

inline std::string_view text(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

inline QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A property the target checks that does not hold: a crash libFuzzer keeps.
[[noreturn]] inline void fail(const std::string &what)
{
    fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    abort();
}

} // namespace fuzz
