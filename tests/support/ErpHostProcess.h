#pragma once
// erp-host run as a program by the tests of the headless host: off screen,
// to its end, with what it wrote.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kvtest {

// A file of the build's program folder.
inline std::string binFile(const std::string &file)
{
    return std::string(QIPR07_BIN_DIR) + "/" + file;
}

struct HostRun {
    int status = -1; // -1 when it crashed or had to be killed
    std::string out;
    std::string err;
};

// The leak checker's tracer dies (SIGSEGV on a stale dynamic TLS block) at
// the exit of some erp-host runs that print to PDF, while it scans the
// threads' TLS. Those runs are checked without scanning TLS; what the system
// libraries then seem to leak (caches held from TLS only) is suppressed.
inline const std::map<QString, QString> kLeakCheckWithoutTls{
    {QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=1")},
    {QStringLiteral("LSAN_OPTIONS"),
     QStringLiteral("use_tls=0:suppressions=" QIPR07_TEST_SUPPORT_DIR "/erp-host-lsan.supp")}};

// environment: entries set over the test's own; a null value removes one.
inline HostRun runErpHost(const QStringList &arguments, const std::map<QString, QString> &environment = {},
                          int timeoutMs = 240000)
{
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    all.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto &[name, value] : environment) {
        if (value.isNull())
            all.remove(name);
        else
            all.insert(name, value);
    }
    QProcess process;
    process.setProcessEnvironment(all);
    process.start(QString::fromStdString(binFile("erp-host")), arguments);
    const bool ended = process.waitForFinished(timeoutMs);
    EXPECT_TRUE(ended) << "erp-host did not end";
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

} // namespace kvtest
