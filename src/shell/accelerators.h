// Customised keyboard shortcuts among the global settings. The shortcut table (a fixed list
// of entries) belongs to the keyboard customisation; here are its entry type and how the
// entries the user changed are stored: Accelerators = their number, Accel%d (1 ... n) =
// "%4d%4d%4d%4d" of the entry's index in the table, key, command and flag byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velt {

struct AccelEntry {
    std::uint16_t key = 0;
    std::uint16_t command = 0;
    std::uint8_t flags = 0;
};

// Set in an entry the user changed; only those are stored.
inline constexpr std::uint8_t kAccelChanged = 0x8;

// One stored Accel%d value, decoded.
struct AccelRecord {
    int index = 0;  // position in the shortcut table, from 0
    AccelEntry entry;
};

// Settings keys and their values, in the order they are written.
using SettingKeyValues = std::vector<std::pair<std::string, std::string>>;

std::string EncodeAccel(const AccelRecord& record);

// Decodes one value. The fields are four columns wide and right-aligned, so each field ends
// at a fixed place: the index is the leading number, the key the four columns after it, the
// flags the last four columns and the command what lies between. This reads the plain form,
// a value whose leading blanks were dropped on the way, and a command of five digits alike.
// False for a value whose fields are not numbers or do not fit their types.
bool DecodeAccel(std::string_view value, AccelRecord& out);

// The stored records with kAccelChanged added to their flags; a later key for the same
// index replaces an earlier one. Sorted by index.
std::vector<AccelRecord> ReadAcceleratorRecords(const std::string& file, std::string_view section);

// Stores key and flags of each record into the entry at its index; the command stays the
// table's own. Records beyond the table are ignored.
void ApplyAccelerators(const std::vector<AccelRecord>& records, std::vector<AccelEntry>& table);

// ReadAcceleratorRecords then ApplyAccelerators.
void ReadAccelerators(const std::string& file, std::string_view section,
                      std::vector<AccelEntry>& table);

// The entries of `table` that carry kAccelChanged, in table order.
std::vector<AccelRecord> ChangedAccelerators(const std::vector<AccelEntry>& table);

// The keys of a record list as they are stored: Accelerators, then Accel1 ... n.
SettingKeyValues AcceleratorKeyValues(const std::vector<AccelRecord>& records);

// Writes the changed entries of `table`; stops at, and returns false for, the first key that
// cannot be written.
bool WriteAccelerators(const std::string& file, std::string_view section,
                       const std::vector<AccelEntry>& table);

}  // namespace velt
