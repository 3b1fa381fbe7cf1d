#include "project_page.h"
#include "qt_text.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "project/project.h"
#include "project/project_page.h"

namespace velt::gui {

namespace {


QLabel* Note(const char* text) {
    auto* note = new QLabel(text);
    note->setWordWrap(true);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    note->setFont(small);
    note->setForegroundRole(QPalette::PlaceholderText);
    return note;
}

}  // namespace

ProjectPageWidget::ProjectPageWidget(ProjectPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QVBoxLayout(this);
    auto* paths = Note(kProjectPathsNote);
    paths->setObjectName("pathsNote");
    layout->addWidget(paths);

    auto* form = new QFormLayout;
    // A shown-only value can be selected and copied, not changed.
    auto shown = [form](const char* label, const std::string& value, const char* name) {
        auto* edit = new QLineEdit(Q(value));
        edit->setObjectName(name);
        edit->setReadOnly(true);
        edit->setFrame(false);
        form->addRow(label, edit);
        return edit;
    };
    auto edited = [form](const char* label, const std::string& value, const char* name) {
        auto* edit = new QLineEdit(Q(value));
        edit->setObjectName(name);
        edit->setMaxLength(static_cast<int>(kProjectFieldMax));
        form->addRow(label, edit);
        return edit;
    };
    auto note = [form](const char* text, const char* name) {
        QLabel* label = Note(text);
        label->setObjectName(name);
        form->addRow(QString(), label);
    };
    shown("Project:", page.projectName, "projectName");
    shown("Type:", page.projectType, "projectType");
    makeCommand_ = edited("Make command:", page.makeCommand, "makeCommand");
    note(kMakeCommandNote, "makeCommandNote");
    errorFile_ = edited("Diagnostics file:", page.errorFile, "errorFile");
    makeDir_ = edited("Make directory:", page.makeDir, "makeDirectory");
    note(kMakeDirectoryNote, "makeDirectoryNote");
    shown("Output file:", page.outputFile, "outputFile");
    note(kOutputFileNote, "outputFileNote");
    shown("Program arguments:", page.programArguments, "programArguments");
    note(kProgramArgumentsNote, "programArgumentsNote");
    sourcesDir_ = edited("Sources directory:", page.sourcesDir, "sourcesDirectory");
    note(kSourcesDirectoryNote, "sourcesDirectoryNote");
    layout->addLayout(form);
    layout->addStretch();

    // Without a project there is nothing to edit.
    if (!ProjectIsOpen())
        for (QLineEdit* edit : {makeCommand_, errorFile_, makeDir_, sourcesDir_})
            edit->setReadOnly(true);
}

void ProjectPageWidget::store() {
    if (!ProjectIsOpen()) return;
    page_.makeCommand = S(makeCommand_->text());
    page_.errorFile = S(errorFile_->text());
    page_.makeDir = S(makeDir_->text());
    page_.sourcesDir = S(sourcesDir_->text());
}

}  // namespace velt::gui
