// Texts between the core and Qt: the core holds the system's 8-bit texts, converted with the
// locale's encoding both ways, as the message boxes do.
#pragma once

#include <QString>
#include <string>

namespace velt::gui {

inline QString Q(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string S(const QString& s) {
    return s.toLocal8Bit().toStdString();
}

}  // namespace velt::gui
