// The message catalogue: every user-visible text of the system, fetched by number.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// The text of the first catalogue row with this id; the empty text when there is none.
// Never null; never to be freed.
const char* GetMessageText(unsigned id);

// Stores in *out, and returns, a StrDup copy of GetMessageText(id).
char* MsgDup(char** out, unsigned id);

// printf-style formatting into a std::string (catalogue texts are format strings).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Number of rows in the catalogue (without the end row).
std::size_t MessageCatalogueSize();

}  // namespace velt
