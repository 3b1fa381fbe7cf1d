// The function scanner of the C language (C and C++ sources and headers).
#pragma once

namespace velt {

struct Document;

// Builds the document's function list from its definitions; true when one was found.
bool ScanFunctionsC(Document& doc);

}  // namespace velt
