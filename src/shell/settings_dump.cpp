#include "shell/settings_dump.h"

#include <iostream>

#include "platform/files.h"
#include "shell/messages.h"
#include "shell/settings.h"

namespace velt {

namespace {

class Printer {
  public:
    explicit Printer(std::ostream& out) : out_(out) {}
    void operator()(std::string_view key, long value) { out_ << key << '=' << value << '\n'; }
    void operator()(std::string_view key, const std::string& value) {
        out_ << key << '=' << value << '\n';
    }
    void Pairs(const SettingKeyValues& pairs) {
        for (const auto& [key, value] : pairs) (*this)(key, value);
    }

  private:
    std::ostream& out_;
};

}  // namespace

int RunPrefsCommand(const std::string& root, std::ostream& out) {
    if (!platform::IsDirectory(platform::ResolveName(root))) {
        std::cerr << FormatText("Directory %s doesn't exist", root.c_str()) << '\n';
        return 1;
    }
    GlobalSettings s;
    LoadGlobalSettings(root, s, LoadMode::ReadOnly);
    // Without the shortcut table the stored records are shown as they would be applied.
    const std::vector<AccelRecord> accel =
        ReadAcceleratorRecords(GlobalSettingsFile(root), kSettingsSection);

    Printer p(out);
    p("Tabsize", s.tabSize);
    p("FindFlags", s.findFlags);
    p("CommentColor", s.commentColor);
    p("KeywordColor", s.keywordColor);
    p("Grep", s.grep);
    p("FontHeight", s.fontHeight);
    p("FontStyle", s.fontStyle);
    p("FrameZoomed", s.frameZoomed);
    p("StatusBar", s.statusBar);
    p("SubScroll", s.subScroll);
    p("FrameX", s.frameX);
    p("FrameY", s.frameY);
    p("FrameCX", s.frameCX);
    p("FrameCY", s.frameCY);
    p("EditorFlags", s.editorFlags);
    p("OutputWndHeight", s.outputWndHeight);
    p("BackupFile", s.backupFile);
    p("FontFamily", s.fontFamily);
    p("TextColor", s.textColor);
    p("BackgroundColor", s.backgroundColor);
    p("PrinterFontName", s.printerFontName);
    p("PrinterFontSize", s.printerFontSize);
    p("DebuggerArguments", s.debuggerArguments);
    p("DebuggerDir", s.debuggerDir);
    p("DebuggerExeName", s.debuggerExeName);
    p("DebuggerFlags", s.debuggerFlags);
    DumpSettingsParts(SettingsSlot::Utilities, out);
    DumpSettingsParts(SettingsSlot::Languages, out);
    p.Pairs(MacroKeyValues(s.macros));
    p.Pairs(AcceleratorKeyValues(accel));
    p("Print", s.print);
    p("IncludeFlags", s.includeFlags);
    p("CurrentDir", s.currentDir);
    p("WinHelpComp", s.winHelpComp);
    p("WinHelpDataBase", s.winHelpDataBase);
    p("FontName", s.fontName);
    p("CurrentFile", s.currentFile);
    p("HistorySize", s.historySize);
    p("HistoryTime", s.historyTime);
    DumpSettingsParts(SettingsSlot::Projects, out);
    p("OpenFiles", static_cast<long>(s.reopenFiles.size()));
    for (std::size_t k = 0; k < s.reopenFiles.size(); ++k)
        p(FormatText("OpenFile%zu", k + 1), s.reopenFiles[k]);
    DumpSettingsParts(SettingsSlot::OpenProject, out);
    return 0;
}

}  // namespace velt
