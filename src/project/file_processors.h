// File processors: the custom build rules of single project files, and the document
// information dialog ("Information about '%s'") that shows a document's position and size and,
// for a project file, edits its processor.
#pragma once

#include <functional>
#include <string>

namespace velt {

struct EditView;
struct FileProcessor;
struct Project;

// The tool that builds a file of this name by default, by its extension (the text after the
// last '.', letter case ignored): c and asm "nimra.exe", rc "nimrarc.exe", f "f2c.exe", obj
// and res "nimralnk.exe"; empty for any other.
std::string DefaultProcessorTool(const std::string& file);
// What that tool makes of it: the name without directory and extension, '.', and the
// extension of the output (obj, res, exe), lower-cased. Empty when the tool makes no file of
// its own (res) or there is no default tool.
std::string DefaultProcessorOutput(const std::string& file);

// Whether a project file entry names `file`: the names are equal, or the entry equals the
// name without its directory, or both names without their directories are equal; letter
// case ignored throughout.
bool SameProjectFileName(const std::string& entry, const std::string& file);
// The project's processor for `file` (the first whose file matches as above); null when none.
FileProcessor* FindFileProcessor(Project& project, const std::string& file);
// Whether `file` is one of the project's files (matched as above).
bool IsProjectFile(const Project& project, const std::string& file);

// ---- The document information dialog (1118)

inline constexpr char kDocumentInformationTitle[] = "Information about '%s'";
inline constexpr char kProcessorCommandLabel[] = "Command line for this file";
inline constexpr char kProcessorOutputLabel[] = "Output file produced";

struct DocumentInformationRecord {
    std::string title;          // "Information about '<document>'"
    std::string text;           // the position, size and bookmark (FileInformationText)
    std::string document;       // the document's name
    bool projectFile = false;   // the open project holds the document: the processor is shown
    bool hasProcessor = false;  // the project has a processor for it
    std::string defaultTool;    // by the document's extension
    std::string command;        // the processor's command, or the default tool
    std::string output;         // the processor's output, or the default output

    void Load(const EditView& view);
    // OK. Without a processor, a command other than the default tool (letter case ignored)
    // makes one, which needs an output; with one, an empty command offers to delete it
    // ("Delete this file processor?") and otherwise command and output are replaced, the
    // output again required. A missing output shows "You must enter the name of the output
    // file that this processor will produce"; false then keeps the dialog open.
    bool Accept();
};

// Shows the dialog on a loaded record; true when it was confirmed (after Accept passed).
// Filled by the front end; unset, the text is shown in a plain box.
extern std::function<bool(DocumentInformationRecord&)> gDocumentInformationDialog;

// The command for the view's document: loads the record and shows it.
bool ShowDocumentInformation(EditView& view);

}  // namespace velt
