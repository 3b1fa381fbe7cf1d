// How File Open opens a chosen file, decided by its name: resource files go to the resource
// editor, object files and libraries are summarised in the output pane, images go to the icon
// editor, anything else opens as text.
#pragma once

#include <string>
#include <vector>

namespace velt {

enum class OpenAction {
    AskResource,     // ".RC": asked whether to open it in the resource editor
    ResourceEditor,  // ".RES", ".WED"
    ImageSummary,    // ".OBJ", ".DLL", ".OCX", ".LIB"
    IconEditor,      // ".BMP", ".CUR", ".ICO"
    Text,            // anything else (a project is tried first by OpenFile)
};

// The row of the table a name falls in: case-insensitive substring tests, in the table's
// order, on the name's last component (a directory's name does not say what a file is).
OpenAction OpenActionFor(const std::string& name);

// Opens `name` as its row says. True when it was opened or handed to a program.
bool OpenByName(const std::string& name);

// "<root>/bin/imgdump.exe /summary /out:<temp> <file>".
std::string ImageSummaryCommand(const std::string& tempFile, const std::string& file);
// Runs imgdump on `file` hidden and waiting, then shows its summary in the "build" page of
// the output pane (cleared first), each line of up to 255 characters (a longer one goes on
// in the next). The temporary file is deleted. False when imgdump could not run (a beep).
bool ShowImageSummary(const std::string& file);
// The lines of a summary as they are shown.
std::vector<std::string> SummaryLines(const std::string& text);

// "<root>/bin/iconedit.exe <file>".
std::string IconEditorCommand(const std::string& file);
bool StartIconEditor(const std::string& file);

// ---- The resource editor ("<root>/bin/veltrdll.dll", loaded into the process)

// Whether its window is open.
bool ResourceEditorActive();
// Opens `file` in the resource editor. While it is open: "Resource editor is
// active.\nClose it first". A library that cannot be loaded: "Impossible to load
// %s\nResource editor willl not be available"; the file is not opened anywhere else.
bool OpenInResourceEditor(const std::string& file);

// File Open hands its choice to OpenByName from now on.
void InstallOpenByName();
void UninstallOpenByName();

}  // namespace velt
