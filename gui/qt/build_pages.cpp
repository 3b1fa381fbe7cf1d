#include "build_pages.h"
#include "qt_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QVBoxLayout>

#include "project/build_pages.h"
#include "project/makefile.h"
#include "project/project.h"

namespace velt::gui {

namespace {


QCheckBox* Box(QLayout* layout, const char* text, const char* name, bool checked) {
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

QLineEdit* Field(QFormLayout* form, const char* label, const std::string& value, const char* name) {
    auto* edit = new QLineEdit(Q(value));
    edit->setObjectName(name);
    form->addRow(label, edit);
    return edit;
}

}  // namespace

// ---- Compiler

CompilerPageWidget::CompilerPageWidget(CompilerPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    defines_ = Field(form, "#defines", page.defines, "defines");
    includes_ = Field(form, "<include> Path", page.includes, "includes");
    errorFile_ = Field(form, "File for error messages/warnings", page.errorFile, "errorFile");
    errorFile_->setMaxLength(static_cast<int>(kProjectFieldMax));
    layout->addLayout(form);

    auto* boxes = new QVBoxLayout;
    asm_ = Box(boxes, "Generate .asm", "generateAsm", page.asmListing);
    browse_ = Box(boxes, "Generate browse info", "browseInfo", page.browseInfo);
    optimise_ = Box(boxes, "Optimize", "optimize", page.optimise);
    debug_ = Box(boxes, "Generate debug info", "debugInfo", page.debugInfo);
    trace_ = Box(boxes, "Run time stack trace support (-g3)", "stackTrace", page.stackTrace);
    traceLines_ = Box(boxes, "Run time stack trace and line number support (-g4)",
                      "stackTraceLines", page.stackTraceLines);
    intermediate_ =
        Box(boxes, "Generate intermediate language file", "intermediate", page.intermediate);
    pentium_ = Box(boxes, "Use pentium pro instructions", "pentiumPro", page.pentiumPro);
    unused_ =
        Box(boxes, "Eliminate unused assignments", "unusedAssignments", page.unusedAssignments);
    layout->addLayout(boxes);

    auto* warnings = new QGroupBox("Warning level");
    auto* wl = new QHBoxLayout(warnings);
    normal_ = new QRadioButton("Normal");
    all_ = new QRadioButton("All");
    normal_->setObjectName("warningsNormal");
    all_->setObjectName("warningsAll");
    wl->addWidget(normal_);
    wl->addWidget(all_);
    (page.allWarnings ? all_ : normal_)->setChecked(true);
    layout->addWidget(warnings);

    auto* language = new QGroupBox("Language extensions");
    auto* ll = new QHBoxLayout(language);
    ansi_ = new QRadioButton("Ansi-C only");
    extensions_ = new QRadioButton("Use");
    ansi_->setObjectName("ansiOnly");
    extensions_->setObjectName("useExtensions");
    ll->addWidget(ansi_);
    ll->addWidget(extensions_);
    (page.ansiOnly ? ansi_ : extensions_)->setChecked(true);
    layout->addWidget(language);

    auto* alignForm = new QFormLayout;
    alignment_ = new QComboBox;
    alignment_->setObjectName("alignment");
    for (const char* choice : kAlignmentChoices) alignment_->addItem(choice);
    alignment_->setCurrentIndex(page.alignment);
    alignForm->addRow("Structure alignment", alignment_);
    layout->addLayout(alignForm);
    layout->addStretch();

    connect(debug_, &QCheckBox::toggled, this, [this](bool on) {
        page_.SetDebugInfo(on);
        sync();
    });
    connect(trace_, &QCheckBox::toggled, this, [this](bool on) { page_.SetStackTrace(on); });
    connect(traceLines_, &QCheckBox::toggled, this,
            [this](bool on) { page_.SetStackTraceLines(on); });
    sync();
    if (!ProjectIsOpen()) setEnabled(false);
}

void CompilerPageWidget::sync() {
    trace_->setChecked(page_.stackTrace);
    traceLines_->setChecked(page_.stackTraceLines);
    trace_->setEnabled(page_.StackTraceEnabled());
    traceLines_->setEnabled(page_.StackTraceEnabled());
}

void CompilerPageWidget::store() {
    page_.defines = S(defines_->text());
    page_.includes = S(includes_->text());
    page_.errorFile = S(errorFile_->text());
    page_.asmListing = asm_->isChecked();
    page_.browseInfo = browse_->isChecked();
    page_.optimise = optimise_->isChecked();
    page_.SetDebugInfo(debug_->isChecked());
    page_.SetStackTrace(trace_->isChecked());
    page_.SetStackTraceLines(traceLines_->isChecked());
    page_.allWarnings = all_->isChecked();
    page_.alignment = alignment_->currentIndex();
    page_.intermediate = intermediate_->isChecked();
    page_.pentiumPro = pentium_->isChecked();
    page_.unusedAssignments = unused_->isChecked();
    page_.ansiOnly = ansi_->isChecked();
}

// ---- Linker

LinkerPageWidget::LinkerPageWidget(LinkerPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    libraries_ =
        Field(form, "Additional files to be included in the link", page.libraries, "libraries");
    exe_ = Field(form, "Output file name", page.exe, "outputFile");
    exe_->setMaxLength(static_cast<int>(kProjectFieldMax));
    layout->addLayout(form);
    auto* boxes = new QVBoxLayout;
    noDebug_ = Box(boxes, "Do not include the debug information", "noDebugInfo", page.noDebugInfo);
    windows_ = Box(boxes, "Windows appl", "windowsApp", page.windowsApp);
    console_ = Box(boxes, "Console appl.", "consoleApp", page.consoleApp);
    dll_ = Box(boxes, "DLL", "dll", page.dll);
    library_ = Box(boxes, "Static library", "staticLibrary", page.staticLibrary);
    map_ = Box(boxes, "Generate a map file", "mapFile", page.mapFile);
    layout->addLayout(boxes);
    auto* more = new QFormLayout;
    entry_ = Field(more, "Entry point name (for dlls)", page.dllEntry, "dllEntry");
    args_ = Field(more, "Additional command line arguments", page.linkerArgs, "linkerArgs");
    layout->addLayout(more);
    auto* last = new QVBoxLayout;
    noUnderscores_ =
        Box(last, "Do not include underscores in dll exports", "noUnderscores", page.noUnderscores);
    layout->addLayout(last);
    layout->addStretch();
    for (QCheckBox* box : {dll_, library_})
        connect(box, &QCheckBox::toggled, this, [this] {
            page_.dll = dll_->isChecked();
            page_.staticLibrary = library_->isChecked();
            sync();
        });
    sync();
    if (!ProjectIsOpen()) setEnabled(false);
}

void LinkerPageWidget::sync() {
    entry_->setEnabled(page_.EntryEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{exe_, map_, noDebug_})
        w->setEnabled(page_.OutputControlsEnabled());
}

void LinkerPageWidget::store() {
    page_.libraries = S(libraries_->text());
    page_.exe = S(exe_->text());
    page_.noDebugInfo = noDebug_->isChecked();
    page_.windowsApp = windows_->isChecked();
    page_.consoleApp = console_->isChecked();
    page_.dll = dll_->isChecked();
    page_.staticLibrary = library_->isChecked();
    page_.mapFile = map_->isChecked();
    page_.dllEntry = S(entry_->text());
    page_.linkerArgs = S(args_->text());
    page_.noUnderscores = noUnderscores_->isChecked();
}

// ---- Generation's front end

void InstallMakefileFrontEnd(QWidget* parent) {
    static QProgressDialog* progress = nullptr;
    MakefileProgress hooks;
    hooks.begin = [parent](const std::string& title, int total) {
        delete progress;
        progress = new QProgressDialog(parent);
        progress->setWindowTitle(Q(title));
        progress->setCancelButton(nullptr);
        progress->setRange(0, total);
        progress->setMinimumDuration(0);
        progress->show();
    };
    hooks.step = [](const std::string& text, int position) {
        if (!progress) return;
        progress->setLabelText(Q(text));
        progress->setValue(position);
        // A few pending events per file keep the window alive without reentering much.
        for (int i = 0; i < 15 && QCoreApplication::instance(); ++i)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 1);
    };
    hooks.end = [] {
        delete progress;
        progress = nullptr;
    };
    SetMakefileProgress(std::move(hooks));

    gFileProcessorDialog = [parent](FileProcessorRecord& record) {
        QDialog dialog(parent);
        dialog.setWindowTitle(kProcessorDialogTitle);
        auto* form = new QFormLayout(&dialog);
        form->addRow(new QLabel(Q(record.file)));
        auto* command = new QLineEdit(Q(record.command));
        command->setObjectName("processorCommand");
        auto* output = new QLineEdit(Q(record.output));
        output->setObjectName("processorOutput");
        form->addRow("Command line for this file", command);
        form->addRow("Output file produced", output);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        form->addRow(buttons);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
            record.command = S(command->text());
            record.output = S(output->text());
            if (record.Accept()) dialog.accept();
        });
        return dialog.exec() == QDialog::Accepted;
    };
}

void UninstallMakefileFrontEnd() {
    SetMakefileProgress({});
    gFileProcessorDialog = nullptr;
}

}  // namespace velt::gui
