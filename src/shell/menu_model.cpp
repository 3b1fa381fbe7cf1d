#include "shell/menu_model.h"

#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/messages.h"

namespace velt {
namespace {

MenuItem Separator() {
    return {MenuItemKind::Separator, {}, 0, 0, true, false, {}};
}

MenuItem Popup(const char* label, std::vector<MenuItem> items) {
    return {MenuItemKind::Popup, label, 0, 0, true, false, std::move(items)};
}

MenuItem Command(std::string label, unsigned command, const std::string& key) {
    if (!key.empty()) label += "\t" + key;
    return {MenuItemKind::Command,
            std::move(label),
            command,
            command + kMenuHelpOffset,
            true,
            false,
            {}};
}

// Items whose key comes from the shortcut rows the bar is built with.
class Items {
  public:
    explicit Items(std::span<const ShortcutRow> rows) : rows_(rows) {}
    MenuItem operator()(const char* label, unsigned command) const {
        return Command(label, command, CommandKeyText(command, rows_));
    }

  private:
    std::span<const ShortcutRow> rows_;
};

void AppendAll(std::vector<MenuItem>& to, std::vector<MenuItem> items) {
    for (MenuItem& item : items) to.push_back(std::move(item));
}

void CollectCommands(const std::vector<MenuItem>& menu, std::vector<unsigned>& out) {
    for (const MenuItem& item : menu) {
        if (item.kind == MenuItemKind::Command) out.push_back(item.command);
        CollectCommands(item.items, out);
    }
}

}  // namespace

std::string MenuEscape(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

std::vector<MenuItem> RecentProjectItems(const std::vector<std::string>& names) {
    std::vector<MenuItem> items;
    const unsigned count = kCmdRecentProjectLast - kCmdRecentProjectFirst + 1;
    for (unsigned i = 0; i < names.size() && i < count; ++i)
        items.push_back(Command(FormatText("&%u %s", i + 1, MenuEscape(names[i]).c_str()),
                                kCmdRecentProjectFirst + i, {}));
    return items;
}

std::vector<MenuItem> UtilityItems(const std::vector<std::string>& names,
                                   const std::vector<unsigned>& commands) {
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const unsigned command =
            i < commands.size() ? commands[i] : kCmdUtilityFirst + static_cast<unsigned>(i);
        if (command < kCmdUtilityFirst || command > kCmdUtilityLast) continue;
        items.push_back(Command(MenuEscape(names[i]), command, CommandKeyText(command, {})));
    }
    return items;
}

std::vector<MenuItem> WindowListItems(const std::vector<DocumentSummary>& documents) {
    std::vector<MenuItem> items;
    for (std::size_t i = 0; i < documents.size() && i < kWindowListShown; ++i) {
        MenuItem item = Command(FormatText("&%zu %s", i + 1, MenuEscape(documents[i].name).c_str()),
                                static_cast<unsigned>(kWindowListFirst + i), {});
        item.checked = i == 0;
        items.push_back(std::move(item));
    }
    if (documents.size() > kWindowListShown) {
        items.push_back(Command("&More Windows...",
                                static_cast<unsigned>(kWindowListFirst + kWindowListShown), {}));
    }
    return items;
}

std::function<std::optional<std::string>(unsigned command)> gMenuItemTextHook;

namespace {

void ApplyItemTexts(std::vector<MenuItem>& items) {
    for (MenuItem& item : items) {
        if (item.kind == MenuItemKind::Popup) ApplyItemTexts(item.items);
        if (item.kind != MenuItemKind::Command) continue;
        if (std::optional<std::string> text = gMenuItemTextHook(item.command))
            item.text = std::move(*text);
    }
}

}  // namespace

std::vector<MenuItem> BuildMainMenu(const MainMenuSources& sources,
                                    std::span<const ShortcutRow> rows) {
    const Items I(rows);
    std::vector<MenuItem> bar;

    bar.push_back(Popup("&File", {
                                     Popup("&New",
                                           {
                                               I("&File", kCmdNewFile),
                                               I("&Editor window", kCmdNewEditorWindow),
                                               I("&Project...", kCmdCreateProject),
                                           }),
                                     I("&Open...", kCmdOpen),
                                     I("Open &binary...", kCmdOpenBinary),
                                     I("&Insert a file", kCmdInsertFile),
                                     Separator(),
                                     I("&Save", kCmdSave),
                                     I("Save &as...", kCmdSaveAs),
                                     I("Save a&ll", kCmdSaveAll),
                                     I("&Reload", kCmdReload),
                                     I("Se&t read-only", kCmdSetReadOnly),
                                     I("&Close", kCmdClose),
                                     Separator(),
                                     I("&Print...", kCmdPrint),
                                     Separator(),
                                     I("&Quit", kCmdQuit),
                                 }));

    bar.push_back(Popup("&Edit", {
                                     I("&Undo", kCmdUndo),
                                     Separator(),
                                     I("Cu&t", kCmdCut),
                                     I("&Copy", kCmdCopy),
                                     I("&Paste", kCmdPaste),
                                     I("Copy &function...", kCmdCopyFunction),
                                     I("Cop&y to File", kCmdCopyToFile),
                                     Separator(),
                                     I("&Level", kCmdLevel),
                                     I("&Mark block", kCmdMarkBlock),
                                     I("&Spaces->tabs", kCmdSpacesToTabs),
                                     I("T&abs->Spaces", kCmdTabsToSpaces),
                                     I("&Recenter", kCmdRecenter),
                                     Separator(),
                                     Popup("&Description",
                                           {
                                               I("&Function...", kCmdDescribeFunction),
                                               I("F&ile...", kCmdDescribeFile),
                                           }),
                                     I("S&how changes...", kCmdShowChanges),
                                     I("Ref&ormat...", kCmdReformat),
                                 }));

    bar.push_back(Popup("&Search", {
                                       I("&Find...", kCmdFind),
                                       I("Find &Next", kCmdFindNext),
                                       I("Find &Previous", kCmdFindPrevious),
                                       I("&Replace ...", kCmdReplace),
                                       I("Find in files... (&grep)", kCmdFindInFiles),
                                       Separator(),
                                       Popup("G&oto",
                                             {
                                                 I("&Top", kCmdGotoTop),
                                                 I("&End", kCmdGotoEnd),
                                                 I("&Line", kCmdGotoLine),
                                                 I("&Previous function", kCmdPreviousFunction),
                                                 I("&Next function", kCmdNextFunction),
                                                 I("&Bookmark", kCmdGotoBookmark),
                                             }),
                                       Popup("&Bookmarks",
                                             {
                                                 I("&Set", kCmdSetBookmark),
                                                 I("&Goto", kCmdGotoBookmark),
                                                 I("Goto ne&xt", kCmdGotoNextBookmark),
                                                 I("&Delete", kCmdDeleteBookmark),
                                             }),
                                       I("&History...", kCmdHistory),
                                       Separator(),
                                       I("F&unctions list...", kCmdFunctionsList),
                                       I("S&tructures list...", kCmdStructuresList),
                                       I("Search a fun&ction...", kCmdSearchFunction),
                                       I("Search &definition", kCmdSearchDefinition),
                                       I("Symbol us&age", kCmdSymbolUsage),
                                       I("&ID...", kCmdSearchId),
                                       I("Identif&y file...", kCmdIdentifyFile),
                                   }));

    std::vector<MenuItem> project = {
        I("&Configuration", kCmdProjectConfiguration),
        Separator(),
        I("C&reate...", kCmdCreateProject),
        I("&Open...", kCmdOpenProject),
        I("C&lose...", kCmdCloseProject),
        I("&Erase...", kCmdEraseProject),
        Separator(),
        I("&Add/Delete files...", kCmdAddDeleteFiles),
        I("Open all &files", kCmdOpenAllFiles),
        I("&Workspace", kCmdWorkspace),
    };
    if (std::vector<MenuItem> recent = RecentProjectItems(sources.recentProjects);
        !recent.empty()) {
        project.push_back(Separator());
        AppendAll(project, std::move(recent));
    }
    if (std::vector<MenuItem> utilities = UtilityItems(sources.utilities, sources.utilityCommands);
        !utilities.empty()) {
        project.push_back(Separator());
        AppendAll(project, std::move(utilities));
    }
    bar.push_back(Popup("&Project", std::move(project)));

    bar.push_back(Popup("&Resources", {
                                          I("&Open/New", kCmdResourceOpen),
                                          I("Show &directory", kCmdResourceShowDirectory),
                                          I("&Symbols", kCmdResourceSymbols),
                                          I("&Group", kCmdResourceGroup),
                                          Popup("&New",
                                                {
                                                    I("&Dialog", kCmdNewDialog),
                                                    I("&Menu", kCmdNewMenu),
                                                    I("&Icon", kCmdNewIcon),
                                                    I("&Cursor", kCmdNewCursor),
                                                    I("&Accelerator", kCmdNewAccelerator),
                                                    I("&Bitmap", kCmdNewBitmap),
                                                    I("S&trings", kCmdNewStrings),
                                                }),
                                          Separator(),
                                          Popup("&Alignment",
                                                {
                                                    I("&Left", 7040),
                                                    I("&Right", 7041),
                                                    I("&Top", 7042),
                                                    I("&Bottom", 7043),
                                                }),
                                          Popup("S&pacing",
                                                {
                                                    I("&Horizontal", 7044),
                                                    I("&Vertical", 7045),
                                                }),
                                          Popup("Sa&me size",
                                                {
                                                    I("&Width", 7046),
                                                    I("&Height", 7047),
                                                    I("&Both", 7048),
                                                }),
                                          Popup("&Buttons",
                                                {
                                                    I("At the &right", 7049),
                                                    I("At the &bottom", 7050),
                                                    I("&Centred", 7051),
                                                }),
                                          Separator(),
                                          I("&Test", kCmdResourceTest),
                                          I("&Zoom", kCmdResourceZoom),
                                          I("&Config", kCmdResourceConfig),
                                          I("O&utput", kCmdResourceOutput),
                                      }));

    bar.push_back(Popup("&Compiler", {
                                         I("Make", kCmdMake),
                                         I("&Link", kCmdLink),
                                         I("&Generate Makefile", kCmdGenerateMakefile),
                                         I("&Rebuild all", kCmdRebuildAll),
                                         Separator(),
                                         I("&Settings", kCmdCompilerSettings),
                                         Separator(),
                                         I("&Debugger", kCmdDebugger),
                                         I("&Breakpoints", kCmdBreakpoints),
                                         I("Set brea&kpoint", kCmdSetBreakpoint),
                                     }));

    bar.push_back(Popup("&Utils", {
                                      I("&Execute...", kCmdExecute),
                                      I("&Diff...", kCmdDiff),
                                      I("&Profiler", kCmdProfiler),
                                      Popup("&Analysis",
                                            {
                                                I("Show #&includes", kCmdShowIncludes),
                                                I("&Obj Xref", kCmdObjXref),
                                                I("Function &Tree", kCmdFunctionTree),
                                                I("Generate .&HLP...", kCmdGenerateHelp),
                                                I("&Strings...", kCmdStrings),
                                                I("File &metrics", kCmdFileMetrics),
                                                I("F&unction metrics", kCmdFunctionMetrics),
                                                I("Write &prototypes", kCmdWritePrototypes),
                                                I("&Browse fn defs", kCmdBrowseFunctionDefs),
                                                I("Show &globals", kCmdShowGlobals),
                                                I("S&lice by local", kCmdSliceByLocal),
                                                I("File &relations", kCmdFileRelations),
                                                I("&Audit", kCmdAudit),
                                            }),
                                      I("Apply pa&tch", kCmdApplyPatch),
                                      I("Show #&ifdefs", kCmdShowIfdefs),
                                      Separator(),
                                      I("E&xecutable stats", kCmdExecutableStats),
                                      I("&Function size stats", kCmdFunctionSizeStats),
                                  }));

    bar.push_back(Popup("&Versions", {
                                         I("&Get...", kCmdCmsGet),
                                         I("Get a&ll...", kCmdCmsGetAll),
                                         I("&Put...", kCmdCmsPut),
                                         I("P&ut all...", kCmdCmsPutAll),
                                         Separator(),
                                         I("&Change locks...", kCmdCmsChangeLocks),
                                         I("See loc&ks...", kCmdCmsSeeLocks),
                                         Separator(),
                                         I("&Differences...", kCmdCmsDifferences),
                                         I("&Function history...", kCmdCmsFunctionHistory),
                                         I("&Revisions...", kCmdCmsRevisions),
                                         I("See l&og...", kCmdCmsSeeLog),
                                         Separator(),
                                         I("D&efaults...", kCmdCmsDefaults),
                                         I("Er&ase...", kCmdCmsErase),
                                         I("&Query...", kCmdCmsQuery),
                                         I("See operatio&ns...", kCmdCmsSeeOperations),
                                         Separator(),
                                         I("&Save release...", kCmdCmsSaveRelease),
                                         I("Ge&t release...", kCmdCmsGetRelease),
                                         I("Sho&w release...", kCmdCmsShowRelease),
                                     }));

    std::vector<MenuItem> window = {
        I("&Cascade", kCmdCascade),
        I("&Statistics", kCmdStatistics),
        Popup("&Arrange",
              {
                  I("&Tile", kCmdTile),
                  I("&Disposition...", kCmdDisposition),
                  I("Arrange &icons", kCmdArrangeIcons),
              }),
    };
    if (std::vector<MenuItem> list = WindowListItems(CurrentDocuments().Documents());
        !list.empty()) {
        window.push_back(Separator());
        AppendAll(window, std::move(list));
    }
    bar.push_back(Popup("&Window", std::move(window)));

    bar.push_back(Popup("&Help", {
                                     I("&Index", kCmdHelpIndex),
                                     I("&About", kCmdAbout),
                                     I("&Version", kCmdVersion),
                                 }));
    if (gMenuItemTextHook) ApplyItemTexts(bar);
    return bar;
}

std::vector<MenuItem> BuildMainMenu(const MainMenuSources& sources) {
    return BuildMainMenu(sources, ActiveShortcuts());
}

const MenuItem* FindMenuItem(const std::vector<MenuItem>& menu, unsigned command) {
    for (const MenuItem& item : menu) {
        if (item.kind == MenuItemKind::Command && item.command == command) return &item;
        if (const MenuItem* inner = FindMenuItem(item.items, command)) return inner;
    }
    return nullptr;
}

std::vector<unsigned> MenuCommands(const std::vector<MenuItem>& menu) {
    std::vector<unsigned> out;
    CollectCommands(menu, out);
    return out;
}

void UpdateMenuEnabled(std::vector<MenuItem>& menu,
                       const std::function<bool(unsigned)>& isEnabled) {
    for (MenuItem& item : menu) {
        if (item.kind == MenuItemKind::Command) item.enabled = isEnabled(item.command);
        UpdateMenuEnabled(item.items, isEnabled);
    }
}

void UpdateMenuEnabled(std::vector<MenuItem>& menu) {
    UpdateMenuEnabled(menu, [](unsigned id) { return IsCommandEnabled(id); });
}

}  // namespace velt
