#pragma once
// slipserv run as a program for the tests that need it apart from the test
// process: to read its memory, to kill it without warning, to restart it on
// the same data. The settings are written readable by their owner only, as
// the daemon demands for a file holding its token.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <string>

namespace kvtest {

class SlipDaemonProcess {
public:
    static QString program() { return QStringLiteral(QIPR07_BIN_DIR "/slipserv"); }

    // settings: the text of its MarshalS.ini.
    explicit SlipDaemonProcess(const std::string &settings)
    {
        QFile ini(m_dir.filePath("MarshalS.ini"));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray::fromStdString(settings));
        ini.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    ~SlipDaemonProcess() { kill(); }
    SlipDaemonProcess(const SlipDaemonProcess &) = delete;
    SlipDaemonProcess &operator=(const SlipDaemonProcess &) = delete;

    // Starts it on a port of the system's choosing; the port, 0 on failure.
    int start()
    {
        kill();
        log();
        m_log.clear();
        m_process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
                           QStringLiteral("suppressions=" QIPR07_TEST_SUPPORT_DIR "/slipserv-lsan.supp"));
        m_process->setProcessEnvironment(environment);
        m_process->start(program(), {"--config", m_dir.filePath("MarshalS.ini"), "--port", "0"});
        if (!m_process->waitForReadyRead(30000)) {
            ADD_FAILURE() << "slipserv did not start: " << m_process->readAllStandardError().toStdString();
            return m_port = 0;
        }
        const QByteArray line = m_process->readLine();
        return m_port = line.mid(line.lastIndexOf(':') + 1).trimmed().toInt();
    }
    int port() const { return m_port; }

    // SIGKILL, as a crash or a power cut ends it.
    void kill()
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process->processId()), SIGKILL);
        m_process->waitForFinished(10000);
    }

    // SIGTERM, as a service manager stops it; waits for it to end. Its exit
    // code, -1 when it crashed or did not end.
    int terminate()
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return -1;
        ::kill(pid_t(m_process->processId()), SIGTERM);
        if (!m_process->waitForFinished(60000) || m_process->exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process->exitCode();
    }

    // What it wrote to its standard error so far (its log).
    std::string log()
    {
        if (m_process)
            m_log += m_process->readAllStandardError().toStdString();
        return m_log;
    }

    // Peak resident size in kB; -1 when it cannot be read.
    qint64 peakKb() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process ? m_process->processId() : 0));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    std::string m_log;
};

} // namespace kvtest
