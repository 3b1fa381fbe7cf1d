// The "Modified files" question of the Qt front end: lists the names and maps its three
// buttons (and Esc) onto the answers the core's close logic expects.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "main_window.h"
#include "qt_ui.h"
#include "shell/ui.h"

class ModifiedFilesTest : public QObject {
    Q_OBJECT

  private:
    // Next time the dialog is up: records what it shows, then clicks `button` (or presses
    // Esc when it is empty).
    void answerWith(const QString& button) {
        QTimer::singleShot(0, [this, button] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            names.clear();
            auto* list = dialog->findChild<QListWidget*>("names");
            QVERIFY(list);
            for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
            labels.clear();
            for (auto* b : dialog->findChildren<QPushButton*>()) labels << b->text();
            QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
            if (!dir.isEmpty() && button == "saveAll") {
                QDir().mkpath(dir);
                dialog->grab().save(dir + "/modified_files.png");
            }
            if (button.isEmpty()) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            auto* b = dialog->findChild<QPushButton*>(button);
            QVERIFY(b);
            b->click();
        });
    }

    QString title;
    QStringList names;
    QStringList labels;

  private slots:
    void answersFollowTheButtons() {
        velt::gui::MainWindow frame;
        velt::gui::QtUi ui(&frame);
        frame.show();
        const std::vector<std::string> files{"/src/a.c", "/src/with blank.h"};

        answerWith("saveAll");
        QCOMPARE(ui.AskModifiedFiles(files), static_cast<int>(velt::kIdYes));
        QCOMPARE(title, QString("Modified files"));
        QCOMPARE(names, (QStringList{"/src/a.c", "/src/with blank.h"}));
        labels.sort();
        QCOMPARE(labels, (QStringList{"&Cancel", "&Forget", "&Save all"}));

        answerWith("forget");
        QCOMPARE(ui.AskModifiedFiles(files), static_cast<int>(velt::kIdNo));
        answerWith("cancel");
        QCOMPARE(ui.AskModifiedFiles(files), static_cast<int>(velt::kIdCancel));
        answerWith("");
        QCOMPARE(ui.AskModifiedFiles(files), static_cast<int>(velt::kIdCancel));
    }
};

QTEST_MAIN(ModifiedFilesTest)
#include "modified_files_test.moc"
