#include "sim/simprocess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <csignal>

namespace hvc {

SimProcess::SimProcess() = default;

SimProcess::~SimProcess() {
    stop();
}

QString SimProcess::executablePath() {
    QString env = qEnvironmentVariable("HVC_SIM");
    if (!env.isEmpty())
        return env;
    const QString dir =
        QCoreApplication::instance()
            ? QCoreApplication::applicationDirPath()
            : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    return QDir(dir).filePath(QStringLiteral("hvc-sim"));
}

QString SimProcess::start(const QStringList& arguments, int timeoutMs) {
    stop();
    m_devicePath.clear();
    m_error.clear();
    m_process = std::make_unique<QProcess>();
    if (m_stderrFile.isEmpty())
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        m_process->setStandardErrorFile(m_stderrFile, QIODevice::Append);
    const QString program = executablePath();
    m_process->start(program, arguments);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = program + QStringLiteral(": ") + m_process->errorString();
        m_process.reset();
        return {};
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process->canReadLine()) {
        if (m_process->state() != QProcess::Running ||
            !m_process->waitForReadyRead(
                static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            if (m_process->state() != QProcess::Running || deadline.hasExpired()) {
                m_error = m_process->state() == QProcess::Running
                              ? QStringLiteral("hvc-sim printed no device path")
                              : QStringLiteral("hvc-sim ended with exit code %1")
                                    .arg(m_process->exitCode());
                stop();
                return {};
            }
        }
    }
    m_devicePath = QString::fromLocal8Bit(m_process->readLine()).trimmed();
    return m_devicePath;
}

bool SimProcess::isRunning() const {
    return m_process && m_process->state() == QProcess::Running;
}

qint64 SimProcess::processId() const {
    return m_process ? m_process->processId() : 0;
}

bool SimProcess::sendSignal(int signal) const {
    return isRunning() && ::kill(static_cast<pid_t>(m_process->processId()), signal) == 0;
}

int SimProcess::stop(int timeoutMs) {
    if (!m_process)
        return -1;
    int code = -1;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(timeoutMs)) {
            m_process->kill();
            m_process->waitForFinished(timeoutMs);
        } else if (m_process->exitStatus() == QProcess::NormalExit) {
            code = m_process->exitCode();
        }
    } else if (m_process->exitStatus() == QProcess::NormalExit) {
        code = m_process->exitCode();
    }
    m_process.reset();
    return code;
}

} // namespace hvc
