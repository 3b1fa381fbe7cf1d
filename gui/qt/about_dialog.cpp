#include "about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "version.h"

namespace velt::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle("About Velt");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 12);

    auto* name = new QLabel("Velt", this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(VersionLine(), this);
    version->setObjectName("versionLine");
    auto* what = new QLabel("An integrated development environment for C programmers.", this);
    what->setObjectName("description");
    for (QLabel* l : {name, version, what}) {
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("buttons");
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}  // namespace velt::gui
