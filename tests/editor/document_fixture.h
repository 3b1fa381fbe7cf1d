// Shared set-up of the document tests: a scripted Ui, a temporary directory, and no
// documents, views or recent files left over from another test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/document.h"
#include "editor/document_io.h"
#include "scripted_ui.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace velt::testing {

class DocumentTest : public ::testing::Test {
  protected:
    // The hooks other parts install are set aside, so each test sees only its own.
    void SetUp() override {
        ReleaseAllDocuments();
        ClearRecentFiles();
        FrameStatusPane().Reset();
        gLineChangedHook = nullptr;
        gLineDeletedHook = nullptr;
        gLineMovedHook = nullptr;
        gChooseLanguageHook = nullptr;
        gDocumentLoadedHook = nullptr;
        gSyntaxCheckHook = nullptr;
        gAutosaveDropHook = nullptr;
    }
    void TearDown() override {
        ReleaseAllDocuments();
        ClearRecentFiles();
        gLineChangedHook = saved_.lineChanged;
        gLineDeletedHook = saved_.lineDeleted;
        gLineMovedHook = saved_.lineMoved;
        gChooseLanguageHook = saved_.chooseLanguage;
        gDocumentLoadedHook = saved_.documentLoaded;
        gSyntaxCheckHook = saved_.syntaxCheck;
        gAutosaveDropHook = saved_.autosaveDrop;
    }

    static std::vector<std::string> Texts(const Document& doc) {
        std::vector<std::string> out;
        for (Line* l : Lines(doc)) out.push_back(LineString(l));
        return out;
    }
    // A document named `name` holding `lines`.
    static Document* Make(const std::string& name, const std::vector<std::string>& lines) {
        Document* doc = FindDocument(name, true);
        for (const std::string& s : lines)
            AppendLine(*doc, NewLine(s.data(), static_cast<int>(s.size())));
        return doc;
    }

    ScriptedUi ui;
    TempDir dir;

  private:
    struct Hooks {
        decltype(gLineChangedHook) lineChanged = gLineChangedHook;
        decltype(gLineDeletedHook) lineDeleted = gLineDeletedHook;
        decltype(gLineMovedHook) lineMoved = gLineMovedHook;
        decltype(gChooseLanguageHook) chooseLanguage = gChooseLanguageHook;
        decltype(gDocumentLoadedHook) documentLoaded = gDocumentLoadedHook;
        decltype(gSyntaxCheckHook) syntaxCheck = gSyntaxCheckHook;
        decltype(gAutosaveDropHook) autosaveDrop = gAutosaveDropHook;
    } saved_;
};

}  // namespace velt::testing
