#include "splash.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "version.h"

namespace velt::gui {

Splash::Splash(QWidget* parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("splash");
    setFrameShape(QFrame::Box);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 20, 28, 20);
    layout->setSpacing(8);

    auto* name = new QLabel("Velt", this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);

    auto* version = new QLabel(VersionLine(), this);
    version->setObjectName("versionLine");
    version->setAlignment(Qt::AlignCenter);
    auto* maker = new QLabel(MakerLine(), this);
    maker->setObjectName("makerLine");
    maker->setAlignment(Qt::AlignCenter);

    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(maker);
}

void Splash::showNow() {
    adjustSize();
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    // Lets the window system map the box and paint it once.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

}  // namespace velt::gui
