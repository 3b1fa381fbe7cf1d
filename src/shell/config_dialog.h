// The configuration sheet ("Configuration of Velt"): which pages it shows and in which order,
// one record per page with its loading, checks and storing, and the sheet that confirms or
// cancels them together. The front end only fills the records and draws them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/settings.h"
#include "shell/text_macros.h"

namespace velt {

inline constexpr char kConfigSheetTitle[] = "Configuration of Velt";

// Every page the sheet can have, in the order of its tabs.
enum class ConfigPageId {
    General,
    Project,
    Help,
    Versions,
    Compiler,
    Macros,
    Debugger,
    Linker,  // "Librarian" when the project builds a static library
    Language,
    Workspace,
    Utilities,
    SmallEiffel,
    Fortran,
};

enum class PageCondition {
    Always,
    Project,         // only while a project is open
    EiffelProject,   // only while an Eiffel project is open
    FortranProject,  // only while a Fortran project is open
};

struct ConfigPageSlot {
    ConfigPageId id;
    PageCondition condition;
};

// What decides which pages are shown and how the link page is called.
struct SheetState {
    bool projectOpen = false;
    bool libraryTarget = false;  // the open project builds a static library
    bool eiffelProject = false;
    bool fortranProject = false;
};

// All pages in tab order, whether built yet or not.
const std::vector<ConfigPageSlot>& ConfigPageOrder();
bool ConfigPageShown(ConfigPageId id, const SheetState& state);
std::string ConfigPageTitle(ConfigPageId id, const SheetState& state);

// What the pages edit. The settings and the root are changed only by a confirmed sheet.
struct ConfigContext {
    ConfigContext(GlobalSettings& s, std::string& r) : settings(s), root(r) {}

    GlobalSettings& settings;
    std::string& root;  // the compiler system's root directory
    SheetState sheet;
    // In: whether the open-files toolbar is shown now. Out: whether the user wants it shown;
    // the frame creates or destroys it.
    bool filesToolbarShown = false;
    // Set by pages whose changes affect the project's build, for the steps after the sheet.
    bool projectChanged = false;
};

class ConfigPage {
  public:
    virtual ~ConfigPage() = default;
    virtual ConfigPageId Id() const = 0;
    // Fills the record from the state the sheet opens with.
    virtual void Load(const ConfigContext& ctx) = 0;
    // Checks the record. A refused value is reported to the user and false keeps the sheet
    // open; nothing is changed.
    virtual bool Validate(const ConfigContext& ctx) = 0;
    // Stores the record. False (after saying why) keeps the sheet open.
    virtual bool Apply(ConfigContext& ctx) = 0;
    // The sheet was cancelled.
    virtual void Cancel(ConfigContext& /*ctx*/) {}
};

// ---- General ----

struct EditorFlagBox {
    std::uint32_t bit;
    const char* label;
    const char* name;  // the check box's object name in the front end
};

inline constexpr EditorFlagBox kEditorFlagBoxes[] = {
    {kEditorAutoIndent, "&Indent automatically", "autoIndent"},
    {kEditorCheckSyntax, "&Check syntax when saving", "checkSyntax"},
    {kEditorBackups, "&Generate backups(.~xx)", "backups"},
    {kEditorSmallOutputFont, "Use small fonts in output window", "smallOutputFont"},
    {kEditorSaveBeforeBuild, "Save files automatically before a build", "saveBeforeBuild"},
    {kEditorTestTargetUpToDate, "Test if target is up to date before executing debugging",
     "testTargetUpToDate"},
    {kEditorAutoSave, "Auto save", "autoSave"},
};

struct ScrollStepChoice {
    int lines;
    const char* label;
    const char* name;
};

inline constexpr ScrollStepChoice kScrollSteps[] = {
    {1, "&Normal", "scrollNormal"},
    {4, "S&mooth", "scrollSmooth"},
    {10, "&Very smooth", "scrollVerySmooth"},
};

inline constexpr int kDefaultTabSize = 4;

// The tab width a number entered stands for: 1 ... 8 as it is, anything else the default.
int TabSizeFromEntry(int n);

class GeneralPage : public ConfigPage {
  public:
    std::string currentDir;    // must exist; becomes the current directory
    std::string compilerPath;  // checked and recorded only when it differs from the root
    std::uint32_t editorFlags = 0;
    bool saveSettingsAtExit = true;  // "&Save editor settings configuration at exit"
    bool showFilesToolbar = false;   // "Show &open files toolbar"
    std::string tabSize;             // as typed
    int scrollStep = 1;              // lines per vertical scroll step
    // Shown only.
    std::uint32_t memoryInUse = 0;
    std::size_t openWindows = 0;

    ConfigPageId Id() const override { return ConfigPageId::General; }
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext& ctx) override;
    bool Apply(ConfigContext& ctx) override;
};

// ---- Help ----

inline constexpr char kHelpBrowseCaption[] = "Open help file";
inline constexpr char kHelpBrowseFilter[] = "*.hlp";

class HelpPage : public ConfigPage {
  public:
    std::string helpFile;      // WinHelpDataBase
    std::string helpCompiler;  // WinHelpComp

    ConfigPageId Id() const override { return ConfigPageId::Help; }
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext&) override { return true; }
    bool Apply(ConfigContext& ctx) override;
};

// ---- Macros ----

// 'a' ... 'z' and 'A' ... 'Z'.
bool IsMacroLetter(char c);

class MacrosPage : public ConfigPage {
  public:
    std::vector<TextMacro> macros;  // the list being edited; stored only when confirmed
    std::string letter;             // "Letter ('a' to 'z')"
    std::string text;               // "Contents of the macro"
    int selected = -1;              // row of the list, -1 for none

    ConfigPageId Id() const override { return ConfigPageId::Macros; }
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext&) override { return true; }
    bool Apply(ConfigContext& ctx) override;

    // The rows of the list: "Ctrl + " and the letter.
    std::vector<std::string> ListRows() const;
    // The letter field now holds `typed`. A letter already in use selects that macro and
    // shows its text; true when `text` changed.
    bool LetterTyped(const std::string& typed);
    // A row was selected: its letter and text are shown. Out of range selects nothing.
    void Select(int row);
    // "&Add": makes `letter` insert `text`, with the caret at `caretPosition` of the text.
    // The letter is matched without regard to case (Ctrl and a letter reach the same macro
    // either way), so a used letter gets its text replaced. A letter outside a-z and A-Z, or
    // nothing to insert, only beeps; false then.
    bool Add(long caretPosition);
    // "&Erase": removes the selected macro and empties the fields. False when none is selected.
    bool Erase();

  private:
    int Find(char code) const;
};

// ---- Workspace ----

// Colours are kept as the system stores them: 0x00BBGGRR.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};
Rgb RgbFromColorRef(std::uint32_t colorRef);
std::uint32_t ColorRefFromRgb(Rgb rgb);

struct WorkspaceColors {
    std::uint32_t comments = 0;
    std::uint32_t keywords = 0;
    std::uint32_t text = 0;
    std::uint32_t background = 0;
    bool operator==(const WorkspaceColors&) const = default;
};

// What "&Reset colors" sets.
inline constexpr WorkspaceColors kResetColors{0x800000, 0x000080, 0x000000, 0xFFFFFF};

// The family part of a font's pitch-and-family byte.
enum class FontFamilyKind : std::uint8_t {
    DontCare = 0x00,
    Roman = 0x10,
    Swiss = 0x20,
    Modern = 0x30,
    Script = 0x40,
    Decorative = 0x50,
};

// A font picked in the font chooser.
struct FontChoice {
    std::string name;
    double pointSize = 10;
    int weight = 400;  // 1 ... 1000, 400 regular, 700 bold
    bool fixedPitch = true;
    FontFamilyKind family = FontFamilyKind::DontCare;
};

// FontHeight of a size in points on a screen of `dpiY` dots per inch: minus the character
// height in pixels, rounded to the nearest.
int FontHeightFromPoints(double points, int dpiY);
// The point size a stored FontHeight stands for on that screen.
double PointsFromFontHeight(int height, int dpiY);
// FontFamily: fixed pitch 1, variable pitch 2, in the low bits; the family above. A fixed
// pitch font of no known family counts as a modern one, as the system classes them.
int PitchAndFamily(bool fixedPitch, FontFamilyKind family);
// The weight FontStyle stands for; 0 ("don't care") and nonsense mean regular.
int FontWeightOf(int fontStyle);

// One line of the page's example.
struct ExampleLine {
    std::string text;
    std::uint32_t color;
};

class WorkspacePage : public ConfigPage {
  public:
    WorkspaceColors colors;
    std::string fontName;
    int fontHeight = 0;
    int fontStyle = 0;
    int fontFamily = 0;

    ConfigPageId Id() const override { return ConfigPageId::Workspace; }
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext&) override { return true; }
    bool Apply(ConfigContext& ctx) override;
    // Puts back the colours the page started with, whatever showed them meanwhile.
    void Cancel(ConfigContext& ctx) override;

    void ResetColors() { colors = kResetColors; }
    void ChooseFont(const FontChoice& font, int dpiY);
    // "Normal text", "Comment text", "Keywords" in their colours, on colors.background.
    std::vector<ExampleLine> Example() const;
    const WorkspaceColors& startedWith() const { return started_; }

  private:
    WorkspaceColors started_;
};

// ---- The sheet ----

// The page record of `id`; nothing for a page not built yet.
std::unique_ptr<ConfigPage> MakeConfigPage(ConfigPageId id);

// Steps that run after the sheet was confirmed, once every page has been applied, with the
// settings as they were when it opened (saving the settings and the makefile question while
// a project is open, restarting the autosave timer, applying the font to the editors...).
using ConfigConfirmedHandler =
    std::function<void(const GlobalSettings& before, ConfigContext& ctx)>;
void AddConfigConfirmedHandler(ConfigConfirmedHandler handler);
void ClearConfigConfirmedHandlers();

class ConfigSheet {
  public:
    // Creates and loads the pages that are built and shown for ctx.sheet, in tab order.
    explicit ConfigSheet(ConfigContext& ctx);

    ConfigContext& context() { return ctx_; }
    std::size_t size() const { return pages_.size(); }
    ConfigPage& page(std::size_t i) { return *pages_[i]; }
    std::string title(std::size_t i) const { return ConfigPageTitle(pages_[i]->Id(), ctx_.sheet); }

    template <class Page>
    Page* Find() {
        for (auto& p : pages_)
            if (auto* found = dynamic_cast<Page*>(p.get())) return found;
        return nullptr;
    }

    // OK: every page is checked before any is stored, so a refused value changes nothing;
    // then the pages are stored in tab order and the confirmed handlers run. False when a
    // page refused; `refusedPage` then tells which one to show.
    bool Confirm(std::size_t* refusedPage = nullptr);
    void Cancel();

  private:
    ConfigContext& ctx_;
    GlobalSettings before_;
    std::vector<std::unique_ptr<ConfigPage>> pages_;
};

}  // namespace velt
