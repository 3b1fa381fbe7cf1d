#include "config_dialog.h"
#include "qt_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>
#include <cstdlib>

#include "build_pages.h"
#include "editor/language_page.h"
#include "project/build_pages.h"
#include "project/project_page.h"
#include "project/utilities.h"
#include "project_page.h"
#include "utilities_page.h"

namespace velt::gui {

namespace {


QString PageObjectName(ConfigPageId id) {
    QString title = Q(ConfigPageTitle(id, SheetState{}));
    return title.toLower() + "Page";
}

FontFamilyKind FamilyOf(QFont::StyleHint hint) {
    switch (hint) {
        case QFont::Serif:
            return FontFamilyKind::Roman;
        case QFont::SansSerif:
            return FontFamilyKind::Swiss;
        case QFont::TypeWriter:
        case QFont::Monospace:
            return FontFamilyKind::Modern;
        case QFont::Cursive:
            return FontFamilyKind::Script;
        case QFont::Decorative:
        case QFont::Fantasy:
            return FontFamilyKind::Decorative;
        default:
            return FontFamilyKind::DontCare;
    }
}

ConfigPageWidget* MakePageWidget(ConfigPage& page) {
    switch (page.Id()) {
        case ConfigPageId::General:
            return new GeneralPageWidget(static_cast<GeneralPage&>(page));
        case ConfigPageId::Project:
            return new ProjectPageWidget(static_cast<ProjectPage&>(page));
        case ConfigPageId::Help:
            return new HelpPageWidget(static_cast<HelpPage&>(page));
        case ConfigPageId::Macros:
            return new MacrosPageWidget(static_cast<MacrosPage&>(page));
        case ConfigPageId::Language:
            return new LanguagePageWidget(static_cast<LanguagePage&>(page));
        case ConfigPageId::Workspace:
            return new WorkspacePageWidget(static_cast<WorkspacePage&>(page));
        case ConfigPageId::Utilities:
            return new UtilitiesPageWidget(static_cast<UtilitiesPage&>(page));
        case ConfigPageId::Compiler:
            return new CompilerPageWidget(static_cast<CompilerPage&>(page));
        case ConfigPageId::Linker:
            return new LinkerPageWidget(static_cast<LinkerPage&>(page));
        default:
            return nullptr;
    }
}

}  // namespace

QColor ColorFromColorRef(std::uint32_t colorRef) {
    const Rgb rgb = RgbFromColorRef(colorRef);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

std::uint32_t ColorRefFromColor(const QColor& color) {
    const QColor c = color.toRgb();
    return ColorRefFromRgb({static_cast<std::uint8_t>(c.red()),
                            static_cast<std::uint8_t>(c.green()),
                            static_cast<std::uint8_t>(c.blue())});
}

// ---- General ----

GeneralPageWidget::GeneralPageWidget(GeneralPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QVBoxLayout(this);

    auto* paths = new QFormLayout;
    currentDir_ = new QLineEdit(Q(page.currentDir));
    currentDir_->setObjectName("currentDir");
    paths->addRow("Current &directory", currentDir_);
    compilerPath_ = new QLineEdit(Q(page.compilerPath));
    compilerPath_->setObjectName("compilerPath");
    paths->addRow("Compiler path", compilerPath_);
    layout->addLayout(paths);

    auto* editor = new QGroupBox("Editor");
    auto* flags = new QGridLayout(editor);
    int n = 0;
    for (const EditorFlagBox& box : kEditorFlagBoxes) {
        auto* check = new QCheckBox(box.label);
        check->setObjectName(box.name);
        check->setChecked((page.editorFlags & box.bit) != 0);
        flags->addWidget(check, n / 2, n % 2);
        flagBoxes_.push_back(check);
        ++n;
    }
    layout->addWidget(editor);

    saveSettings_ = new QCheckBox("&Save editor settings configuration at exit");
    saveSettings_->setObjectName("saveSettingsAtExit");
    saveSettings_->setChecked(page.saveSettingsAtExit);
    layout->addWidget(saveSettings_);
    showFilesToolbar_ = new QCheckBox("Show &open files toolbar");
    showFilesToolbar_->setObjectName("showFilesToolbar");
    showFilesToolbar_->setChecked(page.showFilesToolbar);
    layout->addWidget(showFilesToolbar_);

    auto* row = new QHBoxLayout;
    auto* tabLabel = new QLabel("&Tab size");
    tabSize_ = new QLineEdit(Q(page.tabSize));
    tabSize_->setObjectName("tabSize");
    tabSize_->setMaximumWidth(60);
    tabLabel->setBuddy(tabSize_);
    row->addWidget(tabLabel);
    row->addWidget(tabSize_);
    row->addSpacing(24);
    auto* scrollBox = new QGroupBox("Vertical scrolling");
    auto* scrollLayout = new QHBoxLayout(scrollBox);
    scroll_ = new QButtonGroup(this);
    for (const ScrollStepChoice& step : kScrollSteps) {
        auto* radio = new QRadioButton(step.label);
        radio->setObjectName(step.name);
        radio->setChecked(page.scrollStep == step.lines);
        scroll_->addButton(radio, step.lines);
        scrollLayout->addWidget(radio);
    }
    row->addWidget(scrollBox);
    row->addStretch();
    layout->addLayout(row);

    auto* info = new QFormLayout;
    auto* memory = new QLabel(QString::number(page.memoryInUse));
    memory->setObjectName("memoryUsed");
    info->addRow("Memory used:", memory);
    auto* windows = new QLabel(QString::number(static_cast<qulonglong>(page.openWindows)));
    windows->setObjectName("openWindows");
    info->addRow("Open windows:", windows);
    layout->addLayout(info);
    layout->addStretch();
}

void GeneralPageWidget::store() {
    page_.currentDir = S(currentDir_->text());
    page_.compilerPath = S(compilerPath_->text());
    // Bits without a check box are kept as they were.
    for (std::size_t i = 0; i < flagBoxes_.size(); ++i) {
        const std::uint32_t bit = kEditorFlagBoxes[i].bit;
        page_.editorFlags =
            flagBoxes_[i]->isChecked() ? (page_.editorFlags | bit) : (page_.editorFlags & ~bit);
    }
    page_.saveSettingsAtExit = saveSettings_->isChecked();
    page_.showFilesToolbar = showFilesToolbar_->isChecked();
    page_.tabSize = S(tabSize_->text());
    // A stored step with no button of its own stays until the user picks one.
    if (scroll_->checkedId() > 0) page_.scrollStep = scroll_->checkedId();
}

// ---- Help ----

HelpPageWidget::HelpPageWidget(HelpPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    helpFile_ = new QLineEdit(Q(page.helpFile));
    helpFile_->setObjectName("helpFile");
    auto* browse = new QPushButton("&Browse");
    browse->setObjectName("browseHelp");
    connect(browse, &QPushButton::clicked, this, &HelpPageWidget::browse);
    fileRow->addWidget(helpFile_);
    fileRow->addWidget(browse);
    form->addRow("Help file", fileRow);
    helpCompiler_ = new QLineEdit(Q(page.helpCompiler));
    helpCompiler_->setObjectName("helpCompiler");
    form->addRow("Help compiler", helpCompiler_);
    layout->addLayout(form);
    layout->addStretch();
}

void HelpPageWidget::store() {
    page_.helpFile = S(helpFile_->text());
    page_.helpCompiler = S(helpCompiler_->text());
}

void HelpPageWidget::browse() {
    QFileDialog dialog(this, kHelpBrowseCaption, QFileInfo(helpFile_->text()).absolutePath(),
                       kHelpBrowseFilter);
    dialog.setObjectName("helpFileChooser");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        helpFile_->setText(dialog.selectedFiles().first());
}

// ---- Macros ----

MacrosPageWidget::MacrosPageWidget(MacrosPage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Letter ('a' to 'z')"));
    letter_ = new QLineEdit;
    letter_->setObjectName("macroLetter");
    letter_->setMaxLength(1);
    letter_->setMaximumWidth(40);
    left->addWidget(letter_);
    left->addWidget(new QLabel("Contents of the macro"));
    text_ = new QPlainTextEdit;
    text_->setObjectName("macroText");
    left->addWidget(text_);
    layout->addLayout(left, 2);

    auto* right = new QVBoxLayout;
    list_ = new QListWidget;
    list_->setObjectName("macroList");
    right->addWidget(list_);
    auto* add = new QPushButton("&Add");
    add->setObjectName("addMacro");
    right->addWidget(add);
    auto* erase = new QPushButton("&Erase");
    erase->setObjectName("eraseMacro");
    right->addWidget(erase);
    layout->addLayout(right, 1);

    connect(letter_, &QLineEdit::textEdited, this, &MacrosPageWidget::letterEdited);
    connect(list_, &QListWidget::currentRowChanged, this, &MacrosPageWidget::rowChanged);
    connect(add, &QPushButton::clicked, this, &MacrosPageWidget::add);
    connect(erase, &QPushButton::clicked, this, &MacrosPageWidget::erase);
    showRecord();
}

void MacrosPageWidget::store() {
    page_.letter = S(letter_->text());
    page_.text = S(text_->toPlainText());
}

void MacrosPageWidget::showRecord() {
    filling_ = true;
    list_->clear();
    for (const std::string& row : page_.ListRows()) list_->addItem(Q(row));
    filling_ = false;
    showFields();
}

// Leaves the rows alone: it also runs while the list itself reports a new current row.
void MacrosPageWidget::showFields() {
    filling_ = true;
    if (list_->currentRow() != page_.selected) list_->setCurrentRow(page_.selected);
    if (letter_->text() != Q(page_.letter)) letter_->setText(Q(page_.letter));
    if (text_->toPlainText() != Q(page_.text)) text_->setPlainText(Q(page_.text));
    filling_ = false;
}

void MacrosPageWidget::letterEdited(const QString& text) {
    store();
    if (page_.LetterTyped(S(text))) showFields();
}

void MacrosPageWidget::rowChanged(int row) {
    if (filling_) return;
    page_.Select(row);
    showFields();
}

void MacrosPageWidget::add() {
    store();
    const QString all = text_->toPlainText();
    // The caret offset counts the stored characters, not Qt's.
    const long caret =
        static_cast<long>(all.left(text_->textCursor().position()).toLocal8Bit().size());
    page_.Add(caret);
    showRecord();
}

void MacrosPageWidget::erase() {
    page_.selected = list_->currentRow();
    if (page_.Erase()) showRecord();
}

// ---- Language ----

LanguagePageWidget::LanguagePageWidget(LanguagePage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    auto* listLabel = new QLabel("&Languages");
    list_ = new QListWidget;
    list_->setObjectName("languageList");
    listLabel->setBuddy(list_);
    left->addWidget(listLabel);
    left->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton("&Add");
    add->setObjectName("addLanguage");
    remove_ = new QPushButton("&Remove");
    remove_->setObjectName("removeLanguage");
    buttons->addWidget(add);
    buttons->addWidget(remove_);
    left->addLayout(buttons);
    layout->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    auto field = [form](const char* label, const char* name) {
        auto* edit = new QLineEdit;
        edit->setObjectName(name);
        form->addRow(label, edit);
        return edit;
    };
    name_ = field("&Name", "languageName");
    code_ = new QSpinBox;
    code_->setObjectName("languageCode");
    code_->setRange(INT_MIN, INT_MAX);
    form->addRow("&Code", code_);
    extensions_ = field("&Extensions", "languageExtensions");
    commentChars_ = field("Co&mment characters", "languageCommentChars");
    stringChars_ = field("&String characters", "languageStringChars");
    startFunction_ = field("Start of &function", "languageStartFunction");
    endFunction_ = field("En&d of function", "languageEndFunction");
    icon_ = field("&Icon", "languageIcon");
    right->addLayout(form);
    caseInsensitive_ = new QCheckBox("Keywords are case-insensi&tive");
    caseInsensitive_->setObjectName("languageCaseInsensitive");
    right->addWidget(caseInsensitive_);
    auto* keywordsLabel = new QLabel("&Keywords");
    keywords_ = new QPlainTextEdit;
    keywords_->setObjectName("languageKeywords");
    keywords_->setLineWrapMode(QPlainTextEdit::NoWrap);
    keywordsLabel->setBuddy(keywords_);
    right->addWidget(keywordsLabel);
    right->addWidget(keywords_, 1);
    layout->addLayout(right, 2);

    connect(list_, &QListWidget::currentRowChanged, this, &LanguagePageWidget::rowChanged);
    connect(name_, &QLineEdit::textEdited, this, &LanguagePageWidget::nameEdited);
    connect(add, &QPushButton::clicked, this, &LanguagePageWidget::add);
    connect(remove_, &QPushButton::clicked, this, &LanguagePageWidget::remove);
    showList();
}

void LanguagePageWidget::store() {
    if (shown_ < 0 || shown_ >= static_cast<int>(page_.languages.size())) return;
    LanguageEntry& e = page_.languages[static_cast<std::size_t>(shown_)];
    e.name = S(name_->text());
    e.code = code_->value();
    e.extensions = S(extensions_->text());
    e.commentChars = S(commentChars_->text());
    e.stringChars = S(stringChars_->text());
    e.startFunction = S(startFunction_->text());
    e.endFunction = S(endFunction_->text());
    e.icon = S(icon_->text());
    e.SetCaseInsensitive(caseInsensitive_->isChecked());
    e.keywords = S(keywords_->toPlainText());
}

void LanguagePageWidget::refused() {
    showList();
}

void LanguagePageWidget::showList() {
    filling_ = true;
    list_->clear();
    for (const std::string& name : page_.Names()) list_->addItem(Q(name));
    list_->setCurrentRow(page_.selected);
    filling_ = false;
    showFields();
}

void LanguagePageWidget::showFields() {
    filling_ = true;
    shown_ = page_.selected;
    const bool any = shown_ >= 0 && shown_ < static_cast<int>(page_.languages.size());
    const LanguageEntry e =
        any ? page_.languages[static_cast<std::size_t>(shown_)] : LanguageEntry{};
    name_->setText(Q(e.name));
    // The editor knows the built-in languages by their names.
    name_->setReadOnly(!page_.NameEditable(shown_));
    code_->setValue(e.code);
    extensions_->setText(Q(e.extensions));
    commentChars_->setText(Q(e.commentChars));
    stringChars_->setText(Q(e.stringChars));
    startFunction_->setText(Q(e.startFunction));
    endFunction_->setText(Q(e.endFunction));
    icon_->setText(Q(e.icon));
    caseInsensitive_->setChecked(e.caseInsensitive());
    keywords_->setPlainText(Q(e.keywords));
    for (QWidget* w : std::initializer_list<QWidget*>{name_, code_, extensions_, commentChars_,
                                                      stringChars_, startFunction_, endFunction_,
                                                      icon_, caseInsensitive_, keywords_})
        w->setEnabled(any);
    // Only a language added here can go again: open documents may use the others.
    remove_->setEnabled(any && !e.source);
    filling_ = false;
}

void LanguagePageWidget::rowChanged(int row) {
    if (filling_) return;
    store();
    page_.selected = row;
    showFields();
}

void LanguagePageWidget::nameEdited(const QString& text) {
    if (QListWidgetItem* item = list_->item(shown_)) item->setText(text);
}

void LanguagePageWidget::add() {
    store();
    page_.Add();
    showList();
    name_->setFocus();
}

void LanguagePageWidget::remove() {
    store();
    if (page_.Remove(list_->currentRow())) showList();
}

// ---- Workspace ----

ColorExample::ColorExample(const WorkspacePage& page, QWidget* parent)
    : QWidget(parent), page_(page) {
    setObjectName("colorExample");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize ColorExample::sizeHint() const {
    return {220, 110};
}

void ColorExample::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorFromColorRef(page_.colors.background));
    p.setPen(Qt::gray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int lineHeight = p.fontMetrics().lineSpacing();
    int y = 8 + p.fontMetrics().ascent();
    for (const ExampleLine& line : page_.Example()) {
        p.setPen(ColorFromColorRef(line.color));
        p.drawText(10, y, Q(line.text));
        y += lineHeight + 4;
    }
}

WorkspacePageWidget::WorkspacePageWidget(WorkspacePage& page, QWidget* parent)
    : ConfigPageWidget(parent), page_(page) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;

    auto* colorBox = new QGroupBox("Colors");
    auto* grid = new QVBoxLayout(colorBox);
    static const char* const kLabels[] = {"Comments", "Keywords", "Text", "Background"};
    static const char* const kNames[] = {"commentsColor", "keywordsColor", "textColor",
                                         "backgroundColor"};
    for (int i = 0; i < 4; ++i) {
        colorButtons_[i] = new QPushButton(kLabels[i]);
        colorButtons_[i]->setObjectName(kNames[i]);
        connect(colorButtons_[i], &QPushButton::clicked, this, [this, i] { chooseColor(i); });
        grid->addWidget(colorButtons_[i]);
    }
    top->addWidget(colorBox);
    example_ = new ColorExample(page, this);
    top->addWidget(example_, 1);
    layout->addLayout(top);

    fontLabel_ = new QLabel;
    fontLabel_->setObjectName("fontDescription");
    layout->addWidget(fontLabel_);

    auto* buttons = new QHBoxLayout;
    auto* reset = new QPushButton("&Reset colors");
    reset->setObjectName("resetColors");
    connect(reset, &QPushButton::clicked, this, &WorkspacePageWidget::resetColors);
    buttons->addWidget(reset);
    auto* fonts = new QPushButton("&Fonts");
    fonts->setObjectName("fonts");
    connect(fonts, &QPushButton::clicked, this, &WorkspacePageWidget::chooseFont);
    buttons->addWidget(fonts);
    // The keyboard customisation does not exist yet.
    auto* keyboard = new QPushButton("Keyboard...");
    keyboard->setObjectName("keyboard");
    keyboard->setEnabled(false);
    buttons->addWidget(keyboard);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    refresh();
}

QFont WorkspacePageWidget::editorFont() const {
    QFont font(Q(page_.fontName));
    // FontHeight is the character height in pixels of this screen, negated.
    font.setPixelSize(page_.fontHeight != 0 ? std::abs(page_.fontHeight) : 13);
    font.setWeight(static_cast<QFont::Weight>(FontWeightOf(page_.fontStyle)));
    if ((page_.fontFamily & 0x3) == 1) font.setStyleHint(QFont::TypeWriter);
    return font;
}

void WorkspacePageWidget::setColor(Which which, const QColor& color) {
    const std::uint32_t c = ColorRefFromColor(color);
    switch (which) {
        case Comments:
            page_.colors.comments = c;
            break;
        case Keywords:
            page_.colors.keywords = c;
            break;
        case Text:
            page_.colors.text = c;
            break;
        case Background:
            page_.colors.background = c;
            break;
    }
    refresh();
}

void WorkspacePageWidget::setEditorFont(const QFont& font) {
    const QFontInfo info(font);
    FontChoice choice;
    choice.name = S(info.family());
    choice.pointSize = info.pointSizeF();
    choice.weight = info.weight();
    choice.fixedPitch = info.fixedPitch();
    choice.family = FamilyOf(font.styleHint());
    page_.ChooseFont(choice, logicalDpiY());
    refresh();
}

void WorkspacePageWidget::chooseColor(int which) {
    const std::uint32_t current[] = {page_.colors.comments, page_.colors.keywords,
                                     page_.colors.text, page_.colors.background};
    QColorDialog dialog(ColorFromColorRef(current[which]), this);
    dialog.setWindowTitle(colorButtons_[which]->text());
    if (dialog.exec() == QDialog::Accepted)
        setColor(static_cast<Which>(which), dialog.selectedColor());
}

void WorkspacePageWidget::resetColors() {
    page_.ResetColors();
    refresh();
}

void WorkspacePageWidget::chooseFont() {
    QFont initial(Q(page_.fontName));
    initial.setPointSizeF(PointsFromFontHeight(page_.fontHeight, logicalDpiY()));
    initial.setWeight(static_cast<QFont::Weight>(FontWeightOf(page_.fontStyle)));
    QFontDialog dialog(initial, this);
    dialog.setOption(QFontDialog::MonospacedFonts);
    if (dialog.exec() == QDialog::Accepted) setEditorFont(dialog.selectedFont());
}

void WorkspacePageWidget::refresh() {
    const std::uint32_t current[] = {page_.colors.comments, page_.colors.keywords,
                                     page_.colors.text, page_.colors.background};
    for (int i = 0; i < 4; ++i) {
        QPixmap swatch(16, 16);
        swatch.fill(ColorFromColorRef(current[i]));
        colorButtons_[i]->setIcon(swatch);
    }
    fontLabel_->setText(QString("%1, %2 pt")
                            .arg(Q(page_.fontName))
                            .arg(qRound(PointsFromFontHeight(page_.fontHeight, logicalDpiY()))));
    example_->setFont(editorFont());
    example_->update();
}

// ---- The sheet ----

ConfigDialog::ConfigDialog(ConfigContext& ctx, QWidget* parent) : QDialog(parent), sheet_(ctx) {
    setObjectName("configDialog");
    setWindowTitle(kConfigSheetTitle);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget;
    tabs_->setObjectName("configTabs");
    for (std::size_t i = 0; i < sheet_.size(); ++i) {
        ConfigPageWidget* widget = MakePageWidget(sheet_.page(i));
        if (!widget) continue;  // the page is still checked and stored as it was loaded
        widget->setObjectName(PageObjectName(sheet_.page(i).Id()));
        tabs_->addTab(widget, Q(sheet_.title(i)));
        tabsOfPages_.push_back({i, widget});
    }
    layout->addWidget(tabs_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &ConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConfigDialog::reject);
    layout->addWidget(buttons);
}

void ConfigDialog::accept() {
    for (const Tab& tab : tabsOfPages_) tab.widget->store();
    std::size_t refused = 0;
    if (sheet_.Confirm(&refused)) {
        QDialog::accept();
        return;
    }
    for (const Tab& tab : tabsOfPages_)
        if (tab.page == refused) {
            tab.widget->refused();
            tabs_->setCurrentWidget(tab.widget);
        }
}

void ConfigDialog::reject() {
    sheet_.Cancel();
    QDialog::reject();
}

bool RunConfigurationDialog(QWidget* parent, ConfigContext& ctx) {
    ConfigDialog dialog(ctx, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace velt::gui
