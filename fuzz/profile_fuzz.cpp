// Initialisation files come from anywhere: any bytes must parse, serialize back unchanged,
// and survive edits with the profile rules intact.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_store.h"

using velt::platform::ProfileText;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::size_t len = nl == std::string_view::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(0, len));
        text.remove_prefix(len);
    }
    return lines;
}

// Everything a reader can see of a text.
struct View {
    std::vector<std::string> sections;
    std::vector<std::vector<std::string>> keys;
    std::vector<std::vector<std::string>> values;
    bool operator==(const View&) const = default;
};

View Look(const ProfileText& t) {
    View v;
    v.sections = t.Sections();
    for (const std::string& s : v.sections) {
        v.keys.push_back(t.Keys(s));
        v.values.emplace_back();
        for (const std::string& k : v.keys.back()) {
            std::string value;
            Check(t.Get(s, k, value));
            v.values.back().push_back(value);
        }
    }
    return v;
}

// The tail of the input steers the edits; names and values are cut from the input itself
// or taken from what the file already holds.
class Steering {
  public:
    explicit Steering(std::string_view input) : input_(input), pos_(input.size()) {}
    bool More() const { return pos_ > 0; }
    unsigned Byte() { return pos_ > 0 ? static_cast<unsigned char>(input_[--pos_]) : 0; }
    std::string Slice() {
        if (input_.empty()) return "";
        std::size_t high = Byte();
        std::size_t at = (high * 256 + Byte()) % input_.size();
        std::size_t len = Byte() % 12;
        return std::string(input_.substr(at, len));
    }
    std::string Pick(const std::vector<std::string>& names) {
        return names.empty() ? Slice() : names[Byte() % names.size()];
    }

  private:
    std::string_view input_;
    std::size_t pos_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ProfileText text;
    text.Parse(input);
    Check(text.Serialize() == input);
    Look(text);

    Steering steer(input);
    for (int op = 0; op < 8 && steer.More(); ++op) {
        unsigned code = steer.Byte();
        std::vector<std::string> sections = text.Sections();
        std::string section = code & 4 ? steer.Slice() : steer.Pick(sections);
        std::string key = code & 8 ? steer.Slice() : steer.Pick(text.Keys(section));
        std::string value = steer.Slice();
        switch (code % 4) {
            case 0: {
                std::string old;
                bool existed = text.Get(section, key, old);
                std::string before = text.Serialize();
                bool changed = text.Set(section, key, &value);
                if (!ProfileText::CanStore(section, key, &value)) {
                    Check(!changed && text.Serialize() == before);
                    break;
                }
                std::string got;
                Check(text.Get(section, key, got) && got == value);
                if (existed) {
                    // Only the key's own line may differ.
                    std::vector<std::string_view> a = SplitLines(before);
                    std::string after = text.Serialize();
                    std::vector<std::string_view> b = SplitLines(after);
                    Check(a.size() == b.size());
                    int differing = 0;
                    for (std::size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
                    Check(differing == (changed ? 1 : 0));
                }
                break;
            }
            case 1:
                text.Set(section, key, nullptr);
                break;
            case 2:
                // A later duplicate may take the removed section's place, nothing more.
                if (text.RemoveSection(section)) Check(text.Sections().size() <= sections.size());
                break;
            default: {
                std::string got;
                text.Get(section, key, got);
                break;
            }
        }
    }

    // What was edited reads the same after a trip through the bytes.
    std::string bytes = text.Serialize();
    ProfileText again;
    again.Parse(bytes);
    Check(Look(again) == Look(text));
    Check(again.Serialize() == bytes);
    return 0;
}
