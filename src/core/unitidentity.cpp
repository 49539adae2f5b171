#include "core/unitidentity.h"

#include "core/appstate.h"
#include "core/unitlink.h"

namespace hvc {

QString UnitIdentity::key() const {
    if (!known)
        return QStringLiteral("?|") + port;
    return model + u'|' + serial + u'|' + firmware;
}

QString UnitIdentity::text() const {
    if (!known)
        return QString::fromLatin1(kUnknownUnit) + QStringLiteral(" on ") + port;
    return QStringLiteral("%1 serial %2 firmware %3").arg(model, serial, firmware);
}

QString unitModelText(int sections) {
    if (sections >= 1 && sections <= 4)
        return QStringLiteral("VCU %1W").arg(sections);
    return QStringLiteral("---");
}

QString firmwareText(int v) {
    if (v == 0)
        return QStringLiteral("----");
    const QString s = QString::number(v).rightJustified(5, u'0');
    // Always two fraction digits: a one- or two-digit version would otherwise
    // lose its last digit (5 is v000.05, not v000.0).
    return u'v' + s.left(3) + u'.' + s.mid(3, 2);
}

UnitIdentity unknownUnit(const QString& port) {
    UnitIdentity id;
    id.port = port;
    return id;
}

UnitIdentity identityFromCatalogue(const Catalogue& catalogue) {
    const UnitVariable* serial = catalogue.find(HvcId::HVC_SERIAL_NUMBER);
    const UnitVariable* version = catalogue.find(HvcId::HVC_PROG_VERS);
    const UnitVariable* sections = catalogue.find(HvcId::HVC_NUM_PROP_REG);
    UnitIdentity id;
    if (!serial || !version || !sections)
        return id;
    id.known = true;
    id.model = unitModelText(sections->shownValue);
    id.serial = QString::number(serial->unitWord);
    id.firmware = firmwareText(version->shownValue);
    return id;
}

UnitIdentity readUnitIdentity(AppState& state, const QString& port) {
    Catalogue& cat = state.document.catalogue;
    if (!state.session.link)
        return unknownUnit(port);
    for (HvcId which : {HvcId::HVC_SERIAL_NUMBER, HvcId::HVC_PROG_VERS, HvcId::HVC_NUM_PROP_REG}) {
        UnitVariable* r = cat.find(which);
        std::int32_t value = 0;
        if (!r || !state.session.link->readE2(r->address, value))
            return unknownUnit(port);
        r->takeUnitWord(value);
        state.document.unitWords.seen(r->address, value);
    }
    UnitIdentity id = identityFromCatalogue(cat);
    if (!id.known)
        id.port = port;
    state.session.unit = id;
    return id;
}

} // namespace hvc
