// A Ui for tests: records every call and answers questions from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "shell/ui.h"

namespace velt::testing {

class ScriptedUi : public Ui {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style = 0;
        BoxOwner owner = BoxOwner::Frame;
    };

    ScriptedUi();   // registers itself
    ~ScriptedUi();  // puts the previous Ui back

    int MessageBox(const std::string& text, const std::string& caption, unsigned style,
                   BoxOwner owner) override;
    void RestoreFrameIfMinimised() override { ++restores; }
    void Beep() override { ++beeps; }

    // Queues the answers of the next boxes (kIdYes, kIdNo, kIdCancel, ...).
    void Answer(int result) { answers.push_back(result); }

    // The texts of every box shown, in order.
    std::vector<std::string> Texts() const;
    void Clear();

    std::vector<Box> boxes;
    std::deque<int> answers;
    int unanswered = 0;  // boxes that asked a question the queue did not answer
    int restores = 0;
    int beeps = 0;

private:
    Ui* previous_ = nullptr;
};

}  // namespace velt::testing
