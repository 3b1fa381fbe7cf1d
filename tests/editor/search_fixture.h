// Shared set-up of the search and replace tests: the editing fixture with a fresh search
// record, the dialog and question hooks answered from queues.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "editing_fixture.h"
#include "editor/regex.h"
#include "editor/search.h"

namespace velt::testing {

class SearchTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        Search() = SearchSettings{};
        settings.findFlags = kFindCurrentWindow | kFindPlain | kFindForwards;
        gReplaceConfirm = [this](const std::string& found) {
            asked.push_back(found);
            if (answers.empty()) return ReplaceAnswer::Cancel;
            const ReplaceAnswer a = answers.front();
            answers.pop_front();
            return a;
        };
    }
    void TearDown() override {
        gFindDialog = nullptr;
        gReplaceDialog = nullptr;
        gReplaceConfirm = nullptr;
        gWindowMinimised = nullptr;
        Search() = SearchSettings{};
        GlobalRegex().Release();
        EditingTest::TearDown();
    }

    // The text to search with these flags (the rest of FindFlags as they are).
    void Seek(const std::string& text, std::uint16_t flags) {
        SetSearchText(text);
        settings.findFlags = flags;
    }
    // The marked block as {line, anchor column, cursor column}; {0, 0, 0} for none.
    std::vector<int> Marked() {
        if (!view->block) return {0, 0, 0};
        EXPECT_EQ(view->block, view->cursor);
        return {CursorLineNumber(*view), view->blockColumn, view->cursorColumn};
    }

    std::deque<ReplaceAnswer> answers;
    std::vector<std::string> asked;
};

inline constexpr std::uint16_t kPlainForwards = kFindCurrentWindow | kFindPlain | kFindForwards;

}  // namespace velt::testing
