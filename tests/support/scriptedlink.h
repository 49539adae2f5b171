#pragma once
// A unit for model tests without a serial line: it answers reads from a table
// (or a function), logs every exchange, and can fail one read or a command, or
// run a hook before each read (the page letting events run).

#include "core/unitlink.h"
#include "core/unitvariable.h"

#include <QStringList>
#include <functional>
#include <map>
#include <vector>

namespace hvc::test {

class ScriptedLink : public UnitLink {
public:
    std::map<std::int32_t, std::int32_t> words; // the unit's words; writes change them
    std::vector<std::int32_t> reads;            // addresses read, in order
    QStringList log;                            // "rE2 0500.00", "wRAM 0500.00 7", "cmd 1024 x"
    int failAt = -1;                            // index of the read that fails
    bool failCommand = false;
    int writes = 0, opens = 0, closes = 0;
    bool open = true;
    std::function<void(int)> beforeRead;
    std::function<std::int32_t(std::int32_t)> answer; // when set, the value of every read

    Status openLink() override {
        ++opens;
        open = true;
        return {};
    }
    void closeLink() override {
        open = false;
        ++closes;
    }
    bool isLinkOpen() const override { return open; }
    Status readE2(std::int32_t a, std::int32_t& v) override { return get("rE2", a, v); }
    Status readRam(std::int32_t a, std::int32_t& v) override { return get("rRAM", a, v); }
    Status writeE2(std::int32_t a, std::int32_t v) override { return put("wE2", a, v); }
    Status writeRam(std::int32_t a, std::int32_t v) override { return put("wRAM", a, v); }
    Status sendCommand(std::int32_t code, const QString& text) override {
        ++writes;
        log << QStringLiteral("cmd %1 %2").arg(code).arg(text);
        return failCommand ? Status::linkFailure(QStringLiteral("refused")) : Status();
    }

private:
    Status get(const char* what, std::int32_t address, std::int32_t& value) {
        if (!open)
            return {}; // as the link procedures do: nothing read, no failure
        const int at = static_cast<int>(reads.size());
        if (beforeRead)
            beforeRead(at);
        reads.push_back(address);
        log << QStringLiteral("%1 %2").arg(QLatin1String(what), formatAddressText(address));
        if (at == failAt)
            return Status::linkFailure(QStringLiteral("time-out after 1000 ms"));
        const auto it = words.find(address);
        value = answer ? answer(address) : it == words.end() ? 0 : it->second;
        return {};
    }
    Status put(const char* what, std::int32_t address, std::int32_t value) {
        ++writes;
        log << QStringLiteral("%1 %2 %3")
                   .arg(QLatin1String(what), formatAddressText(address))
                   .arg(value);
        words[address] = value;
        return {};
    }
};

} // namespace hvc::test
