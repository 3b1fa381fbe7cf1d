// Documents built from lines in memory, with the built-in languages, for the colouring
// tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/comment_scan.h"
#include "editor/document.h"
#include "editor/language.h"
#include "editor/paint.h"
#include "scripted_ui.h"

namespace velt::testing {

class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetLanguages();
        InstallLanguageHooks();
    }
    void TearDown() override {
        ReleaseAllDocuments();
        for (Document* d : docs_) ForgetCommentRanges(d);
    }

    // A document named `name` (its language chosen from it) holding `lines`.
    Document& Doc(const std::string& name, const std::vector<std::string>& lines) {
        Document* d = NewDocument(name);
        for (const std::string& l : lines)
            AppendLine(*d, NewLine(l.data(), static_cast<int>(l.size())));
        d->lineCount = static_cast<std::int32_t>(lines.size());
        ChooseDocumentLanguage(*d);
        docs_.push_back(d);
        return *d;
    }

    // The runs of a row as "colour|text" lines, with "*" after the colour of inverted runs.
    static std::string Runs(const PaintedRow& row) {
        std::string s;
        for (const PaintRun& r : row.runs) {
            s += PaintColourName(r.colour);
            if (r.inverted) s += '*';
            s += '|' + r.text + '\n';
        }
        return s;
    }

    // The runs of line n (from 1) in a window wide enough for any row.
    std::string RunsOf(Document& doc, int n, int tabSize = 4) {
        PaintOptions o;
        o.tabSize = tabSize;
        o.columns = kRowTextMax + 10;
        return Runs(PaintRow(doc, LineAt(doc, n), std::nullopt, o));
    }

    ScriptedUi ui;

  private:
    std::vector<Document*> docs_;
};

}  // namespace velt::testing
