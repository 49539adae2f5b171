#include "core/diagnosticlist.h"

#include "core/prompter.h"
#include "core/status.h"
#include "core/stringeval.h"
#include "core/textfile.h"
#include "core/unitvariable.h"

#include <QStringList>

#include <utility>

namespace hvc {

namespace {

// One of the three number fields of a line; a failure says what is wrong with it.
Status numberField(QString& line, const char* name, std::int16_t& out) {
    const QString field = nextField(line);
    std::int32_t value = 0;
    if (parseIntField(field, -32768, 32767, value)) {
        out = static_cast<std::int16_t>(value);
        return {};
    }
    const QLatin1String what(name);
    return Status::failure(
        field.isEmpty() ? QStringLiteral("%1 is empty").arg(what)
                        : QStringLiteral("%1 '%2' is not a whole number from -32768 to 32767")
                              .arg(what, excerpt(field)));
}

} // namespace

void DiagnosticMessage::load(QString auxString) {
    errorId.clear();
    description.clear();
    note.clear();
    bitText = nextField(auxString);
    QString* const rest[] = {&key, &errorId, &description, &note};
    for (QString* field : rest) {
        if (auxString.isEmpty())
            break;
        *field = nextField(auxString);
    }
}

bool DiagnosticList::loadDiagnosticList(const QString& path, Prompter& prompter) {
    clear();
    QByteArray bytes;
    if (const Status read =
            readWholeFile(path, QStringLiteral("message list"), kMaxListFileSize, bytes);
        !read)
        return fail(read.text(), prompter);
    return loadDiagnosticListText(QString::fromLatin1(bytes), prompter, path);
}

bool DiagnosticList::loadDiagnosticListText(const QString& text, Prompter& prompter,
                                            const QString& source) {
    clear();
    m_lastError.clear();
    const QString where = source.isEmpty() ? QString() : QStringLiteral("'%1', ").arg(source);
    const QStringList lines = splitLines(text);
    if (lines.isEmpty())
        return fail(where + QStringLiteral("the file is empty (not even the header line)"),
                    prompter);
    int lastRow = -1;
    for (int i = 1; i < lines.size(); ++i) {
        const auto fault = [&](const QString& why) {
            return fail(where + QStringLiteral("line %1: %2").arg(i + 1).arg(why), prompter);
        };
        QString line = lines.at(i);
        std::int16_t row = 0;
        std::int16_t bit = 0;
        std::int16_t first = 0;
        Status read = numberField(line, "row number", row);
        if (read)
            read = numberField(line, "bit number", bit);
        if (read)
            read = numberField(line, "first number", first);
        if (!read)
            return fault(read.text());
        if (row < 0 || row >= kRows)
            return fault(QStringLiteral("row %1 is outside 0-%2").arg(row).arg(kRows - 1));
        if (bit < 0 || bit >= kBits)
            return fault(QStringLiteral("bit %1 is outside 0-%2").arg(bit).arg(kBits - 1));
        auto record = std::make_unique<DiagnosticMessage>();
        record->load(std::move(line));
        record->firstNumber = first;
        m_table[static_cast<size_t>(row)][static_cast<size_t>(bit)] = std::move(record);
        lastRow = row;
    }
    m_groupCount = lastRow + 1 > 0 ? lastRow + 1 : 1;
    return true;
}

bool DiagnosticList::fail(const QString& reason, Prompter& prompter) {
    m_groupCount = 0;
    m_lastError = reason;
    prompter.informDetailed(QString::fromLatin1(kDiagnosticListMessage), reason);
    return false;
}

const DiagnosticMessage* DiagnosticList::record(int row, int bit) const {
    if (row < 0 || row >= kRows || bit < 0 || bit >= kBits)
        return nullptr;
    return m_table[static_cast<size_t>(row)][static_cast<size_t>(bit)].get();
}

void DiagnosticList::clear() {
    for (auto& row : m_table)
        for (auto& record : row)
            record.reset();
    m_groupCount = 0;
}

QString DiagnosticList::itemText(const QString& key, int bit) {
    return key + QStringLiteral(" - ") + QString::number(1 << bit);
}

} // namespace hvc
