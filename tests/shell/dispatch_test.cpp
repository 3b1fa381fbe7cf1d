#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_ui.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/frame_messages.h"
#include "shell/status_pane.h"

using velt::CommandCall;
using velt::CommandDispatcher;
using velt::CommandPhase;
using velt::DispatchStatus;
using velt::FrameMessage;
using velt::FrameState;

namespace {

// A dispatcher whose handlers record the ids they ran for.
class Dispatch : public ::testing::Test {
  protected:
    void SetUp() override {
        d.SetStateSource([this] { return state; });
    }
    velt::CommandHandler Recorder(std::string name) {
        return [this, name](const CommandCall& c) {
            ran.push_back(name + ":" + std::to_string(c.id));
            return static_cast<std::intptr_t>(c.id);
        };
    }
    CommandDispatcher d;
    FrameState state{false, false, true};
    std::vector<std::string> ran;
};

TEST_F(Dispatch, DebugSessionTurnsFunctionKeyIdsIntoDebuggerCommands) {
    d.RegisterRange(0, 20000, Recorder("any"));
    state.debugSession = true;
    // id = 888 + virtual key: F2 1001, F4 1003, F5 1004, F7 1006, F8 1007, F9 1008.
    const std::pair<unsigned, unsigned> remaps[] = {{1001, 300}, {1006, 330}, {1004, 340},
                                                    {1007, 350}, {1003, 360}, {1008, 670}};
    for (auto [id, command] : remaps) {
        const auto r = d.Dispatch(id);
        EXPECT_EQ(r.status, DispatchStatus::Handled);
        EXPECT_EQ(r.command, command) << id;
    }
    // Function keys the debugger does not take, and ids outside 1000-1012, stay.
    EXPECT_EQ(d.Dispatch(1000).command, 1000u);
    EXPECT_EQ(d.Dispatch(1012).command, 1012u);
    EXPECT_EQ(d.Dispatch(1103).command, 1103u);
    EXPECT_EQ(velt::DebuggerCommandForKeyId(999 + 5), 340u);        // 1004
    EXPECT_EQ(velt::DebuggerCommandForKeyId(888 + 0x78 + 16), 0u);  // past 1012

    // The remapped command passes the document filter as itself: 340 has no row.
    state.hasCurrentDocument = false;
    EXPECT_EQ(d.Dispatch(1004).status, DispatchStatus::Handled);

    state.debugSession = false;
    EXPECT_EQ(d.Dispatch(1004).command, 1004u);
}

TEST_F(Dispatch, ResourceEditorTakesItsCommandsWhileActive) {
    std::vector<unsigned> redirected;
    d.SetResourceEditor([&](const CommandCall& c) {
        redirected.push_back(c.id);
        return std::intptr_t{7};
    });
    d.RegisterRange(0, 20000, Recorder("table"));
    const std::vector<unsigned> taken = {1103, 1104, 1109, 1110, 1111, 1112, 1113, 1134, 1141,
                                         1151, 1253, 1259, 1260, 1261, 1263, 1450, 1453, 1454,
                                         1459, 7040, 7041, 7042, 7043, 7045, 7053, 7060, 7066};
    state.resourceEditorActive = true;
    for (unsigned id : taken) {
        const auto r = d.Dispatch(id);
        EXPECT_EQ(r.status, DispatchStatus::Redirected) << id;
        EXPECT_EQ(r.value, 7);
    }
    EXPECT_EQ(redirected, taken);
    EXPECT_TRUE(ran.empty());

    for (unsigned id : {7044u, 7046u, 7051u, 1102u, 1455u, 1262u})
        EXPECT_EQ(d.Dispatch(id).status, DispatchStatus::Handled) << id;

    state.resourceEditorActive = false;
    EXPECT_EQ(d.Dispatch(1103).status, DispatchStatus::Handled);
    EXPECT_EQ(redirected.size(), taken.size());

    // Without a receiver the command is not handled, and not sent to the documents either.
    d.SetResourceEditor(nullptr);
    state.resourceEditorActive = true;
    ran.clear();
    EXPECT_EQ(d.Dispatch(1103).status, DispatchStatus::NotHandled);
    EXPECT_TRUE(ran.empty());
}

TEST_F(Dispatch, WithoutADocumentOnlyAllowedCommandsRun) {
    d.RegisterRange(0, 20000, Recorder("t"));
    state.hasCurrentDocument = false;
    EXPECT_EQ(d.Dispatch(velt::kCmdStructuresList).status, DispatchStatus::Ignored);  // Alt+F12
    EXPECT_EQ(d.Dispatch(velt::kCmdSave).status, DispatchStatus::Ignored);
    EXPECT_EQ(d.Dispatch(velt::kCmdMake).status, DispatchStatus::Handled);  // F9
    EXPECT_EQ(d.Dispatch(velt::kCmdOpenByName).status, DispatchStatus::Handled);
    EXPECT_EQ(d.Dispatch(velt::kCmdAbout).status, DispatchStatus::Handled);  // no row
    EXPECT_EQ(d.Dispatch(1214).status, DispatchStatus::Handled);
    EXPECT_EQ(ran, (std::vector<std::string>{"t:1156", "t:1117", "t:1107", "t:1214"}));
    EXPECT_FALSE(d.IsEnabled(velt::kCmdStructuresList));
    EXPECT_TRUE(d.IsEnabled(velt::kCmdMake));

    state.hasCurrentDocument = true;
    EXPECT_EQ(d.Dispatch(velt::kCmdStructuresList).status, DispatchStatus::Handled);
    EXPECT_TRUE(d.IsEnabled(velt::kCmdStructuresList));
}

TEST_F(Dispatch, FirstRowWinsAndTableRowsComeBeforeFrameRows) {
    int owner1 = 0, owner2 = 0;
    d.Register(1103, Recorder("frame"), &owner1, CommandPhase::Frame);
    d.Register(1103, Recorder("first"), &owner1);
    d.Register(1103, Recorder("second"), &owner2);
    d.RegisterRange(1320, 1332, Recorder("utility"), &owner2);
    d.Register(1321, Recorder("late"));

    EXPECT_EQ(d.Dispatch(1103).value, 1103);
    EXPECT_EQ(d.Dispatch(1321).value, 1321);
    EXPECT_EQ(ran, (std::vector<std::string>{"first:1103", "utility:1321"}));

    d.Unregister(&owner1);  // "first" and "frame" go; "second" is next in line
    ran.clear();
    d.Dispatch(1103);
    d.Unregister(&owner2);
    d.Dispatch(1321);
    EXPECT_EQ(ran, (std::vector<std::string>{"second:1103", "late:1321"}));

    EXPECT_EQ(d.Dispatch(1102).status, DispatchStatus::NotHandled);
    EXPECT_FALSE(d.IsAvailable(1102));
    EXPECT_FALSE(d.IsEnabled(1102));
    EXPECT_TRUE(d.IsAvailable(1321));
}

TEST_F(Dispatch, HandlersMayChangeTheTableWhileTheyRun) {
    int owner = 0;
    d.Register(
        1200,
        [&](const CommandCall&) {
            d.Unregister(&owner);  // removes the running row itself
            for (unsigned i = 0; i < 100; ++i) d.Register(2000 + i, Recorder("new"));
            return std::intptr_t{5};
        },
        &owner);
    EXPECT_EQ(d.Dispatch(1200).value, 5);
    EXPECT_FALSE(d.IsAvailable(1200));
    EXPECT_TRUE(d.IsAvailable(2099));
}

class FrameMessages : public ::testing::Test {
  protected:
    void SetUp() override {
        velt::FrameCommands().Clear();
        velt::ClearFrameMessageHandlers();
        velt::FrameStatusPane().Reset();
        velt::FrameCommands().SetStateSource([] { return FrameState{false, false, true}; });
    }
    void TearDown() override {
        velt::FrameCommands().Clear();
        velt::ClearFrameMessageHandlers();
        velt::FrameStatusPane().Reset();
    }
    velt::testing::ScriptedUi ui;
};

TEST_F(FrameMessages, CommandsStatusTextsAndRegisteredHandlers) {
    std::vector<std::pair<unsigned, std::intptr_t>> seen;
    velt::FrameCommands().RegisterRange(0, 20000, [&](const CommandCall& c) {
        seen.push_back({c.id, c.lparam});
        return c.id == velt::kCmdSharedClientSize ? std::intptr_t{(480 << 16) | 640} : 0;
    });
    const char name[] = "/tmp/a.c";
    velt::SendFrameMessage(FrameMessage::Command, velt::kCmdOpenByName, velt::TextParam(name));
    EXPECT_EQ(velt::SendFrameMessage(velt::kCmdSharedClientSize), (480 << 16) | 640);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, velt::kCmdOpenByName);
    EXPECT_EQ(reinterpret_cast<const char*>(seen[0].second), std::string(name));

    velt::SendFrameMessage(FrameMessage::PositionText, 0, velt::TextParam("3:1"));
    velt::SendFrameMessage(FrameMessage::Notice, 0, velt::TextParam("2 substitutions"));
    EXPECT_EQ(velt::FrameStatusPane().PositionText(), "3:1");
    EXPECT_EQ(velt::FrameStatusPane().Text(), "2 substitutions");
    velt::SendFrameMessage(FrameMessage::TransientHelp, 0, velt::TextParam("Help."));
    EXPECT_EQ(velt::FrameStatusPane().Text(), "Help.");
    velt::SendFrameMessage(FrameMessage::TransientHelp, 8037, velt::TextParam(""));
    EXPECT_EQ(velt::FrameStatusPane().Text(), "2 substitutions");

    int layouts = 0;
    velt::SetFrameMessageHandler(FrameMessage::Layout, [&](std::uintptr_t, std::intptr_t) {
        ++layouts;
        return std::intptr_t{1};
    });
    EXPECT_TRUE(velt::HasFrameMessageHandler(FrameMessage::Layout));
    EXPECT_EQ(velt::SendFrameMessage(FrameMessage::Layout), 1);
    velt::SetFrameMessageHandler(FrameMessage::Layout, nullptr);
    EXPECT_EQ(velt::SendFrameMessage(FrameMessage::Layout), 0);
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(velt::SendFrameMessage(12345u), 0);

    // A registered handler replaces the default of 2024.
    velt::SetFrameMessageHandler(FrameMessage::Command,
                                 [](std::uintptr_t w, std::intptr_t) { return std::intptr_t(w); });
    EXPECT_EQ(velt::SendFrameMessage(FrameMessage::Command, 1101), 1101);
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
