#include "core/catalogue.h"

#include "core/prompter.h"
#include "core/stringeval.h"
#include "core/textfile.h"

#include <QHash>

namespace hvc {

namespace {

constexpr const char* kIdNames[] = {
#define HVC_ID_NAME(name) #name,
    HVC_IDS(HVC_ID_NAME)
#undef HVC_ID_NAME
};

const QHash<QString, HvcId>& idsByName() {
    static const QHash<QString, HvcId> kTable = [] {
        QHash<QString, HvcId> t;
        for (int i = 0; i < kHvcIdCount; ++i)
            t.insert(QString::fromLatin1(kIdNames[i]), static_cast<HvcId>(i));
        return t;
    }();
    return kTable;
}

} // namespace

Catalogue::Catalogue() {
    m_missingReporter = [](const QString& id) {
        qWarning("variable map has no line for %s; it reads as 0", qPrintable(id));
    };
}

bool Catalogue::loadCatalogue(const QString& path, Prompter& prompter) {
    QByteArray bytes;
    if (const Status read =
            readWholeFile(path, QStringLiteral("variable map"), kMaxListFileSize, bytes);
        !read) {
        m_count = 0;
        m_warnings.clear();
        m_lastError = read.text();
        prompter.informDetailed(QString::fromLatin1(kRamlistMessage), m_lastError);
        return false;
    }
    return loadCatalogueText(QString::fromLatin1(bytes), prompter, path);
}

bool Catalogue::loadCatalogueText(const QString& text, Prompter& prompter, const QString& source) {
    m_count = 0;
    m_lastError.clear();
    m_warnings.clear();
    const QString where = source.isEmpty() ? QString() : QStringLiteral("'%1', ").arg(source);
    const auto atLine = [&where](qsizetype i, const QString& what) {
        return where + QStringLiteral("line %1: %2").arg(i + 1).arg(what);
    };
    const QStringList lines = splitLines(text);
    QString fault;
    if (lines.isEmpty())
        fault = where + QStringLiteral("the file is empty (not even the header line)");
    for (int i = 1; fault.isEmpty() && i < lines.size(); ++i) {
        if (i > kMaxVars) {
            fault = atLine(i, QStringLiteral("more than %1 variable lines").arg(kMaxVars));
            break;
        }
        m_table[static_cast<size_t>(i)] = std::make_unique<UnitVariable>();
        UnitVariable& record = *m_table[static_cast<size_t>(i)];
        record.index = static_cast<std::int16_t>(i);
        const QString& lineText = lines.at(i);
        if (const Status loaded = record.load(lineText, *this); !loaded) {
            fault = atLine(i, loaded.text());
            break;
        }
        record.takeUnitWord(record.defaultValue);
        if (lineText.trimmed().isEmpty())
            m_warnings << atLine(i, QStringLiteral("blank line; it is taken as a variable with "
                                                   "no name at address 0000.00, every field 0"));
        else if (!lineText.contains(u'\t'))
            m_warnings << atLine(i, QStringLiteral("only a name ('%1'); it is taken as a variable "
                                                   "at address 0000.00, every other field 0")
                                        .arg(excerpt(lineText)));
    }
    if (!fault.isEmpty()) {
        m_lastError = fault;
        prompter.informDetailed(QString::fromLatin1(kRamlistMessage), fault);
        return false;
    }
    m_count = static_cast<int>(lines.size()) - 1;
    return true;
}

void Catalogue::freeCatalogue() {
    for (int i = 1; i <= m_count; ++i)
        m_table[static_cast<size_t>(i)].reset();
    m_count = 0;
}

UnitVariable& Catalogue::operator[](int i) const {
    if (UnitVariable* r = varTable(i))
        return *r;
    m_emptySlot = UnitVariable();
    return m_emptySlot;
}

UnitVariable* Catalogue::varTable(int i) const {
    if (i <= 0 || i >= kSlots)
        return nullptr;
    return m_table[static_cast<size_t>(i)].get();
}

void Catalogue::registerId(const QString& identifier, int position) {
    if (identifier.isEmpty())
        return;
    const auto it = idsByName().constFind(identifier);
    if (it != idsByName().constEnd())
        m_ids[static_cast<size_t>(*it)] = static_cast<std::int16_t>(position);
}

UnitVariable* Catalogue::find(HvcId id) const {
    return varTable(idIndex(id));
}

UnitVariable& Catalogue::var(HvcId id) {
    if (UnitVariable* record = find(id))
        return *record;
    auto& reported = m_reported[static_cast<size_t>(id)];
    if (!reported && m_missingReporter)
        m_missingReporter(QString::fromLatin1(idName(id)));
    reported = true;
    m_blank = UnitVariable();
    return m_blank;
}

int Catalogue::findByName(const QString& nameOrId) const {
    if (const auto id = idFromName(nameOrId)) {
        if (const int pos = idIndex(*id); varTable(pos) != nullptr)
            return pos;
    }
    for (int i = 1; i <= m_count; ++i)
        if (varTable(i)->name == nameOrId)
            return i;
    std::int32_t address = 0;
    if (parseAddressText(nameOrId, address))
        return findByAddress(address);
    return 0;
}

int Catalogue::findByAddress(std::int32_t address) const {
    for (int i = 1; i <= m_count; ++i)
        if (varTable(i)->address == address)
            return i;
    return 0;
}

QString Catalogue::identifierAt(int position) const {
    if (position <= 0)
        return {};
    for (int i = 0; i < kHvcIdCount; ++i)
        if (m_ids[static_cast<size_t>(i)] == position)
            return QString::fromLatin1(kIdNames[i]);
    return {};
}

const char* Catalogue::idName(HvcId id) {
    return kIdNames[static_cast<int>(id)];
}

std::optional<HvcId> Catalogue::idFromName(const QString& name) {
    const auto it = idsByName().constFind(name);
    if (it == idsByName().constEnd())
        return std::nullopt;
    return *it;
}

} // namespace hvc
