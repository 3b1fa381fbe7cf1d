#include "analysis/grep_search.h"

#include <string.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "editor/document_io.h"
#include "editor/language.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr std::size_t kBreak = static_cast<std::size_t>(kLoadLineBreak);

// Branch-free so that the compiler turns it into vector code: the whole piece is folded at
// once when case is ignored.
void FoldInto(char* to, const char* from, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(from[i]);
        to[i] = static_cast<char>(c - (static_cast<unsigned>(c - 'a') < 26u ? 32 : 0));
    }
}

bool IsWhole(const char* s, int n, int start, int end) {
    return (start == 0 || !IsIdentifierChar(s[start - 1])) &&
           (end >= n || !IsIdentifierChar(s[end]));
}

// How often a byte turns up in C sources, roughly: the literal is looked for by its rarest
// byte, so that few places need a closer look.
int Commonness(unsigned char c) {
    if (c == ' ' || c == '\t' || c == '\n') return 100;
    if (std::strchr("etaoinsr", c) && c) return 80;
    if (c == '_' || c == '*' || c == '(' || c == ')' || c == ';' || c == ',') return 60;
    if (std::strchr("qzjxkv", c) && c) return 15;
    if (c >= 'a' && c <= 'z') return 50;
    if (c == '0' || c == '1') return 35;
    if (c >= '2' && c <= '9') return 25;
    if (std::strchr("QZJXKV", c) && c) return 5;
    if (c >= 'A' && c <= 'Z') return 20;
    if (c >= 0x80) return 1;
    return 30;
}

}  // namespace

// ---- One line

unsigned GrepMatcher::Prepare(std::string_view expression, std::uint16_t flags) {
    flags_ = flags;
    ready_ = false;
    gaveUp_ = false;
    words_.clear();
    literal_.clear();
    regex_.Release();
    expression_.assign(expression);
    if (FoldsCase()) StrUpper(expression_);

    if (flags & kGrepSeveralWords) {
        std::size_t at = 0;
        while (at < expression_.size()) {
            const std::size_t blank = std::min(expression_.find(' ', at), expression_.size());
            if (blank > at) words_.push_back(expression_.substr(at, blank - at));
            at = blank + 1;
        }
        for (const std::string& w : words_)
            if (w.size() > literal_.size()) literal_ = w;
        ready_ = !words_.empty();
        return kRegexOk;
    }
    if (flags & kGrepRegex) {
        if (const unsigned e = regex_.Compile(expression_)) return e;
        // Every match holds the engine's literal: a line without it is skipped unread.
        literal_ = regex_.Literal();
        ready_ = true;
        return kRegexOk;
    }
    literal_ = expression_;
    ready_ = !expression_.empty();
    return kRegexOk;
}

bool GrepMatcher::MatchLine(const char* text, int length) {
    if (!FoldsCase()) return MatchPrepared(text, length);
    char local[kBreak + 1];
    std::string big;
    char* folded = local;
    if (length > static_cast<int>(sizeof local)) {
        big.resize(static_cast<std::size_t>(length));
        folded = big.data();
    }
    FoldInto(folded, text, static_cast<std::size_t>(length));
    return MatchPrepared(folded, length);
}

bool GrepMatcher::MatchPrepared(const char* text, int length) {
    if (!ready_ || length < 0) return false;
    if (flags_ & kGrepSeveralWords) {
        for (const std::string& w : words_)
            if (!FindPlain(text, length, w)) return false;
        return true;
    }
    if (flags_ & kGrepRegex) return FindRegex(text, length);
    return length >= static_cast<int>(expression_.size()) && FindPlain(text, length, expression_);
}

bool GrepMatcher::FindPlain(const char* text, int length, std::string_view what) const {
    const char* end = text + length;
    for (const char* from = text; end - from >= static_cast<std::ptrdiff_t>(what.size());) {
        const auto* hit = static_cast<const char*>(
            ::memmem(from, static_cast<std::size_t>(end - from), what.data(), what.size()));
        if (!hit) return false;
        const int start = static_cast<int>(hit - text);
        if (!(flags_ & kGrepWholeWords) ||
            IsWhole(text, length, start, start + static_cast<int>(what.size())))
            return true;
        from = hit + 1;
    }
    return false;
}

bool GrepMatcher::FindRegex(const char* text, int length) {
    const bool found = regex_.Exec(text, length);
    if (regex_.HitLimit() || regex_.Damaged()) gaveUp_ = true;
    if (!found) return false;
    if (!(flags_ & kGrepWholeWords)) return true;
    int start = regex_.GroupStart(0);
    int end = regex_.GroupEnd(0);
    // A match inside a longer word does not count; a later one on the line may.
    while (!IsWhole(text, length, start, end)) {
        int matchLength = 0;
        const bool again = regex_.FindAfter(text, length, start + 1, start, matchLength);
        if (regex_.HitLimit() || regex_.Damaged()) gaveUp_ = true;
        if (!again) return false;
        end = start + matchLength;
    }
    return true;
}

// ---- One file

GrepFileScanner::GrepFileScanner(GrepMatcher& matcher, std::size_t chunk)
    : m_(matcher), chunk_(std::max<std::size_t>(chunk, 1)) {}

void GrepFileScanner::Begin(const GrepLineSink& sink) {
    sink_ = &sink;
    filled_ = 0;
    line_ = 0;
    slow_.clear();
    inSlowLine_ = false;
    if (buf_.size() != chunk_) buf_.assign(chunk_, '\0');
    if (m_.FoldsCase() && folded_.size() != chunk_) folded_.assign(chunk_, '\0');
    if (literal_ != m_.Literal()) {
        literal_.assign(m_.Literal());
        rareAt_ = 0;
        for (std::size_t i = 1; i < literal_.size(); ++i)
            if (Commonness(static_cast<unsigned char>(literal_[i])) <
                Commonness(static_cast<unsigned char>(literal_[rareAt_])))
                rareAt_ = i;
    }
}

bool GrepFileScanner::ScanFile(const std::string& path, const GrepLineSink& sink) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // Whole pieces go straight into our buffer.
    std::setvbuf(f, nullptr, _IONBF, 0);
    Begin(sink);
    bool ok = true;
    for (;;) {
        if (cancel_ && cancel_->load(std::memory_order_relaxed)) break;
        const std::size_t want = buf_.size() - filled_;
        const std::size_t n = std::fread(buf_.data() + filled_, 1, want, f);
        filled_ += n;
        if (n < want) {
            if (std::ferror(f)) {
                ok = false;
                break;
            }
            if (std::feof(f)) {
                Piece(true);
                break;
            }
        }
        Piece(false);
    }
    std::fclose(f);
    sink_ = nullptr;
    return ok;
}

void GrepFileScanner::ScanBytes(std::string_view bytes, const GrepLineSink& sink) {
    Begin(sink);
    do {
        const std::size_t n = std::min(buf_.size() - filled_, bytes.size());
        std::memcpy(buf_.data() + filled_, bytes.data(), n);
        filled_ += n;
        bytes.remove_prefix(n);
        Piece(bytes.empty());
    } while (!bytes.empty());
    sink_ = nullptr;
}

void GrepFileScanner::Piece(bool atEnd) {
    char* b = buf_.data();
    std::size_t start = 0;
    if (inSlowLine_) {
        // The rest of a line that did not fit in one piece.
        const auto* lf = static_cast<const char*>(std::memchr(b, '\n', filled_));
        if (!lf) {
            Slow(b, filled_);
            filled_ = 0;
            if (atEnd) EndSlowLine(false);
            return;
        }
        Slow(b, static_cast<std::size_t>(lf - b));
        EndSlowLine(true);
        start = static_cast<std::size_t>(lf - b) + 1;
    }
    std::size_t end = filled_;
    if (!atEnd) {
        const auto* last = static_cast<const char*>(::memrchr(b + start, '\n', filled_ - start));
        if (!last) {
            if (start == 0 && filled_ == buf_.size()) {
                // One line fills the whole buffer: it is taken character by character.
                Slow(b, filled_);
                inSlowLine_ = true;
                filled_ = 0;
            } else {
                std::memmove(b, b + start, filled_ - start);
                filled_ -= start;
            }
            return;
        }
        end = static_cast<std::size_t>(last - b) + 1;
    }
    Fast(start, end, atEnd);
    std::memmove(b, b + end, filled_ - end);
    filled_ -= end;
}

const char* GrepFileScanner::FindLiteral(const char* h, std::size_t n) const {
    const std::size_t k = literal_.size();
    if (k == 1) return static_cast<const char*>(std::memchr(h, literal_[0], n));
    if (n < k) return nullptr;
    const char rare = literal_[rareAt_];
    const char* s = h + rareAt_;
    const char* last = h + (n - k) + rareAt_;  // the last place the rare byte can stand
    while (s <= last) {
        s = static_cast<const char*>(std::memchr(s, rare, static_cast<std::size_t>(last - s) + 1));
        if (!s) return nullptr;
        const char* candidate = s - rareAt_;
        if (std::memcmp(candidate, literal_.data(), k) == 0) return candidate;
        ++s;
    }
    return nullptr;
}

// The physical lines in [from, to): each ends with LF, except the last one when nothing
// follows.
void GrepFileScanner::Fast(std::size_t from, std::size_t to, bool atEnd) {
    const char* b = buf_.data();
    const char* hay = b;
    if (m_.FoldsCase()) {
        FoldInto(folded_.data() + from, b + from, to - from);
        hay = folded_.data();
    }
    if (literal_.empty() || CrJoins(from, to)) {
        // Nothing to look for first, or the bytes as they stand do not show every line's
        // text: every line is tried.
        for (std::size_t p = from; p < to;) {
            const auto* lf = static_cast<const char*>(std::memchr(b + p, '\n', to - p));
            const std::size_t e = lf ? static_cast<std::size_t>(lf - b) : to;
            Physical(p, e, lf != nullptr);
            p = e + 1;
        }
        return;
    }
    std::size_t counted = from;  // the lines before this place are counted
    while (counted < to) {
        const char* found = FindLiteral(hay + counted, to - counted);
        if (!found) break;
        const std::size_t at = static_cast<std::size_t>(found - hay);
        const auto* before = static_cast<const char*>(::memrchr(b + counted, '\n', at - counted));
        const std::size_t s = before ? static_cast<std::size_t>(before - b) + 1 : counted;
        CountLines(counted, s);
        const auto* lf = static_cast<const char*>(std::memchr(b + at, '\n', to - at));
        const std::size_t e = lf ? static_cast<std::size_t>(lf - b) : to;
        Physical(s, e, lf != nullptr);
        counted = e + 1;
    }
    // Lines after the last candidate matter only when more of the file follows.
    if (!atEnd && counted < to) CountLines(counted, to);
}

// Whether dropping a CR in [from, to) brings together characters of one line, so that a
// line's text need not appear among the bytes as they stand. A CR before the LF (CR LF line
// ends) or at the start of a line joins nothing.
bool GrepFileScanner::CrJoins(std::size_t from, std::size_t to) const {
    const char* b = buf_.data();
    for (std::size_t p = from; p < to;) {
        const auto* cr = static_cast<const char*>(std::memchr(b + p, '\r', to - p));
        if (!cr) return false;
        std::size_t start = static_cast<std::size_t>(cr - b);
        std::size_t end = start;
        while (end < to && b[end] == '\r') ++end;
        if (start > from && b[start - 1] != '\n' && end < to && b[end] != '\n') return true;
        p = end;
    }
    return false;
}

void GrepFileScanner::CountLines(std::size_t from, std::size_t to) {
    const char* b = buf_.data();
    for (std::size_t p = from; p < to;) {
        const auto* lf = static_cast<const char*>(std::memchr(b + p, '\n', to - p));
        const std::size_t n = static_cast<std::size_t>(lf - b) - p;
        if (n <= kBreak) {
            ++line_;
        } else {
            // The loader breaks it into pieces of kBreak characters, CRs not counted.
            const std::size_t chars = n - static_cast<std::size_t>(std::count(b + p, lf, '\r'));
            line_ += chars <= kBreak ? 1 : static_cast<int>((chars + kBreak - 1) / kBreak);
        }
        p += n + 1;
    }
}

void GrepFileScanner::Physical(std::size_t from, std::size_t to, bool ended) {
    const char* b = buf_.data();
    const std::size_t n = to - from;
    if (n <= kBreak && !std::memchr(b + from, '\r', n)) {
        if (n == 0 && !ended) return;  // nothing after the last LF makes no line
        ++line_;
        const char* seen = (m_.FoldsCase() ? folded_.data() : b) + from;
        if (m_.MatchPrepared(seen, static_cast<int>(n)))
            (*sink_)(line_, std::string_view(b + from, n));
        return;
    }
    Slow(b + from, n);
    EndSlowLine(ended);
}

void GrepFileScanner::Slow(const char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '\r') continue;
        if (slow_.size() == kBreak) EmitSlowLine();  // c starts the next line
        slow_.push_back(c);
    }
}

void GrepFileScanner::EndSlowLine(bool ended) {
    if (ended || !slow_.empty()) EmitSlowLine();
    inSlowLine_ = false;
}

void GrepFileScanner::EmitSlowLine() {
    ++line_;
    if (m_.MatchLine(slow_.data(), static_cast<int>(slow_.size()))) (*sink_)(line_, slow_);
    slow_.clear();
}

// ---- The walk

GrepWalker::GrepWalker(const GrepParameters& p, GrepMatcher& matcher,
                       const std::atomic<bool>& cancel)
    : p_(p), m_(matcher), cancel_(cancel), scanner_(matcher) {
    scanner_.SetCancel(&cancel_);
}

void GrepWalker::SetProgress(std::atomic<int>* files, std::atomic<int>* hits, std::mutex* lock,
                             std::string* current) {
    files_ = files;
    hits_ = hits;
    lock_ = lock;
    current_ = current;
}

GrepOutcome GrepWalker::Run() {
    out_ = GrepOutcome{};
    std::vector<pf::FileIdentity> ancestors;
    if (auto id = pf::IdentityOf(p_.directory)) ancestors.push_back(*id);
    const std::string& masks = p_.masks;
    for (std::size_t at = 0; at < masks.size();) {
        const std::size_t blank = std::min(masks.find(' ', at), masks.size());
        const std::string mask = masks.substr(at, blank - at);
        at = blank + 1;
        if (mask.empty()) continue;
        if (!Walk(p_.directory, true, mask, ancestors)) break;
    }
    std::reverse(out_.files.begin(), out_.files.end());
    out_.regexGaveUp = m_.GaveUp();
    return std::move(out_);
}

bool GrepWalker::Walk(const std::string& dir, bool top, const std::string& mask,
                      std::vector<pf::FileIdentity>& ancestors) {
    std::vector<pf::DirEntry> entries;
    if (!pf::ListDirectory(dir, entries)) return true;  // nothing to search there
    for (const pf::DirEntry& e : entries) {
        if (!e.isRegularFile || !pf::FilePatternMatch(mask, e.name)) continue;
        const std::string path = pf::JoinPath(dir, e.name);
        if (!SearchFile(path, top ? e.name : path)) return false;
    }
    if (!(p_.flags & kGrepSubdirectories)) return true;
    // Collected the way a list grows at its front: the last listed comes first.
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        if (!e->isDirectory || e->name.empty() || e->name[0] == '.') continue;
        const std::string path = pf::JoinPath(dir, e->name);
        // A link back to a directory being walked would never end.
        const auto id = pf::IdentityOf(path);
        if (!id || std::find(ancestors.begin(), ancestors.end(), *id) != ancestors.end()) continue;
        ancestors.push_back(*id);
        const bool more = Walk(path, false, mask, ancestors);
        ancestors.pop_back();
        if (!more) return false;
    }
    return true;
}

bool GrepWalker::SearchFile(const std::string& path, const std::string& shown) {
    if (current_) {
        std::lock_guard<std::mutex> hold(*lock_);
        *current_ = shown;
    }
    if (beforeFile_) beforeFile_(shown);
    if (cancel_.load()) {
        out_.cancelled = true;
        return false;
    }
    bool first = true;
    const bool read = scanner_.ScanFile(path, [&](int line, std::string_view text) {
        out_.hits.push_back(GrepHit{shown, line, std::string(text)});
        if (first) {
            out_.files.push_back(shown);
            first = false;
        }
        if (hits_) hits_->fetch_add(1, std::memory_order_relaxed);
    });
    ++out_.filesSearched;
    if (files_) files_->fetch_add(1, std::memory_order_relaxed);
    if (cancel_.load()) {
        out_.cancelled = true;
        return false;
    }
    if (!read) {
        out_.unreadable = path;
        return false;
    }
    return true;
}

// ---- The job

GrepJob::~GrepJob() {
    Cancel();
    Wait();
}

void GrepJob::SetBeforeFile(std::function<void(const std::string&)> beforeFile) {
    beforeFile_ = std::move(beforeFile);
}

unsigned GrepJob::Start(const GrepParameters& p) {
    if (active_) {
        Cancel();
        Wait();
        active_ = false;
    }
    cancel_.store(false);
    finished_.store(false);
    files_.store(0);
    hits_.store(0);
    {
        std::lock_guard<std::mutex> hold(lock_);
        current_.clear();
    }
    outcome_ = GrepOutcome{};
    params_ = p;
    // Compiled here: the engine's blocks come from the checked memory of this thread.
    if (const unsigned e = matcher_.Prepare(params_.expression, params_.flags)) return e;
    active_ = true;
    thread_ = std::thread([this] {
        GrepWalker walker(params_, matcher_, cancel_);
        walker.SetProgress(&files_, &hits_, &lock_, &current_);
        walker.SetBeforeFile(beforeFile_);
        outcome_ = walker.Run();
        finished_.store(true);
    });
    return kRegexOk;
}

void GrepJob::Wait() {
    if (thread_.joinable()) thread_.join();
}

GrepProgress GrepJob::Progress() const {
    GrepProgress p;
    p.filesSearched = files_.load();
    p.hits = hits_.load();
    p.finished = finished_.load();
    std::lock_guard<std::mutex> hold(lock_);
    p.currentFile = current_;
    return p;
}

GrepOutcome GrepJob::Take() {
    Wait();
    active_ = false;
    GrepOutcome out = std::move(outcome_);
    outcome_ = GrepOutcome{};
    return out;
}

}  // namespace velt
