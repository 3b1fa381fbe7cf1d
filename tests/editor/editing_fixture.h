// Shared set-up of the editing tests: the editor installed with its commands, one file open in
// a window, and helpers that press keys and type characters through the core's handlers,
// checking the document's ring and the views after every one of them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "document_fixture.h"
#include "editor/block.h"
#include "editor/bookmarks.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/undo.h"
#include "shell/dispatch.h"
#include "shell/settings.h"
#include "shell/shortcuts.h"

namespace velt::testing {

class EditingTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        ForgetDocumentWindows();
        settings.tabSize = 8;
        settings.editorFlags = kEditorAutoIndent;
        InstallEditor(settings);
        FrameCommands().SetStateSource([] {
            FrameState s;
            s.hasCurrentDocument = CurrentDocument() != nullptr;
            return s;
        });
        ResetUndo();
        ResetBlockBuffer();
        RemoveAllBookmarks();
    }
    void TearDown() override {
        RemoveAllBookmarks();
        ResetUndo();
        ResetBlockBuffer();
        UninstallEditor();
        FrameCommands().SetStateSource(nullptr);
        ForgetDocumentWindows();
        gCurrentBookmarkHook = nullptr;
        DocumentTest::TearDown();
    }

    // Opens a file holding `lines` (CR LF after each) in a window; it becomes current.
    EditView* Open(const std::vector<std::string>& lines, const std::string& name = "t.txt") {
        std::string bytes;
        for (const std::string& l : lines) bytes += l + "\r\n";
        const std::string path = dir.Write(name, bytes);
        EXPECT_TRUE(OpenFile(path));
        view = CurrentView();
        doc = CurrentDocument();
        view->rows = 20;
        return view;
    }

    // Every document and view is sound.
    void Check() {
        for (Document* d = FirstDocument(); d; d = d->next) EXPECT_EQ(CheckDocument(*d), "");
    }
    bool Key(unsigned vk, bool shift = false, bool ctrl = false, bool alt = false, int repeat = 1) {
        const bool used = EditorKeyDown(vk, shift, ctrl, alt, repeat);
        Check();
        return used;
    }
    void Char(unsigned ch, bool ctrl = false, bool shift = false, int repeat = 1) {
        EditorChar(ch, ctrl, shift, repeat);
        Check();
    }
    // Types `text`; LF is the Enter key.
    void Type(std::string_view text) {
        for (char c : text) Char(c == '\n' ? 13u : static_cast<unsigned char>(c));
    }
    void Command(unsigned id) {
        DispatchCommand(id);
        Check();
    }
    void At(int line, int column) { PlaceCursor(*view, line, column); }
    std::pair<int, int> Cursor() { return {CursorLineNumber(*view), view->cursorColumn}; }
    std::vector<std::string> Text() const { return Texts(*doc); }
    std::string Line1(int n) const { return LineString(LineAt(*doc, n)); }

    GlobalSettings settings;
    EditView* view = nullptr;
    Document* doc = nullptr;
};

using Strings = std::vector<std::string>;

}  // namespace velt::testing
