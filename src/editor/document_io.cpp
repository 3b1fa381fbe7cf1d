#include "editor/document_io.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/files.h"
#include "shell/file_helpers.h"
#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"

namespace velt {

void (*gChooseLanguageHook)(Document& doc) = nullptr;
void (*gDocumentLoadedHook)(Document& doc) = nullptr;
bool (*gSyntaxCheckHook)(Document& doc, std::string& message) = nullptr;
void (*gAutosaveDropHook)(Document& doc) = nullptr;

namespace pf = velt::platform;

namespace {

// Lines that fit in this window after their start are cut out of the buffer directly.
constexpr std::size_t kFastWindow = 128;

std::vector<std::string>& Recent() {
    static std::vector<std::string> recent;
    return recent;
}

// Where the reader's bytes come from: a file or memory. Read returns 0 at the end and on
// failure; Failed tells them apart.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(char* to, std::size_t n) = 0;
    virtual bool Failed() const = 0;
};

class FileSource : public ByteSource {
  public:
    explicit FileSource(std::FILE* f) : f_(f) {}
    std::size_t Read(char* to, std::size_t n) override { return std::fread(to, 1, n, f_); }
    bool Failed() const override { return std::ferror(f_) != 0; }

  private:
    std::FILE* f_;
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char* to, std::size_t n) override {
        std::size_t k = bytes_.size() < n ? bytes_.size() : n;
        std::memcpy(to, bytes_.data(), k);
        bytes_.remove_prefix(k);
        return k;
    }
    bool Failed() const override { return false; }

  private:
    std::string_view bytes_;
};

// Splits the source into lines linked after `after`. CR is dropped wherever it stands; LF
// ends a line; a last line without LF is kept, an empty remainder makes no line. A line
// that reaches kLoadLineBreak characters ends there when a further character follows, and
// the rest of it becomes the next line.
ReadResult ReadLines(ByteSource& src, Document& doc, Line* after) {
    ReadResult r;
    auto* buf = static_cast<char*>(MemAlloc(kIoBufferSize));
    if (!buf) {
        r.status = kLoadOutOfMemory;
        return r;
    }
    std::size_t pos = 0;
    std::size_t end = 0;
    char line[kLoadLineBreak];
    int len = 0;

    auto refill = [&]() {
        pos = 0;
        end = src.Read(buf, kIoBlock);
        buf[end] = '\0';
        return end > 0;
    };
    auto emit = [&](const char* text, int n) {
        Line* l = NewLine(text, n);
        if (!l) {
            r.status = kLoadOutOfMemory;
            return false;
        }
        InsertLineAfter(doc, after, l);
        after = l;
        ++r.lines;
        return true;
    };

    bool more = true;
    while (more && r.status == kLoadOk) {
        if (pos == end && !refill()) break;

        // Fast path: the whole line lies in the next window of the buffer.
        if (end - pos > kFastWindow) {
            const char* p = buf + pos;
            if (const auto* lf = static_cast<const char*>(std::memchr(p, '\n', kFastWindow))) {
                int n = static_cast<int>(lf - p);
                pos += static_cast<std::size_t>(n) + 1;
                if (!std::memchr(p, '\r', static_cast<std::size_t>(n))) {
                    emit(p, n);
                } else {
                    len = 0;
                    for (int i = 0; i < n; ++i)
                        if (p[i] != '\r') line[len++] = p[i];
                    emit(line, len);
                }
                continue;
            }
        }

        // Slow path: character by character, refilling as the buffer runs out.
        len = 0;
        bool ended = false;
        for (;;) {
            if (pos == end && !refill()) {
                more = false;
                break;
            }
            char c = buf[pos];
            if (c == '\r') {
                ++pos;
                continue;
            }
            if (c == '\n') {
                ++pos;
                ended = true;
                break;
            }
            if (len == kLoadLineBreak) {
                // c starts the next line.
                ++r.broken;
                ended = true;
                break;
            }
            line[len++] = c;
            ++pos;
        }
        if (ended || len > 0) emit(line, len);
    }
    if (r.status == kLoadOk && src.Failed()) r.status = kLoadReadError;
    MemFree(buf);
    return r;
}

void StoreFileTime(Document& doc, const std::string& path) {
    std::optional<std::int64_t> t = pf::ModificationTime(path);
    doc.fileTimeNs = t ? *t : 0;
    doc.fileTime = t ? static_cast<std::uint32_t>(*t / 1000000000) : 0;
}

// Opens an existing file for reading; kLoadCannotOpen when there is none, kLoadReadError
// when it exists but cannot be read.
int OpenForReading(const std::string& path, FilePtr& f) {
    if (!pf::PathExists(path)) return kLoadCannotOpen;
    f.reset(std::fopen(path.c_str(), "rb"));
    return f ? kLoadOk : kLoadReadError;
}

int FinishRead(const std::string& name, Document& doc, const ReadResult& r) {
    doc.lineCount = r.lines;
    if (r.status == kLoadOk) {
        if (r.broken == 0)
            doc.flags &= static_cast<std::uint16_t>(~kDocIncomplete);
        else
            ShowMessage(FormatText(GetMessageText(4552), name.c_str(), r.broken));
    }
    return r.status;
}

std::string StripQuotes(const std::string& name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return name;
}

void ClampColumns(Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next) {
        if (v->document != &doc) continue;
        if (v->cursor && v->cursorColumn > v->cursor->length) {
            v->cursorColumn = v->cursor->length;
            v->flags |= kViewRepaintAll;
        }
        if (v->block && v->blockColumn > v->block->length) {
            v->blockColumn = v->block->length;
            v->flags |= kViewRepaintAll;
        }
    }
    if (doc.savedCursor && doc.savedCursorColumn > doc.savedCursor->length)
        doc.savedCursorColumn = doc.savedCursor->length;
    if (doc.savedBlock && doc.savedBlockColumn > doc.savedBlock->length)
        doc.savedBlockColumn = doc.savedBlock->length;
}

void RepaintViews(Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == &doc) v->flags |= kViewRepaintAll;
}

// The backup is a copy, not a move: the file stays in place until its replacement is
// complete, so a failed write leaves it (and its permissions) as they were.
void MakeBackup(const std::string& name) {
    std::string path = pf::ResolveName(name);
    if (!pf::IsRegularFile(path)) return;
    std::string backup = pf::ResolveName(BackupName(path));
    if (pf::PathExists(backup)) pf::DeleteFile(backup);
    pf::CopyFile(path, backup);
}

}  // namespace

ReadResult ReadFileLines(const std::string& name, Document& doc, Line* after) {
    FilePtr f;
    ReadResult r;
    r.status = OpenForReading(pf::ResolveName(name), f);
    if (r.status != kLoadOk) return r;
    FileSource src(f.get());
    return ReadLines(src, doc, after);
}

ReadResult ReadTextLines(std::string_view bytes, Document& doc, Line* after) {
    MemorySource src(bytes);
    return ReadLines(src, doc, after);
}

int LoadDocument(const std::string& name, Document& doc, ReadResult* result) {
    if (result) *result = ReadResult{};
    EmptyDocument(doc);
    doc.flags &= static_cast<std::uint16_t>(~kDocModified);
    doc.lineCount = 0;
    std::string path = pf::ResolveName(name);
    FilePtr f;
    int status = OpenForReading(path, f);
    if (status == kLoadCannotOpen) {
        if (result) result->status = status;
        doc.fileTime = 0;
        doc.fileTimeNs = 0;
        return status;
    }
    doc.flags |= kDocIncomplete;
    if (status != kLoadOk) {
        if (result) result->status = status;
        return status;
    }
    RememberRecentFile(name);
    if (pf::IsReadOnly(path)) doc.flags |= kDocReadOnly;

    FileSource src(f.get());
    ReadResult r = ReadLines(src, doc, doc.head);
    f.reset();
    StoreFileTime(doc, path);
    if (result) *result = r;
    return FinishRead(name, doc, r);
}

int LoadDocumentFromText(const std::string& name, std::string_view bytes, Document& doc) {
    EmptyDocument(doc);
    doc.flags &= static_cast<std::uint16_t>(~kDocModified);
    doc.flags |= kDocIncomplete;
    return FinishRead(name, doc, ReadTextLines(bytes, doc, doc.head));
}

void FinishLoad(Document& doc, const std::string& name, int status) {
    if (status == kLoadReadError) ShowMessageId(141);
    doc.flags &= static_cast<std::uint16_t>(~kDocModified);
    if (doc.name != name) RenameDocument(doc, name);
    if (gChooseLanguageHook) gChooseLanguageHook(doc);
    if (gDocumentLoadedHook) gDocumentLoadedHook(doc);
    for (EditView* v = FirstView(); v; v = v->next)
        if (v->document == &doc) ResetView(*v);
    doc.savedCursor = doc.head->next;
    doc.savedBlock = nullptr;
    doc.savedCursorColumn = doc.savedBlockColumn = 0;
}

std::string BackupName(const std::string& name) {
    std::size_t slash = name.rfind(pf::kPathSeparator);
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot <= base) return name + ".~";
    std::string ext = name.substr(dot + 1, 2);
    return name.substr(0, dot) + ".~" + ext;
}

namespace {

// Removes the line's trailing blanks and tabs, in the line itself.
inline void StripTrailingBlanks(Line* l) {
    char* t = l->text();
    int n = l->length;
    while (n > 0 && (t[n - 1] == ' ' || t[n - 1] == '\t')) --n;
    if (n != l->length) {
        l->length = static_cast<std::int16_t>(n);
        t[n] = '\0';
    }
}

// Passes the document's text as written, through the I/O buffer, to `sink` in pieces of at
// most kIoBlock bytes. Returns kEmitted, or stops at kSinkFailed or kNoMemory (the
// out-of-memory box was shown).
enum EmitResult { kEmitted, kSinkFailed, kNoMemory };
template <typename Sink>
EmitResult EmitDocumentText(Document& doc, Sink&& sink) {
    auto* buf = static_cast<char*>(MemAlloc(kIoBufferSize));
    if (!buf) return kNoMemory;
    std::size_t used = 0;
    bool ok = true;
    for (Line* l : Lines(doc)) {
        StripTrailingBlanks(l);
        auto n = static_cast<std::size_t>(l->length);
        if (used + n + 2 > kIoBlock) {
            if (!sink(std::string_view(buf, used))) {
                ok = false;
                break;
            }
            used = 0;
        }
        std::memcpy(buf + used, l->text(), n);
        buf[used + n] = '\r';
        buf[used + n + 1] = '\n';
        used += n + 2;
    }
    if (ok && used > 0) ok = sink(std::string_view(buf, used));
    MemFree(buf);
    return ok ? kEmitted : kSinkFailed;
}

}  // namespace

void AppendDocumentText(Document& doc, std::string& out) {
    EmitDocumentText(doc, [&out](std::string_view piece) {
        out.append(piece);
        return true;
    });
}

bool WriteDocumentTo(Document& doc, const std::string& path) {
    std::string target = pf::ResolveName(StripQuotes(path));
    pf::FileReplacement file;
    if (!file.Begin(target)) {
        ShowCannotOpen(path);
        return false;
    }
    EmitResult r =
        EmitDocumentText(doc, [&file](std::string_view piece) { return file.Write(piece); });
    if (r == kNoMemory) return false;
    if (r != kEmitted || !file.Commit(true)) {
        ShowMessageId(1155);
        return false;
    }
    StoreFileTime(doc, target);
    ClampColumns(doc);
    if (gAutosaveDropHook) gAutosaveDropHook(doc);
    doc.flags &= static_cast<std::uint16_t>(~kDocAutosaveCurrent);
    return true;
}

bool WriteDocument(const std::string& given) {
    std::string name = StripQuotes(given);
    Document* doc = CurrentDocument();
    if (!doc || !EqualsNoCase(doc->name, name)) doc = FindDocument(name, false);
    if (!doc) {
        ShowMessage(FormatText(GetMessageText(4383), name.c_str()));
        return false;
    }
    // Another spelling of the name still means the document's own file.
    return WriteDocumentTo(*doc, doc->name);
}

Line* RefreshTimeStampLine(Document& doc, Line* line, const std::string& stamp) {
    std::string s = LineString(line);
    std::size_t d = s.find("$D");
    if (d == std::string::npos) return nullptr;
    std::size_t colon = s.find(':', d + 2);
    if (colon == std::string::npos) return nullptr;
    std::size_t dollar = s.find('$', colon + 1);
    if (dollar == std::string::npos) return nullptr;
    std::size_t start = colon + 1;
    if (start < dollar && s[start] == ' ') ++start;
    std::size_t gap = dollar - start;
    std::string field = stamp;
    // Keep a blank before the "$" when the stamp outgrows the old field.
    std::size_t width = gap > stamp.size() ? gap : stamp.size() + 1;
    field.resize(width, ' ');
    s.replace(start, gap, field);
    return SetLineText(doc, line, s.data(), static_cast<int>(s.size()));
}

int SaveDocument(Document& doc, std::uint32_t editorFlags) {
    if (doc.flags & kDocReadOnly) {
        FrameStatusPane().ShowNotice(
            FormatText("%s: ReadOnlyFile. Not Saved", pf::NamePart(doc.name).c_str()));
        // Nothing was written: callers that go on to close or quit must not take unsaved
        // changes for saved ones.
        return (doc.flags & kDocModified) ? 0 : 1;
    }
    if (!(doc.flags & kDocModified)) return 1;
    if (doc.flags & kDocIncomplete) {
        if (!AskYesNoId(4551)) return 0;
        doc.flags &= static_cast<std::uint16_t>(~kDocIncomplete);
    }
    if (doc.language && (editorFlags & kEditorCheckSyntax) && gSyntaxCheckHook) {
        std::string problem;
        if (gSyntaxCheckHook(doc, problem) &&
            !AskYesNo(FormatText(GetMessageText(290), problem.c_str())))
            return 0;
    }
    if (editorFlags & kEditorBackups) MakeBackup(doc.name);

    doc.flags &= static_cast<std::uint16_t>(~kDocTimeStampLine);
    Line* stampLine = doc.timeStampLine;
    const char* prefix = GetMessageText(3999);
    std::size_t prefixLength = std::strlen(prefix);
    if (stampLine && static_cast<std::size_t>(stampLine->length) >= prefixLength &&
        std::memcmp(stampLine->text(), prefix, prefixLength) == 0) {
        doc.flags |= kDocTimeStampLine;
        if (RefreshTimeStampLine(doc, stampLine, TimeStampText())) RepaintViews(doc);
    }

    if (!WriteDocumentTo(doc, doc.name)) return 0;
    doc.flags &= static_cast<std::uint16_t>(~kDocModified);
    return 1;
}

int SaveDocument(std::uint32_t editorFlags) {
    Document* doc = CurrentDocument();
    return doc ? SaveDocument(*doc, editorFlags) : 1;
}

void RememberRecentFile(const std::string& name) {
    std::vector<std::string>& recent = Recent();
    for (std::size_t i = 0; i < recent.size(); ++i)
        if (EqualsNoCase(recent[i], name)) {
            recent.erase(recent.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    if (recent.size() == kRecentFiles) recent.erase(recent.begin());
    recent.push_back(name);
}

const std::vector<std::string>& RecentFiles() {
    return Recent();
}
void ClearRecentFiles() {
    Recent().clear();
}

}  // namespace velt
