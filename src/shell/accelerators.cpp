#include "shell/accelerators.h"

#include <algorithm>
#include <map>

#include "platform/profile_store.h"
#include "shell/messages.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr std::size_t kFieldWidth = 4;

// A right-aligned field: blanks, an optional minus sign, then at least one digit.
bool ParseField(std::string_view field, long lo, long hi, long& out) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    bool negative = false;
    if (i < field.size() && field[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == field.size()) return false;
    long n = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9') return false;
        n = n * 10 + (field[i] - '0');
        if (n > 99999) return false;  // wider than any field can be
    }
    if (negative) n = -n;
    if (n < lo || n > hi) return false;
    out = n;
    return true;
}

// Decodes with the command field `commandWidth` columns wide.
bool DecodeWith(std::string_view v, std::size_t commandWidth, AccelRecord& out) {
    if (v.size() < commandWidth + 2 * kFieldWidth + 1) return false;
    const std::size_t indexEnd = v.size() - commandWidth - 2 * kFieldWidth;
    if (indexEnd > kFieldWidth) return false;
    long index, key, command, flags;
    if (!ParseField(v.substr(0, indexEnd), 0, 9999, index) ||
        !ParseField(v.substr(indexEnd, kFieldWidth), 0, 0xFFFF, key) ||
        !ParseField(v.substr(indexEnd + kFieldWidth, commandWidth), 0, 0xFFFF, command) ||
        !ParseField(v.substr(v.size() - kFieldWidth), 0, 0xFF, flags))
        return false;
    out.index = static_cast<int>(index);
    out.entry.key = static_cast<std::uint16_t>(key);
    out.entry.command = static_cast<std::uint16_t>(command);
    out.entry.flags = static_cast<std::uint8_t>(flags);
    return true;
}

}  // namespace

std::string EncodeAccel(const AccelRecord& r) {
    return FormatText("%4d%4d%4d%4d", r.index, r.entry.key, r.entry.command, r.entry.flags);
}

bool DecodeAccel(std::string_view value, AccelRecord& out) {
    // A command id of 10000 or more takes five columns; every other field fits its four.
    return DecodeWith(value, kFieldWidth, out) || DecodeWith(value, kFieldWidth + 1, out);
}

std::vector<AccelRecord> ReadAcceleratorRecords(const std::string& file, std::string_view section) {
    const long count = pf::ProfileGetNumber(file, section, "Accelerators", 0);
    // No more values can exist than the section has keys; a damaged count must not cost
    // billions of look-ups.
    const long limit =
        std::min<long>(count, static_cast<long>(pf::ProfileKeys(file, section).size()));
    std::map<int, AccelRecord> byIndex;
    for (long k = 1; k <= limit; ++k) {
        const std::string value =
            pf::ProfileGetString(file, section, FormatText("Accel%ld", k), "");
        AccelRecord r;
        if (!DecodeAccel(value, r)) continue;
        r.entry.flags |= kAccelChanged;
        byIndex[r.index] = r;
    }
    std::vector<AccelRecord> records;
    for (const auto& [index, r] : byIndex) records.push_back(r);
    return records;
}

void ApplyAccelerators(const std::vector<AccelRecord>& records, std::vector<AccelEntry>& table) {
    for (const AccelRecord& r : records) {
        if (r.index < 0 || static_cast<std::size_t>(r.index) >= table.size()) continue;
        table[r.index].key = r.entry.key;
        table[r.index].flags = r.entry.flags | kAccelChanged;
    }
}

void ReadAccelerators(const std::string& file, std::string_view section,
                      std::vector<AccelEntry>& table) {
    ApplyAccelerators(ReadAcceleratorRecords(file, section), table);
}

std::vector<AccelRecord> ChangedAccelerators(const std::vector<AccelEntry>& table) {
    std::vector<AccelRecord> records;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].flags & kAccelChanged) records.push_back({static_cast<int>(i), table[i]});
    return records;
}

SettingKeyValues AcceleratorKeyValues(const std::vector<AccelRecord>& records) {
    SettingKeyValues kv;
    kv.emplace_back("Accelerators", std::to_string(records.size()));
    for (std::size_t k = 0; k < records.size(); ++k)
        kv.emplace_back(FormatText("Accel%zu", k + 1), EncodeAccel(records[k]));
    return kv;
}

bool WriteAccelerators(const std::string& file, std::string_view section,
                       const std::vector<AccelEntry>& table) {
    for (const auto& [key, value] : AcceleratorKeyValues(ChangedAccelerators(table)))
        if (!pf::ProfileWriteString(file, section, key, std::string_view(value))) return false;
    return true;
}

}  // namespace velt
