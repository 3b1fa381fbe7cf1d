// A document host for tests: records what the shell opens, saves and maximises, and holds
// whatever documents a test puts in it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "shell/document_host.h"

namespace velt::testing {

class RecordingDocuments : public DocumentHost {
  public:
    RecordingDocuments() { previous_ = SetDocumentHost(this); }  // registers itself
    ~RecordingDocuments() override { SetDocumentHost(previous_); }
    RecordingDocuments(const RecordingDocuments&) = delete;
    RecordingDocuments& operator=(const RecordingDocuments&) = delete;

    std::vector<DocumentSummary> Documents() override { return docs; }
    // A path in `refuse` fails; any other becomes the active (first) document.
    bool OpenDocument(const std::string& path) override {
        opened.push_back(path);
        if (refuse.count(path)) return false;
        DocumentSummary d;
        d.name = path;
        docs.insert(docs.begin(), d);
        return true;
    }
    // An index in `failSave` fails; any other is saved (no longer modified).
    bool SaveDocument(std::size_t index) override {
        saved.push_back(index);
        if (failSave.count(index) || index >= docs.size()) return false;
        docs[index].modified = false;
        return true;
    }
    void MaximiseActive() override { ++maximised; }
    void CloseAllWindows() override {
        ++closedAll;
        docs.clear();
    }

    std::vector<DocumentSummary> docs;
    std::vector<std::string> opened;  // every OpenDocument call, refused ones too
    std::vector<std::size_t> saved;   // every SaveDocument call
    std::set<std::string> refuse;
    std::set<std::size_t> failSave;
    int maximised = 0;
    int closedAll = 0;

  private:
    DocumentHost* previous_ = nullptr;
};

}  // namespace velt::testing
