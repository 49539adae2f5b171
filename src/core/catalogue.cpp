#include "core/catalogue.h"

#include "core/prompter.h"

#include <QFile>
#include <QHash>

namespace hvc {

namespace {

constexpr const char* kIdNames[] = {
#define HVC_ID_NAME(name) #name,
    HVC_IDS(HVC_ID_NAME)
#undef HVC_ID_NAME
};

const QHash<QString, HvcId>& idsByName() {
    static const QHash<QString, HvcId> table = [] {
        QHash<QString, HvcId> t;
        for (int i = 0; i < kHvcIdCount; ++i)
            t.insert(QString::fromLatin1(kIdNames[i]), static_cast<HvcId>(i));
        return t;
    }();
    return table;
}

// Lines end at CR LF, LF or a lone CR; a final line end does not start another line.
QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

} // namespace

Catalogue::Catalogue() {
    m_missingReporter = [](const QString& id) {
        qWarning("variable map has no line for %s; it reads as 0", qPrintable(id));
    };
}

bool Catalogue::LoadCatalogue(const QString& path, Prompter& prompter) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_count = 0;
        prompter.inform(QString::fromLatin1(kRamlistMessage));
        return false;
    }
    return LoadCatalogueText(QString::fromLatin1(file.readAll()), prompter);
}

bool Catalogue::LoadCatalogueText(const QString& text, Prompter& prompter) {
    m_count = 0;
    const QStringList lines = splitLines(text);
    bool ok = !lines.isEmpty(); // not even a header line
    for (int i = 1; ok && i < lines.size(); ++i) {
        if (i > kMaxVars) {
            ok = false;
            break;
        }
        m_table[static_cast<size_t>(i)] = std::make_unique<CVarData>();
        CVarData& record = *m_table[static_cast<size_t>(i)];
        record.Index = static_cast<std::int16_t>(i);
        ok = record.Load(lines.at(i), *this);
        if (ok)
            record.ReadE2FromECU(record.DefaultValue);
    }
    if (!ok) {
        prompter.inform(QString::fromLatin1(kRamlistMessage));
        return false;
    }
    m_count = static_cast<int>(lines.size()) - 1;
    return true;
}

void Catalogue::FreeCatalogue() {
    for (int i = 1; i <= m_count; ++i)
        m_table[static_cast<size_t>(i)].reset();
    m_count = 0;
}

CVarData* Catalogue::VarTable(int i) const {
    if (i <= 0 || i >= kSlots)
        return nullptr;
    return m_table[static_cast<size_t>(i)].get();
}

void Catalogue::RegisterId(const QString& identifier, int position) {
    if (identifier.isEmpty())
        return;
    const auto it = idsByName().constFind(identifier);
    if (it != idsByName().constEnd())
        m_ids[static_cast<size_t>(*it)] = static_cast<std::int16_t>(position);
}

CVarData* Catalogue::Find(HvcId id) const {
    return VarTable(IdIndex(id));
}

CVarData& Catalogue::Var(HvcId id) {
    if (CVarData* record = Find(id))
        return *record;
    auto& reported = m_reported[static_cast<size_t>(id)];
    if (!reported && m_missingReporter)
        m_missingReporter(QString::fromLatin1(IdName(id)));
    reported = true;
    m_blank = CVarData();
    return m_blank;
}

int Catalogue::FindByName(const QString& nameOrId) const {
    if (const auto id = IdFromName(nameOrId)) {
        if (const int pos = IdIndex(*id); VarTable(pos) != nullptr)
            return pos;
    }
    for (int i = 1; i <= m_count; ++i)
        if (VarTable(i)->Name == nameOrId)
            return i;
    std::int32_t address = 0;
    if (ParseAddressText(nameOrId, address))
        return FindByAddress(address);
    return 0;
}

int Catalogue::FindByAddress(std::int32_t address) const {
    for (int i = 1; i <= m_count; ++i)
        if (VarTable(i)->Address == address)
            return i;
    return 0;
}

QString Catalogue::IdentifierAt(int position) const {
    if (position <= 0)
        return {};
    for (int i = 0; i < kHvcIdCount; ++i)
        if (m_ids[static_cast<size_t>(i)] == position)
            return QString::fromLatin1(kIdNames[i]);
    return {};
}

const char* Catalogue::IdName(HvcId id) {
    return kIdNames[static_cast<int>(id)];
}

std::optional<HvcId> Catalogue::IdFromName(const QString& name) {
    const auto it = idsByName().constFind(name);
    if (it == idsByName().constEnd())
        return std::nullopt;
    return *it;
}

} // namespace hvc
