#pragma once
// A real SMTP server on loopback for tests (Python's aiosmtpd, started on a
// free port) and a reader of what it received (Python's mail parser, which
// decodes every attachment into a file). available() says why it cannot
// run, so that a test skips with that reason instead of passing.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <string>

namespace kvtest {

class SmtpSink {
public:
    static constexpr const char *kPython = "/usr/bin/python3";

    // Empty when the server can run, else the reason it cannot.
    static QString unavailableReason()
    {
        if (!QFile::exists(QLatin1String(kPython)))
            return QStringLiteral("no %1").arg(QLatin1String(kPython));
        QProcess probe;
        probe.start(QLatin1String(kPython), {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
        probe.waitForFinished(20000);
        if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            return QStringLiteral("python3-aiosmtpd is not installed (scripts/setup installs it)");
        return {};
    }

    explicit SmtpSink(const QStringList &options = {})
    {
        m_mailDir = m_dir.filePath(QStringLiteral("mail"));
        QDir().mkpath(m_mailDir);
        const QString portFile = m_dir.filePath(QStringLiteral("port"));
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QLatin1String(kPython), QStringList{script("smtp_sink.py"), QStringLiteral("--out"), m_mailDir,
                                                           QStringLiteral("--port-file"), portFile} + options);
        for (int i = 0; i < 300 && !QFile::exists(portFile) && m_server.state() != QProcess::NotRunning; ++i)
            QThread::msleep(50);
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly))
            m_port = file.readAll().trimmed().toInt();
    }

    ~SmtpSink()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

    SmtpSink(const SmtpSink &) = delete;
    SmtpSink &operator=(const SmtpSink &) = delete;

    int port() const { return m_port; }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(m_port); }

    // Every mail received so far, decoded: envelope, to, subject, from,
    // body, attachments [{filename, type, path}].
    QJsonArray mails() const
    {
        QProcess dump;
        dump.start(QLatin1String(kPython), {script("mail_dump.py"), m_mailDir});
        dump.waitForFinished(30000);
        return QJsonDocument::fromJson(dump.readAllStandardOutput()).array();
    }

private:
    static QString script(const char *name)
    {
        return QStringLiteral(QIPR07_TEST_SUPPORT_DIR "/") + QLatin1String(name);
    }

    QTemporaryDir m_dir;
    QString m_mailDir;
    QProcess m_server;
    int m_port = 0;
};

// An outside tool's answer: its standard output, empty when it failed.
inline QString toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// As toolOutput, untrimmed, and the tool failing fails the test.
inline QString checkedToolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << QString::fromUtf8(process.readAllStandardError()).toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace kvtest
