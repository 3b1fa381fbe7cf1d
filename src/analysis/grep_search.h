// The search behind find in files: the test of one line, the scan of one file, the walk over
// a directory and its sub-directories, and the job that runs the walk on a thread of its own
// so that the window stays responsive. Nothing here reaches the user; grep.h shows results.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "editor/regex.h"
#include "platform/files.h"

namespace velt {

// GrepRequest flags.
enum : std::uint16_t {
    kGrepCaseSensitive = 0x0002,
    kGrepSubdirectories = 0x0008,
    kGrepRegex = 0x0040,
    kGrepWholeWords = 0x0080,
    kGrepSeveralWords = 0x0100,
};

// One matching line: the file as the walk found it (the bare name for a file of the search
// directory itself, the full path for one in a sub-directory), the line number from 1 and
// the line as read.
struct GrepHit {
    std::string file;
    int line = 0;
    std::string text;
};

// What one search looks for. Prepared once; MatchLine then keeps the regular expression's
// match state, so each thread needs a matcher of its own.
class GrepMatcher {
  public:
    // Takes the expression as typed: upper-cased unless kGrepCaseSensitive, split at blanks
    // with kGrepSeveralWords, compiled with kGrepRegex. Returns kRegexOk or the engine's
    // compilation error (then nothing matches). Shows nothing.
    unsigned Prepare(std::string_view expression, std::uint16_t flags);

    std::uint16_t Flags() const { return flags_; }
    bool FoldsCase() const { return !(flags_ & kGrepCaseSensitive); }
    // Whether one line as read (a line of the loader: at most kLoadLineBreak characters, no
    // line end) matches.
    bool MatchLine(const char* text, int length);
    // The same for a line already upper-cased when the matcher folds case.
    bool MatchPrepared(const char* text, int length);
    // A run of characters that every matching line contains, in the form MatchPrepared
    // sees; empty when there is none, and every line must be tried.
    std::string_view Literal() const { return literal_; }
    // The regular-expression matcher gave up on some line (its work limit): that line
    // counted as no match.
    bool GaveUp() const { return gaveUp_; }

  private:
    bool FindPlain(const char* text, int length, std::string_view what) const;
    bool FindRegex(const char* text, int length);

    std::uint16_t flags_ = 0;
    bool ready_ = false;
    std::string expression_;          // upper-cased unless case-sensitive
    std::vector<std::string> words_;  // several words: the expression split at blanks
    std::string literal_;
    CompiledRegex regex_;
    bool gaveUp_ = false;
};

// Receives each matching line: its number and its text as read.
using GrepLineSink = std::function<void(int line, std::string_view text)>;

// The default piece of a file read at once.
inline constexpr std::size_t kGrepChunk = 256 * 1024;

// Reads files the way the document loader splits them into lines (CR dropped, LF ending a
// line, a line broken after kLoadLineBreak characters and going on as the next one) and
// hands the matching lines to a sink, in order, each once. A file is read in pieces of
// `chunk` bytes; the pieces are searched for the matcher's literal before any line is
// looked at, and line numbers are counted only up to the lines that hold it.
class GrepFileScanner {
  public:
    explicit GrepFileScanner(GrepMatcher& matcher, std::size_t chunk = kGrepChunk);

    // Stops a scan between pieces when set.
    void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }
    // False when the file cannot be opened or reading it fails (the lines of the part read
    // before have been handed on).
    bool ScanFile(const std::string& path, const GrepLineSink& sink);
    // The same for bytes in memory taken as a whole file.
    void ScanBytes(std::string_view bytes, const GrepLineSink& sink);

  private:
    void Begin(const GrepLineSink& sink);
    // Searches buf_[0, filled_) (`atEnd`: nothing follows) and keeps an unfinished line.
    void Piece(bool atEnd);
    void Fast(std::size_t from, std::size_t to, bool atEnd);
    bool CrJoins(std::size_t from, std::size_t to) const;
    void CountLines(std::size_t from, std::size_t to);
    void Physical(std::size_t from, std::size_t to, bool ended);
    void Slow(const char* p, std::size_t n);
    void EndSlowLine(bool ended);
    void EmitSlowLine();
    const char* FindLiteral(const char* h, std::size_t n) const;

    GrepMatcher& m_;
    std::size_t chunk_;
    const std::atomic<bool>* cancel_ = nullptr;
    const GrepLineSink* sink_ = nullptr;
    std::vector<char> buf_;
    std::vector<char> folded_;
    std::size_t filled_ = 0;
    int line_ = 0;  // lines counted so far
    // A line being put together character by character (CRs, long lines, pieces).
    std::string slow_;
    bool inSlowLine_ = false;
    // The matcher's literal and its rarest byte, which the pieces are searched for first.
    std::string literal_;
    std::size_t rareAt_ = 0;
};

// What a search needs: the directory (absolute), the masks separated by blanks, the flags
// and the expression as typed.
struct GrepParameters {
    std::string directory;
    std::string masks;
    std::uint16_t flags = 0;
    std::string expression;
};

struct GrepOutcome {
    std::vector<GrepHit> hits;       // in the order found
    std::vector<std::string> files;  // the files with hits, newest first
    bool cancelled = false;          // stopped on request: the hits so far are kept
    std::string unreadable;          // the file that could not be read and ended the walk
    bool regexGaveUp = false;        // some line was too much work for the matcher
    int filesSearched = 0;
};

// What a running search has done so far.
struct GrepProgress {
    int filesSearched = 0;
    int hits = 0;
    std::string currentFile;  // as the hits name it
    bool finished = false;
};

// Runs the walk of `p` with a prepared matcher: for each mask in turn, every plain file of
// the directory matching it in listing order, then (with kGrepSubdirectories) each
// sub-directory not starting with a dot, the last listed first, in the same way; a link back
// to a directory being walked is passed over. A file that cannot be read ends the walk.
// `cancel` is looked at before each file and between pieces. Names are joined to the
// directory given: the process's current directory is neither used nor changed.
class GrepWalker {
  public:
    GrepWalker(const GrepParameters& p, GrepMatcher& matcher, const std::atomic<bool>& cancel);
    // Counters and the current file (under `lock`) kept up to date as it goes.
    void SetProgress(std::atomic<int>* files, std::atomic<int>* hits, std::mutex* lock,
                     std::string* current);
    // Called before each file is searched.
    void SetBeforeFile(std::function<void(const std::string&)> beforeFile) {
        beforeFile_ = std::move(beforeFile);
    }
    GrepOutcome Run();

  private:
    bool Walk(const std::string& dir, bool top, const std::string& mask,
              std::vector<platform::FileIdentity>& ancestors);
    bool SearchFile(const std::string& path, const std::string& shown);

    const GrepParameters& p_;
    GrepMatcher& m_;
    const std::atomic<bool>& cancel_;
    GrepFileScanner scanner_;
    GrepOutcome out_;
    std::atomic<int>* files_ = nullptr;
    std::atomic<int>* hits_ = nullptr;
    std::mutex* lock_ = nullptr;
    std::string* current_ = nullptr;
    std::function<void(const std::string&)> beforeFile_;
};

// One search at a time on a thread of its own. Start, then Finished (or Wait), then Take.
// Cancel may be called from any thread. The destructor cancels and waits.
class GrepJob {
  public:
    GrepJob() = default;
    ~GrepJob();
    GrepJob(const GrepJob&) = delete;
    GrepJob& operator=(const GrepJob&) = delete;

    // Prepares the matcher on the calling thread and starts the walk. Returns kRegexOk, or
    // the engine's compilation error (and nothing starts). A job that has not been taken
    // yet is cancelled and dropped first.
    unsigned Start(const GrepParameters& p);
    // Called on the worker before each file is searched, with its name (watchers, tests).
    void SetBeforeFile(std::function<void(const std::string&)> beforeFile);
    void Cancel() { cancel_.store(true); }
    // Started and not yet taken.
    bool Active() const { return active_; }
    bool Finished() const { return finished_.load(); }
    void Wait();
    GrepProgress Progress() const;
    // Waits, and hands over the outcome; the job can start again.
    GrepOutcome Take();

  private:
    std::thread thread_;
    bool active_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> files_{0};
    std::atomic<int> hits_{0};
    mutable std::mutex lock_;
    std::string current_;
    GrepParameters params_;
    GrepMatcher matcher_;
    GrepOutcome outcome_;
    std::function<void(const std::string&)> beforeFile_;
};

}  // namespace velt
