#include "grep_dialog.h"
#include "dialog_parts.h"
#include "qt_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace velt::gui {

namespace {


// How often a running search is asked for its progress.
constexpr int kPollMs = 100;

QPointer<QWidget> gGrepFrame;
QPointer<GrepWatcher> gWatcher;

QWidget* DialogParent() {
    return gGrepFrame ? gGrepFrame.data() : QApplication::activeWindow();
}

}  // namespace

GrepDialog::GrepDialog(GrepDialogRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setObjectName("GrepDialog");
    setWindowTitle("Global Regular Expression Print (GREP)");

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    expression_ = MakeHistoryBox("expression", record.expression, record.expressionHistory,
                                 kGrepExpressionMax, 40, this);
    expression_->lineEdit()->selectAll();
    masks_ = new QLineEdit(Q(record.masks), this);
    masks_->setObjectName("masks");
    masks_->setMaxLength(static_cast<int>(kGrepMasksMax));
    directory_ = MakeHistoryBox("directory", record.directory, record.directoryHistory,
                                kGrepDirectoryMax, 40, this);
    const std::pair<const char*, QWidget*> rows[] = {
        {"Expression to search for:", expression_},
        {"File mask: (for instance *.c)", masks_},
        {"Search in directory:", directory_},
    };
    int row = 0;
    for (const auto& [text, field] : rows) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row, 1);
        ++row;
    }
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields);

    auto* checks = new QGridLayout;
    regex_ = MakeCheck("Regular expression", "regex", record.regex, this);
    ignoreCase_ = MakeCheck("Ignore case", "ignoreCase", record.ignoreCase, this);
    wholeWords_ = MakeCheck("Whole words", "wholeWords", record.wholeWords, this);
    severalWords_ = MakeCheck("Multiple (several expr)", "severalWords", record.severalWords, this);
    subdirectories_ =
        MakeCheck("Include subdirectories", "subdirectories", record.subdirectories, this);
    checks->addWidget(regex_, 0, 0);
    checks->addWidget(ignoreCase_, 1, 0);
    checks->addWidget(wholeWords_, 2, 0);
    checks->addWidget(severalWords_, 0, 1);
    checks->addWidget(subdirectories_, 1, 1);
    layout->addLayout(checks);

    auto* buttons = new QDialogButtonBox(this);
    search_ = buttons->addButton("&Search", QDialogButtonBox::AcceptRole);
    search_->setObjectName("search");
    search_->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(expression_, &QComboBox::editTextChanged, this, &GrepDialog::updateEnabled);
    connect(severalWords_, &QCheckBox::toggled, this, &GrepDialog::severalWordsToggled);
    updateEnabled();
    expression_->setFocus();
}

void GrepDialog::updateEnabled() {
    GrepDialogRecord shown;
    shown.expression = S(expression_->currentText());
    search_->setEnabled(shown.SearchEnabled());
}

void GrepDialog::severalWordsToggled(bool on) {
    GrepDialogRecord shown;
    shown.ignoreCase = ignoreCase_->isChecked();
    shown.wholeWords = wholeWords_->isChecked();
    shown.SetSeveralWords(on);
    ignoreCase_->setChecked(shown.ignoreCase);
    wholeWords_->setChecked(shown.wholeWords);
}

void GrepDialog::store() {
    record_.expression = S(expression_->currentText());
    record_.masks = S(masks_->text());
    record_.directory = S(directory_->currentText());
    record_.regex = regex_->isChecked();
    record_.ignoreCase = ignoreCase_->isChecked();
    record_.wholeWords = wholeWords_->isChecked();
    record_.severalWords = severalWords_->isChecked();
    record_.subdirectories = subdirectories_->isChecked();
}

void GrepDialog::accept() {
    store();
    if (!record_.Validate()) {
        // The core has said what is wrong; the user goes on from that field.
        if (record_.masks.find_first_not_of(' ') == std::string::npos)
            masks_->setFocus();
        else if (record_.expression.empty())
            expression_->setFocus();
        else
            directory_->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- The running search

GrepWatcher::GrepWatcher(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &GrepWatcher::poll);
}

void GrepWatcher::start() {
    if (!timer_->isActive()) qApp->installEventFilter(this);
    timer_->start();
}

bool GrepWatcher::watching() const {
    return timer_->isActive();
}

void GrepWatcher::poll() {
    // Stopped first: the results may show a box, whose event loop runs this timer too.
    timer_->stop();
    if (PollGrep()) {
        timer_->start();
        return;
    }
    qApp->removeEventFilter(this);
}

bool GrepWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && GrepRunning()) {
        CancelGrep();
        // Polled at once, so that the hits so far are listed without waiting for the timer.
        QTimer::singleShot(0, this, &GrepWatcher::poll);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void InstallGrepDialog(QWidget* frame) {
    gGrepFrame = frame;
    delete gWatcher.data();
    gWatcher = new GrepWatcher(frame);
    gGrepDialog = [](GrepDialogRecord& record) {
        GrepDialog dialog(record, DialogParent());
        return dialog.exec() == QDialog::Accepted;
    };
    gGrepStarted = [] {
        if (gWatcher) gWatcher->start();
    };
}

void UninstallGrepDialog(QWidget* frame) {
    // A frame made since (a test's) keeps its dialog.
    if (gGrepFrame && gGrepFrame != frame) return;
    AbandonGrep();
    delete gWatcher.data();
    gGrepFrame = nullptr;
    gGrepDialog = nullptr;
    gGrepStarted = nullptr;
}

}  // namespace velt::gui
