#pragma once
// A unit for model tests without a serial line: it answers reads from a table,
// remembers what was asked, and can fail one read or run a hook before each read
// (the page letting events run).

#include "core/unitlink.h"

#include <functional>
#include <map>
#include <vector>

namespace hvc::test {

class ScriptedLink : public UnitLink {
public:
    std::map<std::int32_t, std::int32_t> words;
    std::vector<std::int32_t> reads;
    int failAt = -1; // index of the read that fails
    int writes = 0;
    int closes = 0;
    bool open = true;
    std::function<void(int)> beforeRead;

    Status openLink() override {
        open = true;
        return {};
    }
    void closeLink() override {
        open = false;
        ++closes;
    }
    bool isLinkOpen() const override { return open; }
    Status readE2(std::int32_t address, std::int32_t& value) override {
        return readRam(address, value);
    }
    Status readRam(std::int32_t address, std::int32_t& value) override {
        if (!open)
            return {}; // as the link procedures do: nothing read, no failure
        const int at = static_cast<int>(reads.size());
        if (beforeRead)
            beforeRead(at);
        reads.push_back(address);
        if (at == failAt)
            return Status::linkFailure(QStringLiteral("time-out after 1000 ms"));
        const auto it = words.find(address);
        value = it == words.end() ? 0 : it->second;
        return {};
    }
    Status writeE2(std::int32_t, std::int32_t) override {
        ++writes;
        return {};
    }
    Status writeRam(std::int32_t, std::int32_t) override {
        ++writes;
        return {};
    }
    Status sendCommand(std::int32_t, const QString&) override {
        ++writes;
        return {};
    }
};

} // namespace hvc::test
