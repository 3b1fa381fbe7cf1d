// Loading a file into a document and saving it back: line splitting and long-line breaking,
// the backup copy, the time-stamp line, trailing-blank stripping, CR LF line ends, and the
// list of recently opened files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/document.h"

namespace velt {

// Lines longer than this are broken at load.
inline constexpr int kLoadLineBreak = 497;
// The I/O buffer: blocks of kIoBlock bytes through a buffer one byte longer.
inline constexpr std::uint32_t kIoBlock = 150000;
inline constexpr std::uint32_t kIoBufferSize = 150001;

// LoadDocument results.
enum : int {
    kLoadOk = 0,
    kLoadCannotOpen = 1,  // no such file: the document stays empty (a new file begins)
    kLoadEnd = 2,         // internal: the reader reached the end
    kLoadReadError = 3,
    kLoadOutOfMemory = 4,
};

// What one read of lines did.
struct ReadResult {
    int status = kLoadOk;
    int lines = 0;   // lines made
    int broken = 0;  // lines ended at kLoadLineBreak characters
};

// Reads the file's lines and links them after `after` (in order). The file is opened as
// resolved by the platform's name resolver. Status kLoadCannotOpen when the file does not
// exist; an existing file that cannot be opened (no permission, a directory) is a read
// error, so that it never turns into an empty new file that a save would write over.
ReadResult ReadFileLines(const std::string& name, Document& doc, Line* after);
// The same line splitting over bytes in memory.
ReadResult ReadTextLines(std::string_view bytes, Document& doc, Line* after);

// Empties `doc` and fills it from the file `name`: clears modified, remembers the name among
// the recent files (when the file could be opened), sets read-only from the file's
// attribute, keeps kDocIncomplete set unless every line was read unbroken, shows message
// 4552 with the name and the count when lines were broken, stores the line count and the
// file time. Returns kLoadOk, kLoadCannotOpen, kLoadReadError or kLoadOutOfMemory; the
// counts of the read go to `result` when given.
int LoadDocument(const std::string& name, Document& doc, ReadResult* result = nullptr);
// The same from bytes in memory (no file: no time, no attribute, no recent-files entry).
int LoadDocumentFromText(const std::string& name, std::string_view bytes, Document& doc);

// What the opener does after LoadDocument: status kLoadReadError shows 141 (the
// out-of-memory box was already shown where memory ran out); modified is cleared, the name
// stored (the registry kept in order), the language chosen and the document parsed through
// the hooks below, and every view of the document put on its first line with a full
// repaint.
void FinishLoad(Document& doc, const std::string& name, int status);

// Called by FinishLoad: sets doc.language (and kDocCLanguage) from the name's extension.
extern void (*gChooseLanguageHook)(Document& doc);
// Called by FinishLoad after the language: parses the document (function list).
extern void (*gDocumentLoadedHook)(Document& doc);
// The syntax check before saving, for documents with a language while the editor's
// check-syntax flag is set. Returns true and the checker's message when it found a problem.
extern bool (*gSyntaxCheckHook)(Document& doc, std::string& message);
// Deletes the document's autosave copy after a successful write.
extern void (*gAutosaveDropHook)(Document& doc);

// The backup name: the extension replaced by "~" and its first two characters (main.c ->
// main.~c, unit.cpp -> unit.~cp); a name without an extension gets ".~" appended. A leading
// dot (a hidden file) does not start an extension.
std::string BackupName(const std::string& name);

// The document's text as written: trailing blanks and tabs are removed from every line (in
// memory too), each line followed by CR LF. Appends to `out`.
void AppendDocumentText(Document& doc, std::string& out);

// Writes the open document named `name` to that file. The text goes to a temporary file
// beside it, which replaces the old file only when everything was written, keeping the old
// file's permissions. Failures: 4383 when no open document has that name, 1154 when the
// file cannot be written (read-only, directory without write access), 1155 when writing
// failed (the old file is untouched). On success stores the file time, clamps the cursor
// column of every view of the document to its line, drops the autosave copy and clears
// kDocAutosaveCurrent. The modified flag is left to the caller.
bool WriteDocument(const std::string& name);
// The same for a known document, written to `path` (Save as writes the document to its
// new name; velt-cli writes a document to another file).
bool WriteDocumentTo(Document& doc, const std::string& path);

// Saves the document, honouring the editor flags kEditorCheckSyntax and kEditorBackups:
// a read-only document shows "%s: ReadOnlyFile. Not Saved" in the status pane and returns
// 1; an unmodified one returns 1; kDocIncomplete asks 4551 first; the syntax-check hook may
// ask 290; then the backup copy, the time-stamp refresh and the write. Returns 1 saved (or
// nothing to do), 0 refused or failed (the document stays modified).
int SaveDocument(Document& doc, std::uint32_t editorFlags);
// The current document; 1 when there is none.
int SaveDocument(std::uint32_t editorFlags);

// Refreshes the stamp of the time-stamp line: after "$D" and the next ":", the text up to
// the next "$" becomes `stamp` (after one blank when there was one), blank-padded; the line
// grows when the stamp is longer. Returns the line (it may have moved) or null when the line
// has no such field or memory ran out.
Line* RefreshTimeStampLine(Document& doc, Line* line, const std::string& stamp);

// The recently opened files, oldest first, at most kRecentFiles.
inline constexpr int kRecentFiles = 8;
void RememberRecentFile(const std::string& name);
const std::vector<std::string>& RecentFiles();
void ClearRecentFiles();

}  // namespace velt
