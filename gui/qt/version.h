// The program's version line and maker line, as the splash, About and Version show them.
#pragma once

#include <QString>

namespace velt::gui {

// Catalogue text 4233 with this build's version: "Velt version 0.1".
QString VersionLine();
// Catalogue text 4234.
QString MakerLine();

}  // namespace velt::gui
