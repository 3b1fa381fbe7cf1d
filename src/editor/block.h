// The block buffer, the editor's own clipboard: a chain of MemAlloc(256) chunks, each a link
// to the next and up to 250 characters, lines separated by LF. It is exchanged with the
// system clipboard (written with CR LF, read with CR dropped) and behind Copy, Cut, Paste,
// clear and Copy to File.
#pragma once

#include <cstddef>
#include <string>

namespace velt {

struct EditView;

inline constexpr std::size_t kBlockChunkSize = 256;
inline constexpr std::size_t kBlockChunkChars = 250;

// Frees every chunk: the buffer is empty.
void ResetBlockBuffer();
bool BlockBufferEmpty();
// Characters held (LF counted once).
std::size_t BlockBufferLength();
// Appends n characters; false when memory ran out (what fitted stays).
bool AppendBlockBuffer(const char* text, std::size_t n);
// The buffer's text whole.
std::string BlockBufferText();
// Chunks in use (tests).
std::size_t BlockBufferChunks();

// Writes the buffer to the system clipboard with every LF as CR LF. An empty buffer writes
// nothing and reports success.
bool WriteBlockBufferToClipboard();
// Replaces the buffer with the system clipboard's text, CR dropped and ending at a NUL as
// plain clipboard text does. False (buffer unchanged) when the clipboard holds no text.
bool ReadClipboardIntoBlockBuffer();

// The block commands on the current view.
bool CopyBlock();              // 1112
bool CutBlock();               // 1111, recorded
bool InsertBlockBuffer();      // inserts the buffer at the cursor
bool PasteBlock();             // 1113, recorded: clipboard, buffer, insert
void ClearBlockBuffer();       // 1114
bool CopyBlockBufferToFile();  // 1126

}  // namespace velt
