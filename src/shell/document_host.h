// What the shell needs of the open editor documents: the command line and the session
// restore open files, the exit question lists and saves the modified ones, the Window menu
// lists them. The editor registers the real host; until it does, there are no documents.
#pragma once

#include <string>
#include <vector>

namespace velt {

struct EditView;

struct DocumentSummary {
    std::string name;             // full path as shown in the title (lower-cased by the editor)
    bool modified = false;        // flag 0x0002
    bool internalBuffer = false;  // flag 0x0008: exists only in memory, never asked about
    bool minimised = false;
    bool maximised = false;
    int line = 1;                // the cursor's line, from 1, for reopening at the same place
    EditView* view = nullptr;    // the window showing it, for the front end's window geometry
};

class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    // Open documents in window order (the active one first).
    virtual std::vector<DocumentSummary> Documents() = 0;
    // Opens (or activates) the named file; false when it could not be opened, after the
    // editor has said why.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Saves the document at `index` of Documents(); false when the save failed (the editor
    // has shown why).
    virtual bool SaveDocument(std::size_t index) = 0;
    // Maximises the active document window.
    virtual void MaximiseActive() = 0;
    // Closes every document window without asking: the questions were asked before.
    virtual void CloseAllWindows() = 0;
};

// The registered host; an empty one (no documents, nothing opens) until the editor exists.
DocumentHost& CurrentDocuments();
// Registers `host` (not owned); null puts the empty one back. Returns the previous one.
DocumentHost* SetDocumentHost(DocumentHost* host);

}  // namespace velt
