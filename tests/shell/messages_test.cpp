#include <gtest/gtest.h>


#include "scripted_ui.h"
#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"

using velt::testing::ScriptedUi;

namespace {

TEST(MessageCatalogue, LooksTextsUpFirstRowWinsUnknownIsEmpty) {
    EXPECT_STREQ(velt::GetMessageText(406), "Error");
    EXPECT_STREQ(velt::GetMessageText(3981), "Information");
    EXPECT_STREQ(velt::GetMessageText(4072), "Wrong block passed to release");
    EXPECT_STREQ(velt::GetMessageText(4073), "overwritten block size %d\n");
    EXPECT_STREQ(velt::GetMessageText(1154), "Impossible to open %s for writing!");
    EXPECT_STREQ(velt::GetMessageText(8142), "Establish a book mark at the current position");
    EXPECT_STREQ(velt::GetMessageText(3969), "clMDIFrame");
    EXPECT_STREQ(velt::GetMessageText(0), "");
    EXPECT_STREQ(velt::GetMessageText(2), "");
    EXPECT_STREQ(velt::GetMessageText(65535), "");
    EXPECT_NE(velt::GetMessageText(123), nullptr);
}

TEST(MessageCatalogue, KeywordListEndsWithEmptyText) {
    // The colouring reads the built-in C keywords from 996 up to the first empty text.
    std::vector<std::string> words;
    for (unsigned id = 996; *velt::GetMessageText(id); ++id) words.push_back(velt::GetMessageText(id));
    ASSERT_EQ(words.size(), 36u);
    EXPECT_EQ(words.front(), "new");
    EXPECT_EQ(words[4], "if");
    EXPECT_EQ(words.back(), "const");
}

TEST(MessageCatalogue, OnlyTheBookmarkHelpIdStandsTwice) {
    // Every id is reachable except the later 8142 row; a second duplicate would hide a text.
    std::size_t reachable = 0;
    for (unsigned id = 1; id <= 21000; ++id)
        if (*velt::GetMessageText(id)) ++reachable;
    EXPECT_EQ(reachable + 2, velt::MessageCatalogueSize());  // 1032 is empty, 8142 twice
}

TEST(MessageCatalogue, MsgDupCopiesIntoABlock) {
    char* out = nullptr;
    char* r = velt::MsgDup(&out, 406);
    EXPECT_EQ(r, out);
    EXPECT_STREQ(out, "Error");
    EXPECT_NE(out, velt::GetMessageText(406));
    velt::MemFree(out);
    char* empty = velt::MsgDup(&out, 7);
    EXPECT_STREQ(empty, "");
    velt::MemFree(empty);
}

TEST(MessageBoxes, CaptionsStylesAndCut) {
    ScriptedUi ui;
    velt::ShowMessage(std::string(300, 'a'));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, std::string(254, 'a'));
    EXPECT_EQ(ui.boxes[0].caption, "Error");
    EXPECT_EQ(ui.boxes[0].style, velt::kMbIconHand | velt::kMbTaskModal | velt::kMbSetForeground);
    EXPECT_EQ(ui.restores, 1);

    velt::ShowCannotOpen("c:\\x.c");
    EXPECT_EQ(ui.boxes[1].text, "Impossible to open c:\\x.c for writing!");
    velt::ShowInternalError(3996);
    EXPECT_EQ(ui.boxes[2].text, "InternalError 3996");

    ui.Answer(velt::kIdYes);
    EXPECT_TRUE(velt::AskYesNo("Sure?"));
    EXPECT_EQ(ui.boxes[3].caption, "Information");
    EXPECT_EQ(ui.boxes[3].style, velt::kMbYesNo | velt::kMbSetForeground);
    ui.Answer(velt::kIdNo);
    EXPECT_FALSE(velt::AskYesNoId(4051));
    EXPECT_EQ(ui.boxes[4].text, "Discard changes and reload?");

    velt::ShowInfo("Done");
    EXPECT_EQ(ui.boxes[5].style, velt::kMbIconInformation | velt::kMbSetForeground);
    EXPECT_EQ(ui.boxes[5].caption, "Information");

    velt::ShowOutOfMemory();
    EXPECT_EQ(ui.boxes[6].text, "No more memory left");
    EXPECT_EQ(ui.boxes[6].caption, "");
    EXPECT_EQ(ui.boxes[6].owner, velt::BoxOwner::ActiveWindow);
    EXPECT_EQ(ui.boxes[6].style, velt::kMbIconHand);
    EXPECT_EQ(ui.unanswered, 0);
}

TEST(MessageBoxes, ShortTextIsShownWhole) {
    ScriptedUi ui;
    std::string text(254, 'b');
    velt::ShowMessage(text);
    EXPECT_EQ(ui.boxes[0].text, text);
    velt::ShowMessageId(4001);
    EXPECT_EQ(ui.boxes[1].text, "Line too long!");
}

}  // namespace
