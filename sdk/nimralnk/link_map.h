// The map file of -map: sections and defined symbols of the linked output by address.
#pragma once

#include <string>

#include "object_file.h"

namespace nimra {

std::string MakeLinkMap(const std::string& outputName, const ElfImage& image);

}  // namespace nimra
