#include "platform/profile_store.h"

#include <sys/stat.h>

#include <climits>
#include <iterator>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/files.h"

namespace velt::platform {

namespace {

enum class Eol : std::uint8_t { kNone, kLf, kCrLf };
enum class Kind : std::uint8_t { kOther, kHeader, kKey };

struct Line {
    std::string text;  // without its terminator
    Eol eol = Eol::kNone;
    Kind kind = Kind::kOther;
};

using LineList = std::list<Line>;
using LineIt = LineList::iterator;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Lower(c);
    return r;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

Kind Classify(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty() || t.front() == ';') return Kind::kOther;
    if (t.front() == '[') return Kind::kHeader;
    return t.find('=') != std::string_view::npos ? Kind::kKey : Kind::kOther;
}

std::string_view HeaderName(std::string_view text) {
    std::string_view t = Trim(text);
    t.remove_prefix(1);  // the '['
    return Trim(t.substr(0, t.find(']')));
}

std::string_view KeyName(std::string_view text) {
    return Trim(text.substr(0, text.find('=')));
}

std::string_view KeyValue(std::string_view text) {
    std::string_view v = Trim(text.substr(text.find('=') + 1));
    if (v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back()) v = v.substr(1, v.size() - 2);
    return v;
}

// A value that would lose blanks or quotes on the way back is written inside a pair of
// double quotes, which the reader strips again.
std::string EncodedValue(const std::string& value) {
    bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back()) quote = true;
    return quote ? '"' + value + '"' : value;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

struct ProfileText::Impl {
    struct Section {
        LineIt header;
        std::string name;                              // as spelt in the file
        std::unordered_map<std::string, LineIt> keys;  // folded name -> first key line
        LineIt lastKey;                                // the header when there are no keys
    };
    using SectionList = std::list<Section>;
    using SectionIt = SectionList::iterator;

    LineList lines;
    SectionList sections;  // every header in file order, duplicates included
    std::unordered_map<std::string, SectionIt> byName;  // folded name -> first section
    Eol newline = Eol::kCrLf;

    LineIt End(SectionIt s) {
        auto next = std::next(s);
        return next == sections.end() ? lines.end() : next->header;
    }

    const Section* Find(std::string_view name) const {
        auto it = byName.find(Folded(name));
        return it == byName.end() ? nullptr : &*it->second;
    }

    SectionIt FindIt(std::string_view name) {
        auto it = byName.find(Folded(name));
        return it == byName.end() ? sections.end() : it->second;
    }

    static void AddKey(Section& s, LineIt line) {
        s.keys.emplace(Folded(KeyName(line->text)), line);
        s.lastKey = line;
    }

    void Reindex(SectionIt s) {
        s->keys.clear();
        s->lastKey = s->header;
        for (LineIt it = std::next(s->header), end = End(s); it != end; ++it)
            if (it->kind == Kind::kKey) AddKey(*s, it);
    }

    // A line about to get a successor must end with a terminator.
    void Terminate(LineIt line) {
        if (line->eol == Eol::kNone) line->eol = newline;
    }
};

ProfileText::ProfileText() : impl_(std::make_unique<Impl>()) {}
ProfileText::~ProfileText() = default;

void ProfileText::Parse(std::string_view bytes) {
    impl_ = std::make_unique<Impl>();
    Impl& d = *impl_;
    bool styleFound = false;
    Impl::Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string_view::npos) {
            line.text.assign(bytes.substr(pos));
            pos = bytes.size();
        } else {
            std::size_t end = nl;
            line.eol = Eol::kLf;
            if (end > pos && bytes[end - 1] == '\r') {
                --end;
                line.eol = Eol::kCrLf;
            }
            line.text.assign(bytes.substr(pos, end - pos));
            pos = nl + 1;
            if (!styleFound) {
                d.newline = line.eol;
                styleFound = true;
            }
        }
        line.kind = Classify(line.text);
        LineIt it = d.lines.insert(d.lines.end(), std::move(line));
        if (it->kind == Kind::kHeader) {
            Impl::SectionIt s = d.sections.insert(
                d.sections.end(), Impl::Section{it, std::string(HeaderName(it->text)), {}, it});
            d.byName.emplace(Folded(s->name), s);
            current = &*s;
        } else if (it->kind == Kind::kKey && current) {
            Impl::AddKey(*current, it);
        }
    }
}

std::string ProfileText::Serialize() const {
    std::size_t size = 0;
    for (const Line& l : impl_->lines) size += l.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Line& l : impl_->lines) {
        out += l.text;
        if (l.eol == Eol::kCrLf)
            out += "\r\n";
        else if (l.eol == Eol::kLf)
            out += '\n';
    }
    return out;
}

bool ProfileText::Get(std::string_view section, std::string_view key, std::string& value) const {
    const Impl::Section* s = impl_->Find(section);
    if (!s) return false;
    auto it = s->keys.find(Folded(key));
    if (it == s->keys.end()) return false;
    value.assign(KeyValue(it->second->text));
    return true;
}

bool ProfileText::CanStore(std::string_view section, std::string_view key,
                           const std::string* value) {
    // Anything else would not read back as written, or would let a value inject lines.
    if (HasLineBreak(section) || section.find(']') != std::string_view::npos ||
        Trim(section) != section)
        return false;
    if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        Trim(key) != key || key.front() == ';' || key.front() == '[')
        return false;
    return !value || !HasLineBreak(*value);
}

bool ProfileText::Set(std::string_view section, std::string_view key, const std::string* value) {
    if (!CanStore(section, key, value)) return false;
    Impl& d = *impl_;
    Impl::SectionIt s = d.FindIt(section);
    if (!value) {
        if (s == d.sections.end()) return false;
        auto k = s->keys.find(Folded(key));
        if (k == s->keys.end()) return false;
        d.lines.erase(k->second);
        // A later duplicate of the key now becomes the visible one.
        d.Reindex(s);
        return true;
    }
    std::string line = std::string(key) + '=' + EncodedValue(*value);
    if (s == d.sections.end()) {
        if (!d.lines.empty()) d.Terminate(std::prev(d.lines.end()));
        LineIt header = d.lines.insert(
            d.lines.end(), Line{'[' + std::string(section) + ']', d.newline, Kind::kHeader});
        LineIt k = d.lines.insert(d.lines.end(), Line{std::move(line), d.newline, Kind::kKey});
        s = d.sections.insert(d.sections.end(),
                              Impl::Section{header, std::string(section), {}, header});
        d.byName.emplace(Folded(section), s);
        Impl::AddKey(*s, k);
        return true;
    }
    auto k = s->keys.find(Folded(key));
    if (k != s->keys.end()) {
        Line& existing = *k->second;
        if (KeyValue(existing.text) == *value) return false;
        existing.text = std::string(KeyName(existing.text)) + '=' + EncodedValue(*value);
        return true;
    }
    d.Terminate(s->lastKey);
    LineIt at = d.lines.insert(std::next(s->lastKey), Line{std::move(line), d.newline, Kind::kKey});
    Impl::AddKey(*s, at);
    return true;
}

bool ProfileText::RemoveSection(std::string_view section) {
    Impl& d = *impl_;
    Impl::SectionIt s = d.FindIt(section);
    if (s == d.sections.end()) return false;
    d.lines.erase(s->header, d.End(s));
    std::string folded = Folded(s->name);
    d.sections.erase(s);
    d.byName.erase(folded);
    // A later section of the same name now becomes the visible one.
    for (auto it = d.sections.begin(); it != d.sections.end(); ++it) {
        if (Folded(it->name) == folded) {
            d.byName.emplace(folded, it);
            break;
        }
    }
    return true;
}

std::vector<std::string> ProfileText::Sections() const {
    std::vector<std::string> out;
    for (auto it = impl_->sections.begin(); it != impl_->sections.end(); ++it)
        if (impl_->byName.at(Folded(it->name)) == it) out.push_back(it->name);
    return out;
}

std::vector<std::string> ProfileText::Keys(std::string_view section) const {
    std::vector<std::string> out;
    Impl::SectionIt s = impl_->FindIt(section);
    if (s == impl_->sections.end()) return out;
    for (LineIt it = std::next(s->header), end = impl_->End(s); it != end; ++it) {
        if (it->kind != Kind::kKey) continue;
        std::string_view name = KeyName(it->text);
        if (s->keys.at(Folded(name)) == it) out.emplace_back(name);
    }
    return out;
}

// ---- Files ----

namespace {

struct Signature {
    bool exists = false;
    std::int64_t mtimeNs = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    bool operator==(const Signature&) const = default;
};

Signature Stat(const std::string& path) {
    Signature sig;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return sig;
    sig.exists = true;
    sig.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    sig.size = st.st_size;
    sig.inode = st.st_ino;
    sig.device = st.st_dev;
    return sig;
}

struct CachedFile {
    ProfileText text;
    Signature sig;
    bool loaded = false;
    // An existing file that could not be read must not be overwritten with what we think
    // it holds, which is nothing.
    bool readable = true;
    int readDepth = 0;  // live ProfileReading objects
    int batchDepth = 0;
    bool batchWritable = false;
    bool batchDirty = false;
    bool batchRefused = false;
};

std::mutex gMutex;
std::map<std::string, CachedFile> gCache;

// Brings the cached text up to date with the disk; one stat when nothing changed. Pending
// batch changes are the newest state of the file and are kept.
// A write always looks at the disk, so that it never replaces what another program wrote.
CachedFile& Current(const std::string& path, bool forWrite = false) {
    CachedFile& f = gCache[path];
    if (f.batchDirty || (!forWrite && f.readDepth > 0 && f.loaded)) return f;
    Signature sig = Stat(path);
    if (f.loaded && sig == f.sig) return f;
    std::string bytes;
    f.readable = true;
    if (sig.exists && !ReadWholeFile(path, bytes)) {
        bytes.clear();
        f.readable = false;
    }
    f.text.Parse(bytes);
    f.sig = sig;
    f.loaded = true;
    return f;
}

template <typename Change>
bool Write(const std::string& path, Change change) {
    std::lock_guard lock(gMutex);
    CachedFile& f = Current(path, true);
    if (f.batchDepth > 0) {
        if (!f.batchWritable) {
            f.batchRefused = true;
            return false;
        }
        if (change(f.text)) f.batchDirty = true;
        return true;
    }
    if (!f.readable || !CanWriteFile(path)) return false;
    if (!change(f.text)) return true;
    if (!ReplaceFileAtomically(path, f.text.Serialize(), false)) {
        // The cache must not claim what the disk does not hold.
        gCache.erase(path);
        return false;
    }
    f.sig = Stat(path);
    return true;
}

}  // namespace

ProfileReading::ProfileReading(const std::string& path) : path_(path) {
    std::lock_guard lock(gMutex);
    ++Current(path_).readDepth;
}

ProfileReading::~ProfileReading() {
    std::lock_guard lock(gMutex);
    // The cache may have been dropped meanwhile; then there is nothing to release.
    auto it = gCache.find(path_);
    if (it != gCache.end() && it->second.readDepth > 0) --it->second.readDepth;
}

std::string ProfileGetString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view def) {
    std::lock_guard lock(gMutex);
    std::string value;
    if (!Current(path).text.Get(section, key, value)) value.assign(def);
    return value;
}

long ProfileGetNumber(const std::string& path, std::string_view section, std::string_view key,
                      long def) {
    std::string text;
    {
        std::lock_guard lock(gMutex);
        if (!Current(path).text.Get(section, key, text)) return def;
    }
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulated towards the sign so LONG_MIN fits; saturates instead of overflowing.
    long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (negative) {
            n = n < (LONG_MIN + digit) / 10 ? LONG_MIN : n * 10 - digit;
        } else {
            n = n > (LONG_MAX - digit) / 10 ? LONG_MAX : n * 10 + digit;
        }
    }
    return n;
}

bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        const std::string* value) {
    if (!ProfileText::CanStore(section, key, value)) return false;
    return Write(path, [&](ProfileText& t) { return t.Set(section, key, value); });
}

bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::string v(value);
    return ProfileWriteString(path, section, key, &v);
}

bool ProfileWriteNumber(const std::string& path, std::string_view section, std::string_view key,
                        long value) {
    return ProfileWriteString(path, section, key, std::to_string(value));
}

bool ProfileRemoveSection(const std::string& path, std::string_view section) {
    return Write(path, [&](ProfileText& t) { return t.RemoveSection(section); });
}

std::vector<std::string> ProfileSections(const std::string& path) {
    std::lock_guard lock(gMutex);
    return Current(path).text.Sections();
}

std::vector<std::string> ProfileKeys(const std::string& path, std::string_view section) {
    std::lock_guard lock(gMutex);
    return Current(path).text.Keys(section);
}

void ProfileForgetCache() {
    std::lock_guard lock(gMutex);
    // Files inside a batch hold changes not yet on disk.
    std::erase_if(gCache, [](const auto& entry) { return entry.second.batchDepth == 0; });
}

ProfileBatch::ProfileBatch(const std::string& path) : path_(path) {
    std::lock_guard lock(gMutex);
    CachedFile& f = Current(path_);
    if (f.batchDepth++ == 0) {
        f.batchWritable = f.readable && CanWriteFile(path_);
        f.batchDirty = false;
        f.batchRefused = false;
    }
    writable_ = f.batchWritable;
}

ProfileBatch::~ProfileBatch() {
    if (!done_) Commit();
}

bool ProfileBatch::Commit() {
    if (done_) return true;
    done_ = true;
    std::lock_guard lock(gMutex);
    CachedFile& f = gCache[path_];
    bool ok = !f.batchRefused;
    if (--f.batchDepth > 0) return ok;
    if (f.batchDirty) {
        f.batchDirty = false;
        if (ReplaceFileAtomically(path_, f.text.Serialize(), true)) {
            f.sig = Stat(path_);
        } else {
            gCache.erase(path_);
            ok = false;
        }
    }
    return ok;
}

}  // namespace velt::platform
