#include "shell/exit_questions.h"

#include <gtest/gtest.h>

#include "recording_documents.h"
#include "scripted_ui.h"
#include "shell/ui.h"

using velt::CloseDecision;
using velt::ConfirmClose;
using velt::DocumentSummary;
using velt::testing::RecordingDocuments;
using velt::testing::ScriptedUi;
using Names = std::vector<std::string>;

namespace {

class ExitQuestions : public ::testing::Test {
  protected:
    void SetUp() override {
        // Window order: two modified files around an unchanged one, and a modified buffer
        // that exists only in memory.
        docs.docs = {Doc("/src/a.c", true, false), Doc("/src/b.c", false, false),
                     Doc("/src/c.h", true, false), Doc("grep output", true, true)};
    }
    void TearDown() override { velt::SetDebugSessionRunning(false); }

    static DocumentSummary Doc(const std::string& name, bool modified, bool internal) {
        DocumentSummary d;
        d.name = name;
        d.modified = modified;
        d.internalBuffer = internal;
        return d;
    }

    ScriptedUi ui;
    RecordingDocuments docs;
};

TEST_F(ExitQuestions, AsksOnceListingTheModifiedFiles) {
    ui.Answer(velt::kIdCancel);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Veto);
    ASSERT_EQ(ui.modifiedFileLists.size(), 1u);
    EXPECT_EQ(ui.modifiedFileLists[0], (Names{"/src/a.c", "/src/c.h"}));
    EXPECT_TRUE(docs.saved.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ExitQuestions, ForgetClosesWithoutSaving) {
    ui.Answer(velt::kIdNo);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Proceed);
    EXPECT_TRUE(docs.saved.empty());
}

TEST_F(ExitQuestions, SaveAllSavesEachListedDocument) {
    ui.Answer(velt::kIdYes);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Proceed);
    EXPECT_EQ(docs.saved, (std::vector<std::size_t>{0, 2}));
}

TEST_F(ExitQuestions, FailedSaveKeepsTheIdeOpen) {
    docs.failSave = {0};
    ui.Answer(velt::kIdYes);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Veto);
    EXPECT_EQ(docs.saved, std::vector<std::size_t>{0});

    docs.failSave = {2};
    docs.saved.clear();
    docs.docs[0].modified = true;
    ui.Answer(velt::kIdYes);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Veto);
    EXPECT_EQ(docs.saved, (std::vector<std::size_t>{0, 2}));
}

TEST_F(ExitQuestions, NothingModifiedNothingAsked) {
    docs.docs = {Doc("/src/b.c", false, false), Doc("scratch", true, true)};
    EXPECT_EQ(ConfirmClose(), CloseDecision::Proceed);
    EXPECT_TRUE(ui.modifiedFileLists.empty());
}

TEST_F(ExitQuestions, RunningDebugSessionIsAskedFirst) {
    velt::SetDebugSessionRunning(true);
    ui.Answer(velt::kIdNo);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Veto);
    EXPECT_EQ(ui.Texts(), Names{"This will close the debugging session"});
    EXPECT_TRUE(ui.modifiedFileLists.empty());

    ui.Clear();
    ui.Answer(velt::kIdYes);
    ui.Answer(velt::kIdNo);
    EXPECT_EQ(ConfirmClose(), CloseDecision::Proceed);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.modifiedFileLists.size(), 1u);
}

TEST(ExitQuestionsWithoutUser, NobodyToAskKeepsEverything) {
    RecordingDocuments docs;
    DocumentSummary d;
    d.name = "/src/a.c";
    d.modified = true;
    docs.docs = {d};
    // The silent Ui stands in: nothing may be lost or overwritten unasked.
    EXPECT_EQ(ConfirmClose(), CloseDecision::Veto);
    EXPECT_TRUE(docs.saved.empty());
}

}  // namespace
