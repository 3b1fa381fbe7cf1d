#include "shell/document_host.h"

namespace velt {
namespace {

class NoDocuments : public DocumentHost {
public:
    std::vector<DocumentSummary> Documents() override { return {}; }
    bool OpenDocument(const std::string&) override { return false; }
    bool SaveDocument(std::size_t) override { return false; }
    void MaximiseActive() override {}
    void CloseAllWindows() override {}
};

NoDocuments gNone;
DocumentHost* gHost = &gNone;

}  // namespace

DocumentHost& CurrentDocuments() { return *gHost; }

DocumentHost* SetDocumentHost(DocumentHost* host) {
    DocumentHost* previous = gHost == &gNone ? nullptr : gHost;
    gHost = host ? host : &gNone;
    return previous;
}

}  // namespace velt
