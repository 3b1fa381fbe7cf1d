// The configuration sheet fills the core's page records from its widgets: OK stores them,
// Cancel leaves the settings as they were, a refused entry keeps the sheet open.
#include "config_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "platform/profile_store.h"
#include "scripted_ui.h"
#include "shell/compiler_root.h"
#include "temp_dir.h"

using velt::ConfigContext;
using velt::GlobalSettings;
using velt::gui::ConfigDialog;

class ConfigDialogTest : public QObject {
    Q_OBJECT

    template <class T>
    static T* Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(name);
        if (!child) qFatal("no widget named %s", name);
        return child;
    }
    static void Press(ConfigDialog& dialog, QDialogButtonBox::StandardButton which) {
        Child<QDialogButtonBox>(dialog, "buttons")->button(which)->click();
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    static void ShowPage(ConfigDialog& dialog, const char* name) {
        dialog.tabs()->setCurrentWidget(Child<QWidget>(dialog, name));
    }

    std::unique_ptr<velt::testing::TempDir> t;
    std::filesystem::path savedCwd;
    GlobalSettings settings;
    std::string root;

  private slots:
    void init() {
        t = std::make_unique<velt::testing::TempDir>();
        velt::platform::ProfileForgetCache();
        velt::ClearConfigConfirmedHandlers();
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(t->path());
        t->Write("root/bin/nimra.exe", "exe");
        t->Write("root/lib/kernel32.lib", "");
        root = *t / "root";
        settings = GlobalSettings{};
    }
    void cleanup() {
        std::filesystem::current_path(savedCwd);
        t.reset();
    }

    void showsThePagesInTabOrder() {
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        QCOMPARE(dialog.windowTitle(), QString("Configuration of Velt"));
        QStringList titles;
        for (int i = 0; i < dialog.tabs()->count(); ++i) titles << dialog.tabs()->tabText(i);
        QCOMPARE(titles,
                 QStringList({"General", "Help", "Macros", "Language", "Workspace", "Utilities"}));
        // No Apply button: the sheet stores only on OK.
        auto* buttons = Child<QDialogButtonBox>(dialog, "buttons");
        QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QVERIFY(!Child<QPushButton>(dialog, "keyboard")->isEnabled());
        QCOMPARE(Child<QCheckBox>(dialog, "testTargetUpToDate")->text(),
                 QString("Test if target is up to date before executing debugging"));
    }

    void okStoresTheEntries() {
        settings.editorFlags = 0x2f | 0x100;  // a bit the page has no box for
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* autoSave = Child<QCheckBox>(dialog, "autoSave");
        QVERIFY(!autoSave->isChecked());
        autoSave->click();
        Child<QCheckBox>(dialog, "backups")->click();
        Type(Child<QLineEdit>(dialog, "tabSize"), "6");
        Child<QRadioButton>(dialog, "scrollVerySmooth")->click();
        Child<QCheckBox>(dialog, "showFilesToolbar")->click();
        ShowPage(dialog, "helpPage");
        Type(Child<QLineEdit>(dialog, "helpCompiler"), "hc.exe");
        Press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(settings.editorFlags, 0x16bu);
        QCOMPARE(settings.tabSize, 6);
        QCOMPARE(settings.subScroll, std::int16_t(10));
        QCOMPARE(settings.winHelpComp, std::string("hc.exe"));
        QVERIFY(ctx.filesToolbarShown);
    }

    void cancelLeavesTheSettings() {
        settings.backgroundColor = 0x000000;
        const GlobalSettings before = settings;
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        Child<QCheckBox>(dialog, "autoIndent")->click();
        Type(Child<QLineEdit>(dialog, "tabSize"), "2");
        ShowPage(dialog, "workspacePage");
        Child<QPushButton>(dialog, "resetColors")->click();
        Press(dialog, QDialogButtonBox::Cancel);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(settings.editorFlags, before.editorFlags);
        QCOMPARE(settings.tabSize, before.tabSize);
        QCOMPARE(settings.backgroundColor, 0x000000u);
        QCOMPARE(settings.commentColor, before.commentColor);
    }

    void aRefusedEntryKeepsTheSheetOpen() {
        velt::testing::ScriptedUi ui;
        settings.tabSize = 5;
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        Type(Child<QLineEdit>(dialog, "tabSize"), "x1");
        ShowPage(dialog, "workspacePage");
        Press(dialog, QDialogButtonBox::Ok);
        QVERIFY(dialog.isVisible());
        QCOMPARE(ui.Texts(), std::vector<std::string>{"Incorrect number 'x1'"});
        QCOMPARE(dialog.tabs()->currentWidget()->objectName(), QString("generalPage"));
        QCOMPARE(settings.tabSize, 5);

        ui.Clear();
        Type(Child<QLineEdit>(dialog, "tabSize"), "12");
        Press(dialog, QDialogButtonBox::Ok);
        QVERIFY(!dialog.isVisible());
        QVERIFY(ui.boxes.empty());
        QCOMPARE(settings.tabSize, 4);  // out of range: the default
    }

    void macrosPageEditsTheList() {
        velt::testing::ScriptedUi ui;
        settings.macros = {{'w', "while () {\n}", 7}};
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        ShowPage(dialog, "macrosPage");
        auto* letter = Child<QLineEdit>(dialog, "macroLetter");
        auto* text = Child<QPlainTextEdit>(dialog, "macroText");
        auto* list = Child<QListWidget>(dialog, "macroList");
        auto* add = Child<QPushButton>(dialog, "addMacro");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString("Ctrl + w"));

        // Typing a letter in use shows its text.
        Type(letter, "W");
        QCOMPARE(text->toPlainText(), QString("while () {\n}"));

        Type(letter, "1");
        text->setPlainText("one");
        add->click();
        QCOMPARE(ui.beeps, 1);
        QCOMPARE(list->count(), 1);

        Type(letter, "p");
        text->setPlainText("printf(\"\");");
        QTextCursor caret = text->textCursor();
        caret.setPosition(8);
        text->setTextCursor(caret);
        add->click();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QString("Ctrl + p"));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(letter->text(), QString("w"));
        QCOMPARE(text->toPlainText(), QString("while () {\n}"));
        Child<QPushButton>(dialog, "eraseMacro")->click();
        QCOMPARE(list->count(), 1);
        QCOMPARE(settings.macros.size(), std::size_t(1));  // not before OK
        QCOMPARE(settings.macros[0].code, 'w');

        Press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(settings.macros.size(), std::size_t(1));
        QCOMPARE(settings.macros[0].code, 'p');
        QCOMPARE(settings.macros[0].text, std::string("printf(\"\");"));
        QCOMPARE(settings.macros[0].position, 8L);
    }

    void workspaceShowsAndStoresColoursAndFont() {
        QCOMPARE(velt::gui::ColorFromColorRef(0x0000FF), QColor(Qt::red));
        QCOMPARE(velt::gui::ColorFromColorRef(0x800000), QColor(0, 0, 0x80));
        QCOMPARE(velt::gui::ColorRefFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);

        settings.backgroundColor = 0x0000FF;
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        ShowPage(dialog, "workspacePage");
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* example = Child<QWidget>(dialog, "colorExample");
        QCOMPARE(example->grab().toImage().pixelColor(5, 5), QColor(Qt::red));
        Child<QPushButton>(dialog, "resetColors")->click();
        QCOMPARE(example->grab().toImage().pixelColor(5, 5), QColor(Qt::white));

        auto* page = Child<velt::gui::WorkspacePageWidget>(dialog, "workspacePage");
        page->setColor(velt::gui::WorkspacePageWidget::Keywords, QColor(0x10, 0x20, 0x30));
        QFont chosen("Monospace");
        chosen.setPointSize(12);
        chosen.setWeight(QFont::Bold);
        page->setEditorFont(chosen);

        Press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(settings.backgroundColor, 0xFFFFFFu);
        QCOMPARE(settings.commentColor, 0x800000u);
        QCOMPARE(settings.keywordColor, 0x302010u);
        QCOMPARE(settings.fontName, QFontInfo(chosen).family().toLocal8Bit().toStdString());
        QCOMPARE(settings.fontHeight, -qRound(12.0 * page->logicalDpiY() / 72.0));
        QCOMPARE(settings.fontStyle, 700);
    }

    void helpBrowsePicksAHelpFile() {
        const std::string file = t->Write("docs/velt.hlp", "help");
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        ShowPage(dialog, "helpPage");
        QString caption;
        QStringList filters;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            caption = chooser->windowTitle();
            filters = chooser->nameFilters();
            chooser->selectFile(QString::fromStdString(file));
            static_cast<QDialog*>(chooser)->accept();  // public in QDialog
        });
        Child<QPushButton>(dialog, "browseHelp")->click();
        QCOMPARE(caption, QString("Open help file"));
        QCOMPARE(filters, QStringList{"*.hlp"});
        QCOMPARE(Child<QLineEdit>(dialog, "helpFile")->text(), QString::fromStdString(file));
    }

    // The frame's entry point runs the sheet modally and reports whether it was confirmed.
    void entryPointRunsTheSheet() {
        for (auto which : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
            QString title;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<ConfigDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                title = dialog->windowTitle();
                Type(Child<QLineEdit>(*dialog, "tabSize"), "3");
                Press(*dialog, which);
            });
            ConfigContext ctx(settings, root);
            const bool confirmed = velt::gui::RunConfigurationDialog(nullptr, ctx);
            QCOMPARE(title, QString("Configuration of Velt"));
            QCOMPARE(confirmed, which == QDialogButtonBox::Ok);
            QCOMPARE(settings.tabSize, confirmed ? 3 : 4);
        }
    }

    void savesScreenshotsOfEachPage() {
        const QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("VELT_SCREENSHOT_DIR is not set");
        QDir().mkpath(dir);
        velt::LoadGlobalSettings(root, settings);  // the defaults of a first start
        settings.macros = {{'w', "while () {\n}", 7}, {'f', "for (;;) {\n}", 5}};
        ConfigContext ctx(settings, root);
        ConfigDialog dialog(ctx);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int i = 0; i < dialog.tabs()->count(); ++i) {
            dialog.tabs()->setCurrentIndex(i);
            const QString name = dialog.tabs()->tabText(i).toLower();
            QVERIFY(dialog.grab().save(dir + "/config-" + name + ".png"));
        }
    }
};

QTEST_MAIN(ConfigDialogTest)
#include "config_dialog_test.moc"
