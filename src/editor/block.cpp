#include "editor/block.h"

#include <algorithm>
#include <cstring>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/editing_internal.h"
#include "editor/undo.h"
#include "platform/files.h"
#include "shell/commands.h"
#include "shell/frame_messages.h"
#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/ui.h"

namespace velt {

namespace {

enum : unsigned {
    kMsgClipboardEmpty = 4566,
};

// One chunk: the link, then the characters. 250 characters follow the link as they always
// have; with an 8-byte link that makes the block 258 bytes rather than 256.
struct Chunk {
    Chunk* next;
    char text[kBlockChunkChars];
};

Chunk* gFirst = nullptr;
Chunk* gLast = nullptr;
std::size_t gLastFill = 0;  // characters in the last chunk
std::size_t gLength = 0;
std::size_t gChunks = 0;

}  // namespace

void ResetBlockBuffer() {
    for (Chunk* c = gFirst; c;) {
        Chunk* next = c->next;
        MemFree(c);
        c = next;
    }
    gFirst = gLast = nullptr;
    gLastFill = gLength = gChunks = 0;
}

bool BlockBufferEmpty() {
    return gLength == 0;
}

std::size_t BlockBufferLength() {
    return gLength;
}

std::size_t BlockBufferChunks() {
    return gChunks;
}

bool AppendBlockBuffer(const char* text, std::size_t n) {
    while (n > 0) {
        if (!gLast || gLastFill == kBlockChunkChars) {
            auto* c = static_cast<Chunk*>(MemAlloc(sizeof(Chunk)));
            if (!c) return false;  // the copy ends here, quietly
            c->next = nullptr;
            if (gLast)
                gLast->next = c;
            else
                gFirst = c;
            gLast = c;
            gLastFill = 0;
            ++gChunks;
        }
        const std::size_t take = std::min(n, kBlockChunkChars - gLastFill);
        std::memcpy(gLast->text + gLastFill, text, take);
        gLastFill += take;
        gLength += take;
        text += take;
        n -= take;
    }
    return true;
}

std::string BlockBufferText() {
    std::string out;
    out.reserve(gLength);
    for (Chunk* c = gFirst; c; c = c->next)
        out.append(c->text, c == gLast ? gLastFill : kBlockChunkChars);
    return out;
}

bool WriteBlockBufferToClipboard() {
    if (gLength == 0) return true;
    std::size_t lines = 0;
    for (Chunk* c = gFirst; c; c = c->next) {
        const std::size_t fill = c == gLast ? gLastFill : kBlockChunkChars;
        lines += static_cast<std::size_t>(std::count(c->text, c->text + fill, '\n'));
    }
    std::string out;
    out.reserve(gLength + lines);
    for (Chunk* c = gFirst; c; c = c->next) {
        const std::size_t fill = c == gLast ? gLastFill : kBlockChunkChars;
        for (std::size_t i = 0; i < fill; ++i) {
            if (c->text[i] == '\n') out.push_back('\r');
            out.push_back(c->text[i]);
        }
    }
    CurrentUi().SetClipboardText(out);
    return true;
}

bool ReadClipboardIntoBlockBuffer() {
    std::string text;
    if (!CurrentUi().GetClipboardText(text)) return false;
    // Plain clipboard text ends at its first NUL.
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    std::erase(text, '\r');
    ResetBlockBuffer();
    AppendBlockBuffer(text.data(), text.size());
    return true;
}

// ---- Commands

namespace {

void Finish(EditView& v, bool changed) {
    KeepCursorVisible(v);
    UpdatePositionText();
    if (changed)
        RepaintDocument(*v.document);
    else
        RepaintView(v);
}

}  // namespace

bool CopyBlock() {
    EditView* v = EditingView();
    if (!v || !v->block) return false;
    std::size_t n = 0;
    char* text = BlockText(*v, &n);
    if (!text) return false;
    ResetBlockBuffer();
    AppendBlockBuffer(text, n);
    MemFree(text);
    return WriteBlockBufferToClipboard();
}

bool CutBlock() {
    EditView* v = EditingView();
    if (!v || !v->block) return false;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return false;
    }
    UndoRecord* r = RecordEvent(kUndoCommand, kCmdCut, 0);
    CopyBlock();
    std::string removed;
    const bool done = DeleteBlockText(*v, &removed);
    // The record keeps what really went (a join too long for one line stops short).
    if (r && LastRecord() == r) {
        if (done)
            SetRecordText(*r, removed);
        else
            DropLastRecord();
    }
    Finish(*v, done);
    return done;
}

bool InsertBlockBuffer() {
    EditView* v = EditingView();
    if (!v || gLength == 0) return false;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return false;
    }
    const std::string text = BlockBufferText();
    const TextPosition at = CursorPosition(*v);
    const std::size_t n = InsertTextAt(*v, text.data(), text.size());
    EditEffect& e = CurrentEffect();
    if (n && !e.set) {
        e.set = true;
        e.line = at.line;
        e.column = at.column;
    }
    e.inserted += n;
    return n > 0;
}

bool PasteBlock() {
    EditView* v = EditingView();
    if (!v) return false;
    if (IsReadOnly(*v->document)) {
        ReadOnlyNotice();
        return false;
    }
    UndoRecord* r = RecordEvent(kUndoCommand, kCmdPaste, 0);
    ReadClipboardIntoBlockBuffer();
    ResetEffect();
    const bool done = InsertBlockBuffer();
    const EditEffect e = CurrentEffect();
    ResetEffect();
    // The record learns what the paste inserted, so that Undo removes exactly that.
    if (r && LastRecord() == r) {
        if (done) {
            r->atLine = e.line;
            r->atColumn = e.column;
            r->inserted = e.inserted;
        } else {
            DropLastRecord();
        }
    }
    Unmark(*v);
    Finish(*v, done);
    return done;
}

void ClearBlockBuffer() {
    ResetBlockBuffer();
    // The system clipboard is emptied too, or the next activation would bring it back.
    CurrentUi().SetClipboardText(std::string());
}

bool CopyBlockBufferToFile() {
    if (gLength == 0) {
        const char* text = GetMessageText(kMsgClipboardEmpty);
        SendFrameMessage(FrameMessage::Notice, 0, TextParam(text));
        return false;
    }
    const std::string name = CurrentUi().ChooseFile("Copy to File", "All (*)", true, "");
    if (name.empty()) return false;
    std::string data;
    data.reserve(gLength + gLength / 16);
    for (Chunk* c = gFirst; c; c = c->next) {
        const std::size_t fill = c == gLast ? gLastFill : kBlockChunkChars;
        for (std::size_t i = 0; i < fill; ++i) {
            if (c->text[i] == '\n') data.push_back('\r');
            data.push_back(c->text[i]);
        }
    }
    // Lines of a text file end in CR LF, the last one too.
    if (data.empty() || data.back() != '\n') data += "\r\n";
    if (!platform::ReplaceFileAtomically(platform::ResolveName(name), data, false)) {
        ShowCannotOpen(name);
        return false;
    }
    return true;
}

}  // namespace velt
