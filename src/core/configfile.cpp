#include "core/configfile.h"

#include "core/infoblock.h"
#include "core/stringeval.h"
#include "core/textfile.h"
#include "core/transfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace hvc {

namespace {

const QString kColumnTitle = QStringLiteral("Variable Name");

QString separator() {
    return QString::fromLatin1(kSeparatorLine);
}

QString cleanItem(QString item) {
    qsizetype start = 0;
    while (start < item.size() && (item[start] == u' ' || item[start] == u'\t'))
        ++start;
    item.remove(0, start);
    if (item.size() >= 2 && item.startsWith(u'"') && item.endsWith(u'"'))
        item = item.mid(1, item.size() - 2);
    return item;
}

// The rename is durable only once the folder entry is on disk too.
void syncFolder(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Blanks, an optional sign, then a digit (or a decimal point and a digit).
bool startsWithNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    if (i < text.size() && text[i] == u'.')
        ++i;
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
}

bool parseAddress(QString text, std::int32_t& address) {
    text.remove(u'.');
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 8)
        return false;
    for (QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f')))
            return false;
    address = static_cast<std::int32_t>(text.toUInt(nullptr, 16));
    return true;
}

QString atLine(int line, const QString& text) {
    return QStringLiteral("line %1: %2").arg(line).arg(text);
}

// One data line; `skip` when the line is not a variable line.
QString parseDataLine(const QString& item, int line, const Catalogue& catalogue, ConfigEntry& entry,
                      bool& skip) {
    const QStringList fields = item.split(u'\t');
    skip = fields[0].isEmpty() || fields[0].contains(QLatin1String("---"));
    if (skip)
        return {};
    if (fields.size() < 3)
        return atLine(line, QStringLiteral("expected a name, an address and a value"));
    std::int32_t address = 0;
    if (!parseAddress(fields[1], address))
        return atLine(line,
                      QStringLiteral("'%1' is not a hexadecimal address").arg(excerpt(fields[1])));
    entry.position = catalogue.findByAddress(address);
    if (entry.position == 0)
        return atLine(line,
                      QStringLiteral("no variable has the address %1").arg(excerpt(fields[1])));
    const double value = numberPrefix(fields[2]);
    if (!startsWithNumber(fields[2]) || !(value >= std::numeric_limits<std::int32_t>::min()) ||
        !(value <= std::numeric_limits<std::int32_t>::max()))
        return atLine(line, QStringLiteral("'%1' is not a value").arg(excerpt(fields[2])));
    entry.value = toInteger(value);
    return {};
}

} // namespace

QString configValueText(std::int32_t value) {
    const auto magnitude = static_cast<qlonglong>(std::llabs(static_cast<long long>(value)));
    const QString digits = QStringLiteral("%1").arg(magnitude, 5, 10, QChar(u'0'));
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

QByteArray buildConfigFile(AppState& state) {
    const std::uint16_t mask = readKeyAll(state);
    Catalogue& catalogue = state.document.catalogue;
    const std::int32_t sections = catalogue.var(HvcId::HVC_NUM_PROP_REG).workingWord;
    QString text = buildInfoStr(state.document.info);
    text += kColumnTitle + QStringLiteral("\tAddress\tValue\r");
    for (int i = 1; i <= catalogue.varCount(); ++i) {
        const UnitVariable& r = catalogue[i];
        if ((r.pageMask & mask) == 0 || r.section >= sections)
            continue;
        text +=
            r.saveName + u'\t' + r.addressText() + u'\t' + configValueText(r.workingWord) + u'\r';
    }
    text += QStringLiteral("\r\n");
    return text.toLatin1();
}

Status saveConfigFile(AppState& state, const QString& path) {
    const auto notSaved = [](const QString& why) {
        return Status::failure(QString::fromLatin1(kConfigNotSaved), why);
    };
    // The save replaces the target by a new file: a FIFO or a device node (as
    // root, /dev/null) would be destroyed, so only a regular file or a new path.
    if (const QFileInfo target(path); target.exists() && !target.isFile())
        return notSaved(QStringLiteral("'%1' is not a regular file").arg(path));
    const QByteArray bytes = buildConfigFile(state);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return notSaved(QStringLiteral("cannot create '%1': %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return notSaved(QStringLiteral("cannot write '%1': %2").arg(path, reason));
    }
    if (!file.commit())
        return notSaved(QStringLiteral("cannot replace '%1': %2").arg(path, file.errorString()));
    syncFolder(path);
    return {};
}

QStringList readItems(const QString& text, bool* lastEnded) {
    QStringList items;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        items << cleanItem(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    const bool ended = start >= n;
    if (!ended)
        items << cleanItem(text.mid(start));
    if (lastEnded)
        *lastEnded = ended;
    return items;
}

namespace {

QString parseFileText(const QByteArray& bytes, const Catalogue& catalogue, ConfigFileData& out) {
    out = {};
    bool ended = false;
    const QStringList items = readItems(QString::fromLatin1(bytes), &ended);
    if (items.isEmpty() || !items[0].contains(separator()))
        return atLine(1, QStringLiteral("not a configuration file (no separator line)"));
    qsizetype i = 1;
    for (; i < items.size() && !items[i].contains(separator()); ++i)
        out.infoText += items[i] + QStringLiteral("\r\n");
    if (i >= items.size())
        return QStringLiteral("the information block is not closed by a separator line");
    ++i;
    if (i >= items.size() || items[i].section(u'\t', 0, 0) != kColumnTitle)
        return atLine(static_cast<int>(i) + 1, QStringLiteral("the column line is missing"));
    if (!ended)
        return QStringLiteral("the file is cut short (its last line has no line end)");
    for (++i; i < items.size(); ++i) {
        ConfigEntry entry;
        bool skip = false;
        QString status = parseDataLine(items[i], static_cast<int>(i) + 1, catalogue, entry, skip);
        if (!status.isEmpty()) {
            out = {};
            return status;
        }
        if (!skip)
            out.entries << entry;
    }
    return {};
}

QString readFileText(const QString& path, const Catalogue& catalogue, ConfigFileData& out) {
    out = {};
    QByteArray bytes;
    if (const Status read =
            readWholeFile(path, QStringLiteral("configuration file"), kMaxConfigFileSize, bytes);
        !read)
        return read.text();
    return parseFileText(bytes, catalogue, out);
}

Status loadFailure(const QString& why) {
    if (why.isEmpty())
        return {};
    return Status::failure(QString::fromLatin1(kErrorLoadingFile), why);
}

} // namespace

Status parseConfigFile(const QByteArray& bytes, const Catalogue& catalogue, ConfigFileData& out) {
    return loadFailure(parseFileText(bytes, catalogue, out));
}

Status readConfigFile(const QString& path, const Catalogue& catalogue, ConfigFileData& out) {
    return loadFailure(readFileText(path, catalogue, out));
}

void applyConfigFile(AppState& state, const ConfigFileData& data, const QString& fileTitle) {
    for (const ConfigEntry& e : data.entries) {
        UnitVariable& r = state.document.catalogue[e.position];
        r.takeFileWord(e.value);
        r.markWordWritten();
    }
    state.document.info = extractInfo(data.infoText, fileTitle);
}

Status loadConfigFile(AppState& state, const QString& path, const QString& fileTitle) {
    ConfigFileData data;
    if (Status status = readConfigFile(path, state.document.catalogue, data); !status)
        return status;
    applyConfigFile(state, data, fileTitle);
    return {};
}

bool fileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

bool pathExists(const QString& path) {
    return QFileInfo::exists(path);
}

} // namespace hvc
