// The configuration sheet ("Configuration of Velt"): a tab per page of the core's sheet, OK
// and Cancel. Each page widget only shows its record and copies the user's entries back; the
// checks and the storing are the core's.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/config_dialog.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace velt {
class LanguagePage;
}

namespace velt::gui {

QColor ColorFromColorRef(std::uint32_t colorRef);
std::uint32_t ColorRefFromColor(const QColor& color);

class ConfigPageWidget : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    // Copies what the user entered into the page's record.
    virtual void store() = 0;
    // The core refused the page: show the record again (it may have selected the culprit).
    virtual void refused() {}
};

class GeneralPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    GeneralPageWidget(GeneralPage& page, QWidget* parent = nullptr);
    void store() override;

  private:
    GeneralPage& page_;
    QLineEdit* currentDir_;
    QLineEdit* compilerPath_;
    std::vector<QCheckBox*> flagBoxes_;  // in the order of kEditorFlagBoxes
    QCheckBox* saveSettings_;
    QCheckBox* showFilesToolbar_;
    QLineEdit* tabSize_;
    QButtonGroup* scroll_;
};

class HelpPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    HelpPageWidget(HelpPage& page, QWidget* parent = nullptr);
    void store() override;

  private slots:
    void browse();

  private:
    HelpPage& page_;
    QLineEdit* helpFile_;
    QLineEdit* helpCompiler_;
};

class MacrosPageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    MacrosPageWidget(MacrosPage& page, QWidget* parent = nullptr);
    void store() override;

  private slots:
    void letterEdited(const QString& text);
    void rowChanged(int row);
    void add();
    void erase();

  private:
    void showRecord();
    void showFields();

    MacrosPage& page_;
    QLineEdit* letter_;
    QPlainTextEdit* text_;
    QListWidget* list_;
    bool filling_ = false;
};

class LanguagePageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    LanguagePageWidget(LanguagePage& page, QWidget* parent = nullptr);
    void store() override;
    void refused() override;

  private slots:
    void rowChanged(int row);
    void nameEdited(const QString& text);
    void add();
    void remove();

  private:
    void showList();
    void showFields();

    LanguagePage& page_;
    QListWidget* list_;
    QPushButton* remove_;
    QLineEdit* name_;
    QSpinBox* code_;
    QLineEdit* extensions_;
    QLineEdit* commentChars_;
    QLineEdit* stringChars_;
    QLineEdit* startFunction_;
    QLineEdit* endFunction_;
    QLineEdit* icon_;
    QCheckBox* caseInsensitive_;
    QPlainTextEdit* keywords_;
    int shown_ = -1;  // the row whose record the fields hold
    bool filling_ = false;
};

// The example text in the page's colours and font.
class ColorExample : public QWidget {
    Q_OBJECT
  public:
    ColorExample(const WorkspacePage& page, QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const WorkspacePage& page_;
};

class WorkspacePageWidget : public ConfigPageWidget {
    Q_OBJECT
  public:
    enum Which { Comments, Keywords, Text, Background };

    WorkspacePageWidget(WorkspacePage& page, QWidget* parent = nullptr);
    void store() override {}  // every change goes into the record at once

    // What the colour and font choosers deliver.
    void setColor(Which which, const QColor& color);
    void setEditorFont(const QFont& font);
    // The record's font as Qt draws it on this screen.
    QFont editorFont() const;

  private slots:
    void chooseColor(int which);
    void resetColors();
    void chooseFont();

  private:
    void refresh();

    WorkspacePage& page_;
    QPushButton* colorButtons_[4];
    ColorExample* example_;
    QLabel* fontLabel_;
};

class ConfigDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ConfigDialog(ConfigContext& ctx, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    ConfigSheet& sheet() { return sheet_; }

    // OK: the sheet closes only when the core accepts every page; otherwise the refusing
    // page is brought to the front.
    void accept() override;
    void reject() override;

  private:
    ConfigSheet sheet_;
    QTabWidget* tabs_;
    struct Tab {
        std::size_t page;  // index in the sheet
        ConfigPageWidget* widget;
    };
    std::vector<Tab> tabsOfPages_;
};

// The "Configuration" command: runs the sheet modally; true when it was confirmed (the
// settings, the root and ctx.filesToolbarShown then hold the user's choices and the
// confirmed handlers have run).
bool RunConfigurationDialog(QWidget* parent, ConfigContext& ctx);

}  // namespace velt::gui
