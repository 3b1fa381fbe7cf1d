// The File commands on documents and their windows: open, new, save, save as, save all,
// reload, insert a file, the read-only toggle, close with its question, file information and
// the check against the disk; the editor windows in activation order, the current view, the
// position text and the modified mark of the titles. Everything reaches the front end
// through the Ui; the front end tells the core when a window is activated or its close box
// is pressed.
#pragma once

#include <string>

namespace velt {

struct Document;
struct EditView;
struct GlobalSettings;

// The file chooser's filter for the document commands.
inline constexpr char kDocumentFileFilter[] =
    "C sources (*.c);;C Headers (*.h);;Fortran (*.f);;Eiffel (*.e);;Assembly (*.asm);;All (*)";

// The bookmark shown by the file information: fills the current bookmark's line and
// character and returns true when one is set (the bookmarks install it).
extern bool (*gCurrentBookmarkHook)(const Document& doc, int& line, int& character);

// A project file given to OpenFile is tried as a project first (the projects install this);
// false opens it as text.
extern bool (*gOpenProjectFileHook)(const std::string& name);

// File Open hands the chosen file here when set (how a file opens depends on its name);
// unset, it opens as text with OpenFile.
extern bool (*gOpenChosenFileHook)(const std::string& name);

// File information (1118) shows its dialog through this when set (the projects install it:
// a project file's dialog also edits its file processor); unset, a plain box shows the text.
extern bool (*gFileInformationHook)(EditView& view);

// ---- Wiring (once, from main())

// Sets up what the editor needs from the start on: its languages before the settings are
// read (a start-up step), the document commands in the dispatcher, the check against the
// disk on message 10024, the document host the shell reaches the documents through, and the
// autosave (editor/autosave.h).
// `settings` (not owned) supplies the editor flags of every save. Call before RunStartup.
void InstallEditor(GlobalSettings& settings);
// Takes the commands, the message handler and the document host out again (tests; the end
// of the program). The languages and the start-up step stay.
void UninstallEditor();
// The dispatcher rows of the document commands and the handler of message 10024. Rows
// registered before by this function are replaced.
void RegisterDocumentCommands();
// Where the editor flags come from; null: the defaults of a first start.
void SetEditorSettings(const GlobalSettings* settings);
// The settings the editor works with (tab size, editor flags, macros): those given to
// SetEditorSettings, else the defaults of a first start.
const GlobalSettings& EditorSettings();

// ---- Calls of the front end

// The window of `view` became the active one: the view becomes current, the position text
// follows it.
void DocumentWindowActivated(EditView* view);
// The user asked to close the window of `view` (its close box). Asks about unsaved changes;
// true when the window may close: the view (and the document, when no other window shows
// it) is released by then and must not be used again, and the front end destroys the window
// itself. False keeps everything as it was.
bool DocumentWindowCloseRequested(EditView* view);

// ---- The commands

// Opens `name` in a window, or activates the window already showing that file. One pair of
// double quotes is stripped and the name made absolute; a program (".exe") is not opened as
// text, and a project file (".prj") only when gOpenProjectFileHook does not take it as a
// project. A file that does not exist opens as an empty document (a new file). True when a
// window shows the file afterwards, or the project was opened.
bool OpenFile(const std::string& name);
// New (1101): a fresh, empty "untitled" document in a window of its own.
EditView* NewUntitled();
// Open (1102): the file chooser, then gOpenChosenFileHook or OpenFile.
bool OpenWithChooser();
// Save (1103) of `doc`: a nameless ("untitled") document or an internal buffer goes to Save
// as. True when saved or nothing had to be written.
bool SaveDocumentCommand(Document& doc);
// Save as (1104): asks the name, refuses one that another open document has (4000), renames,
// saves and retitles the windows. On a failed save the document keeps its old name.
bool SaveDocumentAs(Document& doc);
// Save all (1167): every modified document that is not an internal buffer, going on past a
// failure. True when every one was saved.
bool SaveAllDocuments();
// Reload (1151) of the current document: 4050 for an internal buffer, else the question 4051;
// the cursor of every view goes back to its line number and column.
bool ReloadCurrentDocument();
// Insert a file (1139): the file chooser, then InsertFile.
bool InsertFileWithChooser();
// Inserts the lines of `name` after the current view's cursor line; the cursor goes to the
// line after them; "%d lines read" in the status pane. True when the file was read whole.
bool InsertFile(const std::string& name);
// Set read-only (1108): asks 439 or 427; Yes flips the document's read-only flag only.
void ToggleReadOnly();
// Close (1109): the current window, after the question about unsaved changes.
bool CloseCurrentWindow();
// Closes the window of `view`, after the question: true when it was closed.
bool CloseDocumentView(EditView* view);
// The question before a window of a modified document closes (not for internal buffers):
// Yes writes the document (without the save command's checks), No goes on, Cancel stops.
// True when the window may close.
bool AskSaveCurrent(Document& doc);
// File information (1118): the text shown for the current view.
std::string FileInformationText(const EditView& view);
void ShowFileInformation();
// Message 10024: every file that changed on disk since it was loaded or saved is offered for
// reloading once per change; the window current before is current again afterwards.
void CheckFilesOnDisk();

// ---- Titles and the status pane

// The title of a document window: the name without the current directory in front,
// lower-cased.
std::string DocumentWindowTitle(const std::string& name);
// Shows the position text of the current view (8028) and brings the modified mark of its
// windows' titles up to date. Called after every cursor move and change.
void UpdatePositionText();
// The modified mark of the titles of every window of `doc`.
void RefreshWindowTitles(Document& doc);
// The name OpenFile works with: one pair of double quotes stripped, absolute, without "."
// and ".." components.
std::string AbsoluteDocumentName(const std::string& name);

// Forgets the window records (tests, after the views were released behind their back).
void ForgetDocumentWindows();

}  // namespace velt
