// The splash box shown while the program starts (not with "/w"): a small frameless window
// with the version line and the maker line.
#pragma once

#include <QFrame>

namespace velt::gui {

class Splash : public QFrame {
    Q_OBJECT
  public:
    explicit Splash(QWidget* parent = nullptr);
    // Shows the box centred on the screen and draws it at once: the start runs before the
    // event loop, so waiting for it would show the box only as it goes.
    void showNow();
};

}  // namespace velt::gui
