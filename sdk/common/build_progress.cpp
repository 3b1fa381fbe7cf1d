#include "common/build_progress.h"

#include <cstdint>
#include <string>

#include "platform/instance_channel.h"

namespace nimra {

namespace pf = velt::platform;

ProgressReply ReportBuildProgress(std::string_view line, int timeoutMs) {
    // Asked first, so that a compile without an IDE leaves no shared block behind.
    if (!pf::InstanceRunning()) return ProgressReply::NoInstance;
    pf::SharedBlock block;
    if (!block.Open() || !block.Lock(timeoutMs)) return ProgressReply::NoInstance;
    std::string text(line);
    // The block holds 1023 characters and its NUL; the IDE cuts long lines anyway, but the
    // newline that ends the line must survive.
    if (text.size() >= pf::kSharedBlockMapped) {
        text.resize(pf::kSharedBlockMapped - 2);
        text += '\n';
    }
    for (char& c : text)
        if (c == '\0') c = ' ';
    if (!block.WriteText(text)) return ProgressReply::NoInstance;
    std::int64_t reply = 0;
    const pf::SendResult sent = pf::SendInstanceMessage({0x65A8, 0, 0}, reply, timeoutMs);
    block.Unlock();
    if (sent != pf::SendResult::Answered) return ProgressReply::NoInstance;
    return reply == 1 ? ProgressReply::Stop : ProgressReply::Carry;
}

}  // namespace nimra
