#include "version.h"

#include "shell/messages.h"

#ifndef VELT_VERSION
#error "VELT_VERSION comes from the project's version in CMakeLists.txt"
#endif

namespace velt::gui {

QString VersionLine() {
    return QString::fromStdString(FormatText(GetMessageText(4233), VELT_VERSION));
}

QString MakerLine() {
    return QString::fromLocal8Bit(GetMessageText(4234));
}

}  // namespace velt::gui
