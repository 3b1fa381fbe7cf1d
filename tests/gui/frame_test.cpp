// The front end starts, shows its frame, answers message boxes through the core's Ui, and
// quits cleanly.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "main_window.h"
#include "qt_ui.h"
#include "shell/msgbox.h"

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void showsFrameAndSavesScreenshot() {
        velt::gui::MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.objectName(), QString("clMDIFrame"));
        QVERIFY(frame.centralWidget() != nullptr);
        QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            QVERIFY(frame.grab().save(dir + "/frame.png"));
        }
        frame.close();
    }

    // Presses a button of the next modal box, checking its caption and text on the way.
    void boxesReachTheUserThroughTheUi() {
        velt::gui::MainWindow frame;
        velt::gui::QtUi ui(&frame);
        velt::Ui* previous = velt::SetUi(&ui);
        frame.show();

        QString seenTitle, seenText;
        auto press = [&](QMessageBox::StandardButton button) {
            QTimer::singleShot(0, [&, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                seenTitle = box->windowTitle();
                seenText = box->text();
                box->button(button)->click();
            });
        };

        press(QMessageBox::Yes);
        QVERIFY(velt::AskYesNo("Continue?"));
        QCOMPARE(seenTitle, QString("Information"));
        QCOMPARE(seenText, QString("Continue?"));

        press(QMessageBox::No);
        QVERIFY(!velt::AskYesNo("Again?"));

        press(QMessageBox::Ok);
        velt::ShowMessage(std::string(300, 'x'));
        QCOMPARE(seenTitle, QString("Error"));
        QCOMPARE(seenText.size(), 254);

        velt::SetUi(previous);
    }

    // Closing the frame ends the event loop with exit code 0, as the program's main() relies on.
    void closingTheFrameQuitsCleanly() {
        velt::gui::MainWindow frame;
        frame.show();
        QTimer::singleShot(0, &frame, &QWidget::close);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!frame.isVisible());
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
