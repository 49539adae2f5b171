#pragma once
// Runs hvc-sim as a child process: the desktop program's --demo and the
// end-to-end tests use it to get a simulated unit on a real pseudo-terminal.

#include <QString>
#include <QStringList>
#include <memory>

class QProcess;

namespace hvc {

class SimProcess {
public:
    SimProcess();
    ~SimProcess(); // stops the simulator cleanly
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts hvc-sim with `arguments` and returns the device path it prints on its
    // first line, or an empty text (see errorString()).
    QString start(const QStringList& arguments = {}, int timeoutMs = 10000);
    QString devicePath() const { return m_devicePath; }
    bool isRunning() const;
    qint64 processId() const;
    // Sends a signal to the simulator, e.g. SIGHUP to power-cycle the unit.
    bool sendSignal(int signal) const;
    // SIGTERM, then waits; returns the exit code, or -1 when it had to be killed.
    int stop(int timeoutMs = 5000);
    QString errorString() const { return m_error; }
    // Where the simulator's stderr goes (default: this process's stderr).
    void setStandardErrorFile(const QString& path) { m_stderrFile = path; }

    // hvc-sim beside the current executable ($HVC_SIM overrides).
    static QString executablePath();

private:
    std::unique_ptr<QProcess> m_process;
    QString m_devicePath;
    QString m_error;
    QString m_stderrFile;
};

} // namespace hvc
