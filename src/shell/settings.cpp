#include "shell/settings.h"

#include <algorithm>
#include <array>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "shell/compiler_root.h"
#include "shell/document_host.h"
#include "shell/messages.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// No stored value can hold a line break, so this default marks a missing key.
constexpr std::string_view kMissing = "\n";

struct SettingsPart {
    SettingsPartReader reader;
    SettingsPartWriter writer;
    SettingsPartDumper dumper;
};

constexpr std::size_t kSlotCount = 4;
std::array<std::vector<SettingsPart>, kSlotCount> gParts;

std::vector<SettingsPart>& PartsOf(SettingsSlot slot) {
    return gParts[static_cast<std::size_t>(slot)];
}

void RunReaders(SettingsSlot slot, const SettingsLocation& loc) {
    for (const SettingsPart& p : PartsOf(slot))
        if (p.reader) p.reader(loc);
}

bool RunWriters(SettingsSlot slot, const SettingsLocation& loc) {
    for (const SettingsPart& p : PartsOf(slot))
        if (p.writer && !p.writer(loc)) return false;
    return true;
}

class KeyReader {
  public:
    explicit KeyReader(const std::string& file) : file_(file) {}

    long Number(std::string_view key, long def) const {
        return pf::ProfileGetNumber(file_, kSettingsSection, key, def);
    }
    std::optional<std::string> Text(std::string_view key) const {
        std::string v = pf::ProfileGetString(file_, kSettingsSection, key, kMissing);
        if (v == kMissing) return std::nullopt;
        if (v.size() > kMaxSettingText) v.resize(kMaxSettingText);
        return v;
    }
    std::string Text(std::string_view key, std::string_view def) const {
        return Text(key).value_or(std::string(def));
    }

  private:
    const std::string& file_;
};

// Writes keys in order until the first one that cannot be written.
class KeyWriter {
  public:
    explicit KeyWriter(const std::string& file) : file_(file) {}

    void Number(std::string_view key, long value) {
        if (ok_) ok_ = pf::ProfileWriteNumber(file_, kSettingsSection, key, value);
    }
    void Text(std::string_view key, const std::string& value) {
        if (ok_)
            ok_ = pf::ProfileWriteString(file_, kSettingsSection, key, std::string_view(value));
    }
    void Pairs(const SettingKeyValues& pairs) {
        for (const auto& [key, value] : pairs) Text(key, value);
    }
    void Part(SettingsSlot slot, const SettingsLocation& loc) {
        if (ok_) ok_ = RunWriters(slot, loc);
    }
    bool ok() const { return ok_; }

  private:
    const std::string& file_;
    bool ok_ = true;
};

}  // namespace

std::string GlobalSettingsFile(const std::string& root) {
    return pf::ResolveName(UnderRoot(root, "lib/velt.prj"));
}

bool LoadGlobalSettings(const std::string& root, GlobalSettings& s, LoadMode mode) {
    const GlobalSettings d;
    const SettingsLocation loc{root, GlobalSettingsFile(root)};
    const std::string& file = loc.file;
    const KeyReader r(file);

    // A tab width of 0 would stall the editor's column arithmetic.
    const long tab = r.Number("Tabsize", d.tabSize);
    s.tabSize = (tab >= 1 && tab <= 8) ? static_cast<int>(tab) : d.tabSize;
    s.findFlags = static_cast<std::uint16_t>(r.Number("FindFlags", d.findFlags));
    s.commentColor = static_cast<std::uint32_t>(r.Number("CommentColor", d.commentColor));
    s.keywordColor = static_cast<std::uint32_t>(r.Number("KeywordColor", d.keywordColor));
    s.grep = static_cast<std::uint16_t>(r.Number("Grep", d.grep));
    s.fontHeight = static_cast<int>(r.Number("FontHeight", d.fontHeight));
    s.fontStyle = static_cast<int>(r.Number("FontStyle", d.fontStyle));
    s.frameZoomed = static_cast<int>(r.Number("FrameZoomed", d.frameZoomed));
    s.statusBar = r.Text("StatusBar", d.statusBar);
    s.subScroll = static_cast<std::int16_t>(r.Number("SubScroll", d.subScroll));
    if (s.subScroll < 1) s.subScroll = 1;
    s.frameX = static_cast<int>(r.Number("FrameX", s.frameX));
    s.frameY = static_cast<int>(r.Number("FrameY", s.frameY));
    s.frameCX = static_cast<int>(r.Number("FrameCX", s.frameCX));
    s.frameCY = static_cast<int>(r.Number("FrameCY", s.frameCY));
    s.editorFlags = static_cast<std::uint32_t>(r.Number("EditorFlags", d.editorFlags));
    s.outputWndHeight = static_cast<std::int16_t>(r.Number("OutputWndHeight", d.outputWndHeight));
    // The old form of the backup option is converted once: 1 turns the option on and is
    // replaced by 0 so that the user's later choice survives the next start.
    s.backupFile = r.Number("BackupFile", d.backupFile);
    if (s.backupFile == 1) {
        s.editorFlags |= kEditorBackups;
        if (mode == LoadMode::Normal &&
            pf::ProfileWriteNumber(file, kSettingsSection, "BackupFile", 0))
            s.backupFile = 0;
    }
    s.fontFamily = static_cast<int>(r.Number("FontFamily", d.fontFamily));
    s.textColor = static_cast<std::uint32_t>(r.Number("TextColor", d.textColor));
    s.backgroundColor = static_cast<std::uint32_t>(r.Number("BackgroundColor", d.backgroundColor));
    s.printerFontName = r.Text("PrinterFontName", "");
    s.printerFontSize = static_cast<int>(r.Number("PrinterFontSize", d.printerFontSize));
    s.debuggerArguments = r.Text("DebuggerArguments", d.debuggerArguments);
    s.debuggerDir = r.Text("DebuggerDir", d.debuggerDir);
    s.debuggerExeName = r.Text("DebuggerExeName", d.debuggerExeName);
    s.debuggerFlags = static_cast<std::uint32_t>(r.Number("DebuggerFlags", d.debuggerFlags));
    RunReaders(SettingsSlot::Utilities, loc);
    RunReaders(SettingsSlot::Languages, loc);
    s.macros = ReadMacros(file, kSettingsSection);
    ReadAccelerators(file, kSettingsSection, s.accelerators);
    s.print = static_cast<std::uint32_t>(r.Number("Print", d.print));
    s.includeFlags = static_cast<std::uint32_t>(r.Number("IncludeFlags", d.includeFlags));
    s.currentDir = r.Text("CurrentDir", d.currentDir);
    s.winHelpComp = r.Text("WinHelpComp", "");
    if (s.winHelpComp.empty()) s.winHelpComp = d.winHelpComp;
    s.winHelpDataBase = r.Text("WinHelpDataBase", "");
    if (s.winHelpDataBase.empty() || !pf::IsRegularFile(pf::ResolveName(s.winHelpDataBase)))
        s.winHelpDataBase = pf::ResolveName(UnderRoot(root, "bin/win32.hlp"));
    s.fontName = r.Text("FontName", "");
    if (s.fontName.empty()) s.fontName = d.fontName;
    s.currentFile = r.Text("CurrentFile", "");
    if (EqualsNoCase(s.currentFile, "untitled")) s.currentFile.clear();
    // The history keeps one record per entry; a negative size or period means "off".
    const long historySize = r.Number("HistorySize", d.historySize);
    s.historySize = static_cast<int>(historySize < 0 ? 0 : historySize > 1000 ? 1000 : historySize);
    const long historyTime = r.Number("HistoryTime", d.historyTime);
    s.historyTime = historyTime < 0 ? 0 : static_cast<int>(std::min<long>(historyTime, 0x7FFFFFFF));
    RunReaders(SettingsSlot::Projects, loc);
    s.reopenFiles.clear();
    const long openFiles = r.Number("OpenFiles", 0);
    for (long k = 1; k <= openFiles; ++k) {
        std::optional<std::string> v = r.Text(FormatText("OpenFile%ld", k));
        if (!v) break;
        s.reopenFiles.push_back(std::move(*v));
    }
    RunReaders(SettingsSlot::OpenProject, loc);
    return pf::IsRegularFile(file);
}

void AddOpenDocuments(
    SaveContext& c,
    const std::function<std::optional<ScreenRect>(const DocumentSummary&)>& windowRect) {
    const std::vector<DocumentSummary> docs = CurrentDocuments().Documents();
    if (!docs.empty()) c.currentFile = docs.front().name;
    for (const DocumentSummary& d : docs) {
        OpenDocumentState s;
        s.name = d.name;
        s.line = d.line;
        s.temporary = d.internalBuffer;
        if (std::optional<ScreenRect> rect = windowRect ? windowRect(d) : std::nullopt) {
            s.rect = *rect;
        } else {
            // No rectangle without windows, but the state marks survive.
            if (d.minimised) s.rect.left = -1;
            if (d.maximised) s.rect.right = -1;
        }
        c.documents.push_back(std::move(s));
    }
}

bool SaveGlobalSettings(const std::string& root, const GlobalSettings& s, const SaveContext& ctx) {
    if (!s.saveEnabled) return true;
    const SettingsLocation loc{root, GlobalSettingsFile(root)};
    bool ok = false;
    {
        // One replacement of the file: a crash or a failure half way never leaves it torn.
        pf::ProfileBatch batch(loc.file);
        KeyWriter w(loc.file);
        const ScreenRect bar = ctx.filesToolbar.value_or(ScreenRect{});
        w.Text("StatusBar", FormatText("%d,%d,%d,%d", bar.left, bar.top, bar.right, bar.bottom));
        w.Number("Tabsize", s.tabSize);
        w.Number("FindFlags", s.findFlags);
        w.Number("CommentColor", s.commentColor);
        w.Number("KeywordColor", s.keywordColor);
        w.Number("OutputWndHeight", s.outputWndHeight);
        w.Number("EditorFlags", s.editorFlags);
        w.Number("Grep", s.grep);
        w.Number("FontHeight", s.fontHeight);
        w.Number("FontStyle", s.fontStyle);
        w.Number("Print", s.print);
        w.Number("FrameZoomed", ctx.frameZoomed);
        w.Number("FontFamily", s.fontFamily);
        w.Number("TextColor", s.textColor);
        w.Number("BackgroundColor", s.backgroundColor);
        w.Number("HistorySize", s.historySize);
        w.Number("HistoryTime", s.historyTime);
        w.Text("PrinterFontName", s.printerFontName);
        w.Number("PrinterFontSize", s.printerFontSize);
        w.Number("SubScroll", s.subScroll);
        w.Part(SettingsSlot::Utilities, loc);
        w.Part(SettingsSlot::Languages, loc);
        w.Pairs(MacroKeyValues(s.macros));
        // Without a shortcut table there is nothing to save, and writing a count of 0 would
        // throw away the customisations the file holds.
        if (!s.accelerators.empty())
            w.Pairs(AcceleratorKeyValues(ChangedAccelerators(s.accelerators)));
        w.Part(SettingsSlot::Projects, loc);
        w.Number("IncludeFlags", s.includeFlags);
        w.Text("WinHelpDataBase", s.winHelpDataBase);
        w.Text("WinHelpComp", s.winHelpComp);
        w.Text("CurrentDir", s.currentDir);
        w.Text("FontName", s.fontName);
        w.Text("DebuggerArguments", s.debuggerArguments);
        w.Text("DebuggerDir", s.debuggerDir);
        w.Text("DebuggerExeName", s.debuggerExeName);
        w.Number("DebuggerFlags", s.debuggerFlags);
        w.Text("CurrentFile", ctx.currentFile);
        w.Number("FrameX", ctx.frameX);
        w.Number("FrameY", ctx.frameY);
        w.Number("FrameCX", ctx.frameCX);
        w.Number("FrameCY", ctx.frameCY);
        if (!ctx.projectOpen) {
            SettingKeyValues files;
            for (const OpenDocumentState& doc : ctx.documents) {
                if (doc.temporary) continue;
                files.emplace_back(
                    FormatText("OpenFile%zu", files.size() + 1),
                    FormatText("%s %d %d %d %d %d", doc.name.c_str(), doc.line, doc.rect.left,
                               doc.rect.top, doc.rect.right, doc.rect.bottom));
            }
            w.Number("OpenFiles", static_cast<long>(files.size()));
            w.Pairs(files);
        }
        ok = w.ok();
        if (!batch.Commit()) ok = false;
    }
    // The open project keeps its state in its own file, which a failure of the global file
    // must not cost.
    if (!RunWriters(SettingsSlot::OpenProject, loc)) ok = false;
    return ok;
}

void RegisterSettingsPart(SettingsSlot slot, SettingsPartReader reader, SettingsPartWriter writer,
                          SettingsPartDumper dumper) {
    PartsOf(slot).push_back({std::move(reader), std::move(writer), std::move(dumper)});
}

void ClearSettingsParts() {
    for (auto& parts : gParts) parts.clear();
}

void DumpSettingsParts(SettingsSlot slot, std::ostream& out) {
    for (const SettingsPart& p : PartsOf(slot))
        if (p.dumper) p.dumper(out);
}

}  // namespace velt
