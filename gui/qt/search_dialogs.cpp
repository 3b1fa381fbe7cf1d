#include "search_dialogs.h"
#include "dialog_parts.h"
#include "qt_text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor_window.h"
#include "main_window.h"

namespace velt::gui {

namespace {


// The text fields take no more than the search record keeps.
constexpr int kFieldMax = static_cast<int>(kSearchTextMax);

// The search text with its history drop-down, selected so that typing replaces it.
QComboBox* MakeTextBox(const std::string& text, const std::vector<std::string>& history,
                       QWidget* parent) {
    QComboBox* box = MakeHistoryBox("text", text, history, kFieldMax, 32, parent);
    box->lineEdit()->selectAll();
    return box;
}

QRadioButton* MakeRadio(const char* label, const char* name, QWidget* parent) {
    auto* radio = new QRadioButton(label, parent);
    radio->setObjectName(name);
    return radio;
}

// Scope: "Current window" / "All windows" as one exclusive pair.
QGroupBox* MakeScope(bool allWindows, QRadioButton** current, QRadioButton** all, QWidget* parent) {
    auto* group = new QGroupBox("Scope", parent);
    auto* layout = new QVBoxLayout(group);
    *current = MakeRadio("Current window", "currentWindow", group);
    *all = MakeRadio("All windows", "allWindows", group);
    (allWindows ? *all : *current)->setChecked(true);
    layout->addWidget(*current);
    layout->addWidget(*all);
    return group;
}

QGroupBox* MakeDirection(SearchDirection direction, DirectionButtons* buttons, QWidget* parent) {
    auto* group = new QGroupBox("Direction", parent);
    auto* layout = new QVBoxLayout(group);
    buttons->forwards = MakeRadio("Forwards", "forwards", group);
    buttons->backwards = MakeRadio("Backwards", "backwards", group);
    buttons->wrap = MakeRadio("Wrap", "wrap", group);
    layout->addWidget(buttons->forwards);
    layout->addWidget(buttons->backwards);
    layout->addWidget(buttons->wrap);
    buttons->show(direction);
    return group;
}

QDialogButtonBox* MakeButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// The frame the hooks belong to: the dialogs' owner and the source of the window states.
QPointer<QWidget> gSearchFrame;

QWidget* DialogParent() {
    return gSearchFrame ? gSearchFrame.data() : QApplication::activeWindow();
}

}  // namespace

void DirectionButtons::show(SearchDirection direction) {
    // Radio buttons of one parent are exclusive: clearing one at a time would leave another
    // checked, so they are cleared with exclusiveness switched off.
    for (QRadioButton* b : {forwards, backwards, wrap}) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    switch (direction) {
        case SearchDirection::Forwards:
            forwards->setChecked(true);
            break;
        case SearchDirection::Backwards:
            backwards->setChecked(true);
            break;
        case SearchDirection::Wrap:
            wrap->setChecked(true);
            break;
        case SearchDirection::None:
            break;
    }
}

SearchDirection DirectionButtons::chosen() const {
    if (forwards->isChecked()) return SearchDirection::Forwards;
    if (backwards->isChecked()) return SearchDirection::Backwards;
    if (wrap->isChecked()) return SearchDirection::Wrap;
    return SearchDirection::None;
}

// ---- "Search"

FindDialog::FindDialog(FindDialogRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("FindDialog");
    setWindowTitle("Search");

    auto* layout = new QVBoxLayout(this);
    auto* textRow = new QGridLayout;
    text_ = MakeTextBox(record.text, record.history, this);
    auto* label = new QLabel("Text to search", this);
    label->setBuddy(text_);
    textRow->addWidget(label, 0, 0);
    textRow->addWidget(text_, 0, 1);
    textRow->setColumnStretch(1, 1);
    layout->addLayout(textRow);

    auto* options = new QGroupBox("Options", this);
    auto* optionsLayout = new QVBoxLayout(options);
    regex_ = MakeCheck("Regular expression", "regex", record.regex, options);
    matchCase_ = MakeCheck("Match case", "matchCase", record.matchCase, options);
    wholeWords_ = MakeCheck("Match whole words only", "wholeWords", record.wholeWords, options);
    optionsLayout->addWidget(regex_);
    optionsLayout->addWidget(matchCase_);
    optionsLayout->addWidget(wholeWords_);

    QGroupBox* scope = MakeScope(record.allWindows, &currentWindow_, &allWindows_, this);
    searchMinimised_ =
        MakeCheck("Search iconized windows", "searchMinimised", record.searchMinimised, scope);
    scope->layout()->addWidget(searchMinimised_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(options);
    groups->addWidget(scope);
    groups->addWidget(MakeDirection(record.direction, &direction_, this));
    layout->addLayout(groups);
    layout->addWidget(MakeButtons(this));

    connect(regex_, &QCheckBox::toggled, this, &FindDialog::updateEnabled);
    connect(allWindows_, &QRadioButton::toggled, this, &FindDialog::updateEnabled);
    updateEnabled();
    text_->setFocus();
}

void FindDialog::updateEnabled() {
    FindDialogRecord shown;
    shown.regex = regex_->isChecked();
    shown.allWindows = allWindows_->isChecked();
    matchCase_->setEnabled(shown.MatchCaseEnabled());
    searchMinimised_->setEnabled(shown.SearchMinimisedEnabled());
}

void FindDialog::store() {
    record_.text = S(text_->currentText());
    record_.regex = regex_->isChecked();
    record_.matchCase = matchCase_->isChecked();
    record_.wholeWords = wholeWords_->isChecked();
    record_.allWindows = allWindows_->isChecked();
    record_.searchMinimised = searchMinimised_->isChecked();
    record_.direction = direction_.chosen();
}

void FindDialog::accept() {
    store();
    if (!record_.Validate()) {
        // The core has said what is missing; the user goes on from that field.
        if (record_.direction == SearchDirection::None)
            direction_.forwards->setFocus();
        else
            text_->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- "Search and replace"

ReplaceDialog::ReplaceDialog(ReplaceDialogRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("ReplaceDialog");
    setWindowTitle("Search and replace");

    auto* layout = new QVBoxLayout(this);
    auto* texts = new QGridLayout;
    text_ = MakeTextBox(record.text, record.history, this);
    auto* textLabel = new QLabel("Text to search for", this);
    textLabel->setBuddy(text_);
    replacement_ = new QLineEdit(Q(record.replacement), this);
    replacement_->setObjectName("replacement");
    replacement_->setMaxLength(kFieldMax);
    auto* replacementLabel = new QLabel("Replace it with:", this);
    replacementLabel->setBuddy(replacement_);
    texts->addWidget(textLabel, 0, 0);
    texts->addWidget(text_, 0, 1);
    texts->addWidget(replacementLabel, 1, 0);
    texts->addWidget(replacement_, 1, 1);
    texts->setColumnStretch(1, 1);
    layout->addLayout(texts);

    QGroupBox* scope = MakeScope(record.allWindows, &currentWindow_, &allWindows_, this);

    auto* options = new QGroupBox("Options", this);
    auto* optionsLayout = new QVBoxLayout(options);
    wholeWords_ = MakeCheck("Whole words", "wholeWords", record.wholeWords, options);
    regex_ = MakeCheck("Regular expression", "regex", record.regex, options);
    matchCase_ = MakeCheck("Match case", "matchCase", record.matchCase, options);
    optionsLayout->addWidget(wholeWords_);
    optionsLayout->addWidget(regex_);
    optionsLayout->addWidget(matchCase_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(scope);
    groups->addWidget(options);
    groups->addWidget(MakeDirection(record.direction, &direction_, this));
    layout->addLayout(groups);

    confirm_ = MakeCheck("Confirmation", "confirm", record.confirm, this);
    layout->addWidget(confirm_);
    layout->addWidget(MakeButtons(this));

    connect(regex_, &QCheckBox::toggled, this, &ReplaceDialog::updateEnabled);
    updateEnabled();
    text_->setFocus();
}

void ReplaceDialog::updateEnabled() {
    ReplaceDialogRecord shown;
    shown.regex = regex_->isChecked();
    matchCase_->setEnabled(shown.MatchCaseEnabled());
}

void ReplaceDialog::store() {
    record_.text = S(text_->currentText());
    record_.replacement = S(replacement_->text());
    record_.allWindows = allWindows_->isChecked();
    record_.wholeWords = wholeWords_->isChecked();
    record_.regex = regex_->isChecked();
    record_.matchCase = matchCase_->isChecked();
    record_.direction = direction_.chosen();
    record_.confirm = confirm_->isChecked();
}

void ReplaceDialog::accept() {
    store();
    if (!record_.Validate()) {
        if (record_.text.empty())
            text_->setFocus();
        else
            direction_.forwards->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- "Replace"

ReplaceAnswer AskReplace(QWidget* parent, const std::string& found) {
    QMessageBox box(parent);
    box.setObjectName("ReplaceQuestion");
    box.setWindowTitle("Replace");
    box.setIcon(QMessageBox::Question);
    // The match is shown as it stands, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(Q(found));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll |
                           QMessageBox::Cancel);
    box.button(QMessageBox::YesToAll)->setText("All");
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return ReplaceAnswer::Yes;
        case QMessageBox::No:
            return ReplaceAnswer::No;
        case QMessageBox::YesToAll:
            return ReplaceAnswer::All;
        default:
            return ReplaceAnswer::Cancel;
    }
}

// ---- The hooks

void InstallSearchDialogs(QWidget* frame) {
    gSearchFrame = frame;
    gFindDialog = [](FindDialogRecord& record) {
        FindDialog dialog(record, DialogParent());
        return dialog.exec() == QDialog::Accepted;
    };
    gReplaceDialog = [](ReplaceDialogRecord& record) {
        ReplaceDialog dialog(record, DialogParent());
        return dialog.exec() == QDialog::Accepted;
    };
    gReplaceConfirm = [](const std::string& found) { return AskReplace(DialogParent(), found); };
    gWindowMinimised = [](const EditView* view) {
        auto* frame = qobject_cast<MainWindow*>(gSearchFrame.data());
        if (!frame) return false;
        for (QMdiSubWindow* window : frame->mdiArea()->subWindowList())
            if (const EditorWindow* editor = EditorOf(window); editor && editor->view() == view)
                return window->isMinimized();
        return false;
    };
}

void UninstallSearchDialogs(QWidget* frame) {
    // A frame made since (a test's) keeps its dialogs.
    if (gSearchFrame && gSearchFrame != frame) return;
    gSearchFrame = nullptr;
    gFindDialog = nullptr;
    gReplaceDialog = nullptr;
    gReplaceConfirm = nullptr;
    gWindowMinimised = nullptr;
}

}  // namespace velt::gui
