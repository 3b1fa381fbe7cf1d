#include "build_front_end.h"
#include "qt_text.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "build/build.h"
#include "build/diagnostics.h"
#include "output_pane_widget.h"
#include "shell/output_pane.h"

namespace velt::gui {

namespace {


QWidget* Owner() {
    return QApplication::activeWindow();
}

QListWidget* BuildList() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* pane = top->findChild<OutputPaneWidget*>()) return pane->pageList(kBuildPage);
    return nullptr;
}

CompileFileChoice AskCompileFile(const CompileFileRecord& record) {
    QDialog dialog(Owner());
    dialog.setWindowTitle(kCompileFileTitle);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Q(record.file), &dialog));
    CompileFileChoice choice = CompileFileChoice::Cancel;
    auto add = [&](const char* text, const char* help, CompileFileChoice c) {
        auto* button = new QPushButton(QString::fromLatin1(text), &dialog);
        button->setToolTip(QString::fromLatin1(help));
        layout->addWidget(button);
        layout->addWidget(new QLabel(QString::fromLatin1(help), &dialog));
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &choice, c] {
            choice = c;
            dialog.accept();
        });
    };
    add(CompileFileRecord::kAddText, CompileFileRecord::kAddHelp, CompileFileChoice::Add);
    add(CompileFileRecord::kNewText, CompileFileRecord::kNewHelp, CompileFileChoice::NewProject);
    add(CompileFileRecord::kCancelText, CompileFileRecord::kCancelHelp, CompileFileChoice::Cancel);
    if (dialog.exec() != QDialog::Accepted) return CompileFileChoice::Cancel;
    return choice;
}

bool AskMissingLibraries(const MissingLibrariesRecord& record) {
    QDialog dialog(Owner());
    dialog.setWindowTitle(kMissingLibrariesTitle);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(kMissingLibrariesHeader, &dialog));
    auto* list = new QListWidget(&dialog);
    for (const std::string& line : record.lines) list->addItem(Q(line));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(kMissingLibrariesOk);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

void InstallBuildFrontEnd(std::function<bool(std::string&)> readBlock) {
    InstallBuild(std::move(readBlock));
    gCompileFileDialog = AskCompileFile;
    gMissingLibrariesDialog = AskMissingLibraries;
    // Called on the build thread: only a queued call crosses to the user-interface thread.
    gBuildWakeUi = [] {
        QMetaObject::invokeMethod(qApp, [] { PumpBuildEvents(); }, Qt::QueuedConnection);
    };
    gKeepUiRunningHook = [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        PumpBuildEvents();
        QThread::msleep(10);
    };
    gOutputLineFits = [](std::string_view text) {
        QListWidget* list = BuildList();
        if (!list) return true;
        const int width = list->viewport()->width() - 8;
        if (width <= 0) return true;
        const QFontMetrics metrics(list->font());
        return metrics.horizontalAdvance(QString::fromLocal8Bit(
                   text.data(), static_cast<qsizetype>(text.size()))) <= width;
    };
}

void UninstallBuildFrontEnd() {
    gCompileFileDialog = nullptr;
    gMissingLibrariesDialog = nullptr;
    gBuildWakeUi = nullptr;
    gKeepUiRunningHook = nullptr;
    gOutputLineFits = nullptr;
    UninstallBuild();
}

}  // namespace velt::gui
