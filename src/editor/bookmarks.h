// Bookmarks: at most one per line, newest first, one of them current. A bookmark dies with
// its line. The search keeps its start mark here too (flags kBookmarkSearchStart).
#pragma once

#include <cstdint>
#include <vector>

namespace velt {

struct Document;
struct EditView;
struct Line;

enum : std::uint16_t {
    kBookmarkUser = 0x00,
    kBookmarkSearchStart = 0x0F,  // bits 0x04, 0x08 and 0x10 follow the search's wrap-around
};

struct Bookmark {
    Bookmark* next = nullptr;
    Bookmark* prev = nullptr;
    Line* line = nullptr;
    EditView* view = nullptr;      // where it was set
    std::uint64_t viewSerial = 0;  // that view's serial (the view may be gone)
    Document* document = nullptr;
    std::uint16_t flags = 0;
};

// Sets the bookmark of `line` (or only replaces its flags when the line has one) and makes
// it current.
Bookmark* SetBookmark(EditView& view, Line* line, std::uint16_t flags = kBookmarkUser);
Bookmark* FindBookmark(const Line* line);
void RemoveBookmark(Bookmark* mark);
void RemoveAllBookmarks();
Bookmark* FirstBookmark();
Bookmark* CurrentBookmark();
// The bookmarks the user set, newest first.
std::vector<Bookmark*> UserBookmarks();

// Keeps bookmarks on their lines (line deleted, line moved) and gives the file information
// its current bookmark. Chains the hooks installed before; calling it again does nothing.
void InstallBookmarkHooks();

// The commands: 1142 Set, 1143 Goto (list), 1144 Goto next, 1145 Delete (list).
bool SetBookmarkCommand();
bool GotoBookmarkCommand();
bool GotoNextBookmarkCommand();
bool DeleteBookmarkCommand();

}  // namespace velt
