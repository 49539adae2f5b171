#include "core/unitcommands.h"

#include "core/configfile.h"
#include "core/imagecheck.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/unitlink.h"
#include "core/unitlog.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCommands, "hvc.commands", QtInfoMsg)

namespace hvc {

QString unsavedQuestionText() {
    return QStringLiteral("Configuration file Not Saved.\rNo saved settings will be lost.\r\r"
                          "CONTINUE ANYWAY?");
}

UnitCommands::UnitCommands(AppState& state, CommandView& view) : m_state(state), m_view(view) {}

void UnitCommands::reportFailure(Prompter& prompter, const Status& status) {
    qCInfo(lcCommands).noquote() << "failed:" << status.text() << status.detail();
    prompter.informDetailed(QString::fromLatin1(kOperationFailed) + status.text(), status.detail());
}

void UnitCommands::endFailed(const Status& status) {
    m_view.closeWaitBox();
    reportFailure(m_state.observers.prompter(), status);
    m_state.session.setConnectState(ConnectState::NotConnected);
    m_view.setBusy(false);
}

void UnitCommands::endConnected() {
    m_state.session.setConnectState(ConnectState::Connected);
    m_view.setBusy(false);
}

void UnitCommands::endWholeImage(const Status& status) {
    if (status) {
        endConnected();
        return;
    }
    // Unlike endFailed, the wait box is left to the next drawing tick.
    reportFailure(m_state.observers.prompter(), status);
    m_state.session.setConnectState(ConnectState::NotConnected);
    m_view.setBusy(false);
}

bool UnitCommands::unsavedQuestion() {
    return m_state.observers.prompter().ask(unsavedQuestionText(), {}, PromptIcon::Exclamation);
}

void UnitCommands::connectToUnit() {
    m_view.closeWaitBox();
    UnitLink* link = m_state.session.link;
    if (m_state.session.connectState() != ConnectState::NotConnected) {
        m_view.stopPagePolling();
        if (link)
            link->closeLink();
        m_state.document.flags.clear();
        m_state.document.unitWords.clear();
        m_state.session.unit = {};
        m_state.session.setConnectState(ConnectState::NotConnected);
        return;
    }
    if (link)
        link->closeLink();
    if (!link || !link->openLink()) {
        if (m_state.session.comPort == 0)
            m_state.observers.prompter().inform(QStringLiteral("Select a COM Port"));
        return;
    }
    // Declining leaves the unit alone: the port is given back, not held open
    // behind a "Not Connected" indicator.
    if (m_state.document.flags.unsaved() && !unsavedQuestion()) {
        link->closeLink();
        return;
    }
    m_view.setBusy(true);
    m_state.document.unitWords.clear();
    m_state.session.unit = {};
    bool resetPending = false;
    if (Status status = checkUnitIdentity(m_state, resetPending); !status)
        return endFailed(status);
    m_state.session.setConnectState(ConnectState::Transfer);
    if (resetPending && !m_state.observers.prompter().ask(QStringLiteral(
                            "Missing POWER RESET After A 'RESET' Command : Continue Anyway? "))) {
        m_view.setBusy(false);
        link->closeLink();
        m_state.session.setConnectState(ConnectState::NotConnected);
        return;
    }
    if (UnitVariable* version = m_state.document.catalogue.find(HvcId::HVC_PROG_VERS)) {
        std::int32_t value = 0;
        if (Status status = link->readE2(version->address, value); !status)
            return endFailed(status.prefixed(QStringLiteral("reading the program version")));
        version->takeUnitWord(value);
    }
    const std::uint16_t readMask = readKeyAll(m_state);
    const Status status = readImage(m_state, readMask);
    LogEntry entry = imageEntry(m_state, readMask, QStringLiteral("connect"));
    if (!status) {
        entry.outcome =
            (QStringLiteral("failed: ") + status.text() + u' ' + status.detail()).trimmed();
        recordTransfer(m_state, entry);
        return endFailed(status);
    }
    m_state.session.unit = identitySeen(m_state);
    recordTransfer(m_state, entry);
    endConnected();
    m_view.showFirstPage();
    m_view.refreshActivePage();
    m_state.document.flags.unitRead();
    m_view.closeWaitBox();
}

void UnitCommands::readPage(std::uint16_t readKey) {
    m_view.setBusy(true);
    if (Status status = readImage(m_state, readKey); !status)
        return endFailed(status);
    endConnected();
    m_state.document.flags.unitRead();
    m_view.closeWaitBox();
}

void UnitCommands::readAll() {
    m_view.setBusy(true);
    endWholeImage(readImage(m_state, readKeyAll(m_state)));
}

void UnitCommands::writePage(std::uint16_t writeKey, const Status& dataCheck) {
    if (!dataCheck) {
        const QString& dataErrors = dataCheck.text();
        const QString title = QStringLiteral("CONFIGURATION ERROR");
        if (!m_state.session.loggedIn) {
            m_state.observers.prompter().inform(dataErrors, title, PromptIcon::Critical);
            return;
        }
        if (!m_state.observers.prompter().ask(dataErrors + QStringLiteral("\rCONTINUE ANYWAY ?"),
                                              title, PromptIcon::Exclamation))
            return;
    }
    writeReviewed(writeKey, true);
}

void UnitCommands::writeAll() {
    writeReviewed(writeKeyAll(m_state), false);
}

void UnitCommands::writeReviewed(std::uint16_t mask, bool page) {
    const WriteChoice choice = m_view.chooseWrite(writeDifferences(m_state, mask));
    if (choice.kind == WriteChoice::Kind::Cancel)
        return;
    writeChosen(mask, choice, page ? QStringLiteral("write") : QStringLiteral("write-all"));
}

bool UnitCommands::restoreVersion(const QMap<std::int32_t, std::int32_t>& version) {
    const QList<ReviewRow> rows = versionDifferences(m_state, version);
    if (rows.isEmpty()) {
        m_state.observers.prompter().inform(QStringLiteral("The unit already holds this version."));
        return false;
    }
    WriteChoice choice = m_view.chooseWrite(rows);
    if (choice.kind == WriteChoice::Kind::Cancel)
        return false;
    if (choice.kind == WriteChoice::Kind::WholeImage) {
        choice = WriteChoice::rows({});
        for (const ReviewRow& row : rows)
            choice.positions.append(row.position);
    }
    loadChosenRows(m_state, rows, choice.positions);
    m_view.refreshActivePage();
    writeChosen(writeKeyAll(m_state), choice, QStringLiteral("restore"));
    return true;
}

void UnitCommands::writeChosen(std::uint16_t mask, const WriteChoice& choice, const QString& kind) {
    const bool page = kind == QLatin1String("write");
    m_view.setBusy(true);
    ReviewedWrite done;
    if (Status status =
            writeRecorded(m_state, mask, choice, m_state.session.verifyWrites, kind, done);
        !status) {
        m_view.refreshActivePage();
        return page ? endFailed(status) : endWholeImage(status);
    }
    QStringList problems = verifyFailures(m_state.document.catalogue, done.mismatches);
    for (int p : done.notWritten) {
        const UnitVariable& r = m_state.document.catalogue[p];
        problems << QStringLiteral("Not written, its section is not configured in the unit: "
                                   "%1 (%2)")
                        .arg(r.name, r.addressText());
    }
    if (!problems.isEmpty()) {
        qCInfo(lcCommands).noquote() << "write not verified:" << problems.join(u'\n');
        m_view.closeWaitBox();
        m_view.refreshActivePage();
        m_state.observers.prompter().inform(problems.join(u'\r'), {}, PromptIcon::Critical);
    } else if (page && writeDifferences(m_state, mask).isEmpty()) {
        m_state.document.flags.unitWritten();
    }
    endConnected();
}

void UnitCommands::reset() {
    m_state.document.flags.clear();
    m_view.setBusy(true);
    const Status status = loadDefaultsRecorded(m_state);
    m_state.document.unitWords.clear();
    m_state.session.unit = {};
    if (!status) {
        reportFailure(m_state.observers.prompter(), status);
        m_state.session.setConnectState(ConnectState::NotConnected);
        m_view.setBusy(false);
        return;
    }
    m_state.observers.prompter().inform(
        QStringLiteral("Switch OFF and then switch ON power supply!"), {}, PromptIcon::Exclamation);
    if (m_state.session.link)
        m_state.session.link->closeLink();
    m_state.session.setConnectState(ConnectState::NotConnected);
    m_view.setBusy(false);
}

bool UnitCommands::readCheckedFile(const QString& path, ConfigFileData& data) {
    Status status = readConfigFile(path, m_state.document.catalogue, data);
    // Values a Write All must never send are refused here, with nothing changed;
    // logged-in service staff may load values outside the limits.
    if (status)
        status = checkConfigFileValues(m_state.document.catalogue, data, m_state.session.loggedIn);
    if (!status) {
        qCInfo(lcCommands).noquote() << "load failed:" << status.detail();
        m_state.observers.prompter().informDetailed(status.text(), status.detail(), {},
                                                    PromptIcon::Critical);
        return false;
    }
    return true;
}

bool UnitCommands::loadFile(const QString& path) {
    ConfigFileData data;
    if (!readCheckedFile(path, data))
        return false;
    applyConfigFile(m_state, data, QFileInfo(path).fileName());
    m_view.showInfo(m_state.document.info);
    m_state.observers.prompter().inform(QStringLiteral(" SUCCESS : Configuration Loaded "));
    m_view.showFirstPage();
    m_view.refreshActivePage();
    m_state.document.flags.fileLoaded();
    return true;
}

bool UnitCommands::saveFile(const QString& path) {
    if (QFileInfo::exists(path) &&
        !m_state.observers.prompter().ask(QStringLiteral("File Already Exist : Overwrite ?")))
        return false;
    m_state.document.info = m_view.infoToSave(m_state.document.info);
    if (Status status = saveConfigFile(m_state, path); !status) {
        qCInfo(lcCommands).noquote() << "save failed:" << status.detail();
        m_state.observers.prompter().informDetailed(status.text(), status.detail(), {},
                                                    PromptIcon::Critical);
        return false;
    }
    m_state.document.flags.fileSaved();
    m_state.document.info.fileName = QFileInfo(path).fileName();
    m_view.showFileName(m_state.document.info.fileName);
    m_state.observers.prompter().inform(QStringLiteral(" Configuration SAVED "));
    return true;
}

bool UnitCommands::compareWithFile(const QString& path) {
    ConfigFileData data;
    if (!readCheckedFile(path, data))
        return false;
    const QList<ReviewRow> rows = fileDifferences(m_state, data);
    const QList<int> chosen = m_view.chooseFileRows(rows, QFileInfo(path).fileName());
    if (chosen.isEmpty())
        return true;
    loadChosenRows(m_state, rows, chosen);
    m_view.refreshActivePage();
    return true;
}

} // namespace hvc
