#include "shell/config_dialog.h"

#include <algorithm>
#include <cmath>

#include "editor/language_page.h"
#include "platform/files.h"
#include "project/build_pages.h"
#include "project/project_page.h"
#include "project/utilities.h"
#include "shell/compiler_root.h"
#include "shell/document_host.h"
#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

namespace {

std::vector<ConfigConfirmedHandler>& ConfirmedHandlers() {
    static std::vector<ConfigConfirmedHandler> handlers;
    return handlers;
}

char LowerLetter(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string DefaultHelpFile(const std::string& root) {
    return pf::ResolveName(UnderRoot(root, "bin/win32.hlp"));
}

}  // namespace

const std::vector<ConfigPageSlot>& ConfigPageOrder() {
    static const std::vector<ConfigPageSlot> order = {
        {ConfigPageId::General, PageCondition::Always},
        {ConfigPageId::Project, PageCondition::Project},
        {ConfigPageId::Help, PageCondition::Always},
        {ConfigPageId::Versions, PageCondition::Project},
        {ConfigPageId::Compiler, PageCondition::Project},
        {ConfigPageId::Macros, PageCondition::Always},
        {ConfigPageId::Debugger, PageCondition::Always},
        {ConfigPageId::Linker, PageCondition::Project},
        {ConfigPageId::Language, PageCondition::Always},
        {ConfigPageId::Workspace, PageCondition::Always},
        {ConfigPageId::Utilities, PageCondition::Always},
        {ConfigPageId::SmallEiffel, PageCondition::EiffelProject},
        {ConfigPageId::Fortran, PageCondition::FortranProject},
    };
    return order;
}

bool ConfigPageShown(ConfigPageId id, const SheetState& state) {
    for (const ConfigPageSlot& slot : ConfigPageOrder()) {
        if (slot.id != id) continue;
        switch (slot.condition) {
            case PageCondition::Always:
                return true;
            case PageCondition::Project:
                return state.projectOpen;
            case PageCondition::EiffelProject:
                return state.projectOpen && state.eiffelProject;
            case PageCondition::FortranProject:
                return state.projectOpen && state.fortranProject;
        }
    }
    return false;
}

std::string ConfigPageTitle(ConfigPageId id, const SheetState& state) {
    switch (id) {
        case ConfigPageId::General:
            return "General";
        case ConfigPageId::Project:
            return "Project";
        case ConfigPageId::Help:
            return "Help";
        case ConfigPageId::Versions:
            return "Versions";
        case ConfigPageId::Compiler:
            return "Compiler";
        case ConfigPageId::Macros:
            return "Macros";
        case ConfigPageId::Debugger:
            return "Debugger";
        case ConfigPageId::Linker:
            return state.libraryTarget ? "Librarian" : "Linker";
        case ConfigPageId::Language:
            return "Language";
        case ConfigPageId::Workspace:
            return "Workspace";
        case ConfigPageId::Utilities:
            return "Utilities";
        case ConfigPageId::SmallEiffel:
            return "SmallEiffel";
        case ConfigPageId::Fortran:
            return "Fortran";
    }
    return "";
}

// ---- General ----

int TabSizeFromEntry(int n) {
    return (n >= 1 && n <= 8) ? n : kDefaultTabSize;
}

void GeneralPage::Load(const ConfigContext& ctx) {
    const GlobalSettings& s = ctx.settings;
    currentDir = pf::CurrentDirectory();
    compilerPath = ctx.root;
    editorFlags = s.editorFlags;
    saveSettingsAtExit = s.saveEnabled;
    showFilesToolbar = ctx.filesToolbarShown;
    tabSize = std::to_string(s.tabSize);
    scrollStep = s.subScroll;
    memoryInUse = MemoryInUse();
    openWindows = CurrentDocuments().Documents().size();
}

bool GeneralPage::Validate(const ConfigContext& ctx) {
    if (!CheckDirectory(currentDir, false)) return false;
    // The parts of a ';' list may all exist while the whole is no directory to enter.
    if (!pf::IsDirectory(pf::ResolveName(currentDir))) {
        ShowMessage(FormatText("Directory %s doesn't exist", currentDir.c_str()));
        return false;
    }
    if (compilerPath != ctx.root && !ValidateRoot(compilerPath)) return false;
    int n = 0;
    return ParseNumberEntry(tabSize, n);
}

bool GeneralPage::Apply(ConfigContext& ctx) {
    // The root is recorded whole and before the current directory moves: a relative root
    // would name another directory, and another settings file, from then on.
    if (compilerPath != ctx.root && !ChangeCompilerRoot(pf::MakeAbsolute(compilerPath), ctx.root))
        return false;
    if (!pf::SetCurrentDirectory(pf::ResolveName(currentDir))) {
        ShowMessage(FormatText("Directory %s doesn't exist", currentDir.c_str()));
        return false;
    }
    GlobalSettings& s = ctx.settings;
    // Stored whole, so that the next start finds it wherever that start begins.
    s.currentDir = pf::CurrentDirectory();
    int n = s.tabSize;
    if (ParseNumberEntry(tabSize, n)) s.tabSize = TabSizeFromEntry(n);
    s.editorFlags = editorFlags;
    s.saveEnabled = saveSettingsAtExit;
    s.subScroll = static_cast<std::int16_t>(scrollStep < 1 ? 1 : scrollStep);
    ctx.filesToolbarShown = showFilesToolbar;
    return true;
}

// ---- Help ----

void HelpPage::Load(const ConfigContext& ctx) {
    helpFile = ctx.settings.winHelpDataBase;
    helpCompiler = ctx.settings.winHelpComp;
}

bool HelpPage::Apply(ConfigContext& ctx) {
    // An emptied field means the default, as the next start would read it.
    ctx.settings.winHelpDataBase = helpFile.empty() ? DefaultHelpFile(ctx.root) : helpFile;
    ctx.settings.winHelpComp = helpCompiler.empty() ? GlobalSettings{}.winHelpComp : helpCompiler;
    return true;
}

// ---- Macros ----

bool IsMacroLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void MacrosPage::Load(const ConfigContext& ctx) {
    macros = ctx.settings.macros;
    letter.clear();
    text.clear();
    selected = -1;
}

bool MacrosPage::Apply(ConfigContext& ctx) {
    ctx.settings.macros = macros;
    return true;
}

std::vector<std::string> MacrosPage::ListRows() const {
    std::vector<std::string> rows;
    for (const TextMacro& m : macros) rows.push_back(std::string("Ctrl + ") + m.code);
    return rows;
}

int MacrosPage::Find(char code) const {
    for (std::size_t i = 0; i < macros.size(); ++i)
        if (LowerLetter(macros[i].code) == LowerLetter(code)) return static_cast<int>(i);
    return -1;
}

bool MacrosPage::LetterTyped(const std::string& typed) {
    letter = typed;
    if (typed.size() != 1 || !IsMacroLetter(typed[0])) return false;
    const int row = Find(typed[0]);
    if (row < 0) return false;
    selected = row;
    if (text == macros[row].text) return false;
    text = macros[row].text;
    return true;
}

void MacrosPage::Select(int row) {
    if (row < 0 || row >= static_cast<int>(macros.size())) {
        selected = -1;
        return;
    }
    selected = row;
    letter = std::string(1, macros[row].code);
    text = macros[row].text;
}

bool MacrosPage::Add(long caretPosition) {
    // An empty text would be dropped when the list is stored, so it is refused here.
    if (letter.size() != 1 || !IsMacroLetter(letter[0]) || text.empty()) {
        CurrentUi().Beep();
        return false;
    }
    const long position =
        caretPosition < 0 ? 0 : std::min<long>(caretPosition, static_cast<long>(text.size()));
    const TextMacro macro{letter[0], text, position};
    const int row = Find(letter[0]);
    if (row >= 0) {
        macros[row] = macro;
        selected = row;
    } else {
        macros.push_back(macro);
        selected = static_cast<int>(macros.size()) - 1;
    }
    return true;
}

bool MacrosPage::Erase() {
    if (selected < 0 || selected >= static_cast<int>(macros.size())) return false;
    macros.erase(macros.begin() + selected);
    selected = -1;
    letter.clear();
    text.clear();
    return true;
}

// ---- Workspace ----

Rgb RgbFromColorRef(std::uint32_t c) {
    return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
            static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

std::uint32_t ColorRefFromRgb(Rgb rgb) {
    return static_cast<std::uint32_t>(rgb.red) | (static_cast<std::uint32_t>(rgb.green) << 8) |
           (static_cast<std::uint32_t>(rgb.blue) << 16);
}

int FontHeightFromPoints(double points, int dpiY) {
    return -static_cast<int>(std::lround(points * dpiY / 72.0));
}

double PointsFromFontHeight(int height, int dpiY) {
    if (dpiY <= 0) dpiY = 96;
    return std::abs(height) * 72.0 / dpiY;
}

int PitchAndFamily(bool fixedPitch, FontFamilyKind family) {
    if (fixedPitch && family == FontFamilyKind::DontCare) family = FontFamilyKind::Modern;
    return static_cast<int>(family) | (fixedPitch ? 1 : 2);
}

int FontWeightOf(int fontStyle) {
    return (fontStyle >= 1 && fontStyle <= 1000) ? fontStyle : 400;
}

void WorkspacePage::Load(const ConfigContext& ctx) {
    const GlobalSettings& s = ctx.settings;
    colors = {s.commentColor, s.keywordColor, s.textColor, s.backgroundColor};
    started_ = colors;
    fontName = s.fontName;
    fontHeight = s.fontHeight;
    fontStyle = s.fontStyle;
    fontFamily = s.fontFamily;
}

bool WorkspacePage::Apply(ConfigContext& ctx) {
    GlobalSettings& s = ctx.settings;
    s.commentColor = colors.comments;
    s.keywordColor = colors.keywords;
    s.textColor = colors.text;
    s.backgroundColor = colors.background;
    s.fontName = fontName;
    s.fontHeight = fontHeight;
    s.fontStyle = fontStyle;
    s.fontFamily = fontFamily;
    return true;
}

void WorkspacePage::Cancel(ConfigContext& ctx) {
    GlobalSettings& s = ctx.settings;
    s.commentColor = started_.comments;
    s.keywordColor = started_.keywords;
    s.textColor = started_.text;
    s.backgroundColor = started_.background;
    colors = started_;
}

void WorkspacePage::ChooseFont(const FontChoice& font, int dpiY) {
    if (font.name.empty()) return;
    fontName = font.name;
    fontHeight = FontHeightFromPoints(font.pointSize, dpiY);
    fontStyle = font.weight;
    fontFamily = PitchAndFamily(font.fixedPitch, font.family);
}

std::vector<ExampleLine> WorkspacePage::Example() const {
    return {{"Normal text", colors.text},
            {"Comment text", colors.comments},
            {"Keywords", colors.keywords}};
}

// ---- The sheet ----

std::unique_ptr<ConfigPage> MakeConfigPage(ConfigPageId id) {
    switch (id) {
        case ConfigPageId::General:
            return std::make_unique<GeneralPage>();
        case ConfigPageId::Project:
            return std::make_unique<ProjectPage>();
        case ConfigPageId::Help:
            return std::make_unique<HelpPage>();
        case ConfigPageId::Macros:
            return std::make_unique<MacrosPage>();
        case ConfigPageId::Language:
            return std::make_unique<LanguagePage>();
        case ConfigPageId::Workspace:
            return std::make_unique<WorkspacePage>();
        case ConfigPageId::Utilities:
            return std::make_unique<UtilitiesPage>();
        case ConfigPageId::Compiler:
            return std::make_unique<CompilerPage>();
        case ConfigPageId::Linker:
            return std::make_unique<LinkerPage>();
        default:
            return nullptr;
    }
}

void AddConfigConfirmedHandler(ConfigConfirmedHandler handler) {
    ConfirmedHandlers().push_back(std::move(handler));
}

void ClearConfigConfirmedHandlers() {
    ConfirmedHandlers().clear();
}

ConfigSheet::ConfigSheet(ConfigContext& ctx) : ctx_(ctx), before_(ctx.settings) {
    for (const ConfigPageSlot& slot : ConfigPageOrder()) {
        if (!ConfigPageShown(slot.id, ctx.sheet)) continue;
        std::unique_ptr<ConfigPage> page = MakeConfigPage(slot.id);
        if (!page) continue;
        page->Load(ctx);
        pages_.push_back(std::move(page));
    }
}

bool ConfigSheet::Confirm(std::size_t* refusedPage) {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i]->Validate(ctx_)) {
            if (refusedPage) *refusedPage = i;
            return false;
        }
    }
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i]->Apply(ctx_)) {
            if (refusedPage) *refusedPage = i;
            return false;
        }
    }
    // A handler may register further handlers; those run from the next sheet on.
    const std::vector<ConfigConfirmedHandler> handlers = ConfirmedHandlers();
    for (const ConfigConfirmedHandler& h : handlers)
        if (h) h(before_, ctx_);
    return true;
}

void ConfigSheet::Cancel() {
    for (auto& p : pages_) p->Cancel(ctx_);
}

}  // namespace velt
