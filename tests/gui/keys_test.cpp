// Keys in the frame: Qt's key events become the virtual keys of the shortcut table, a
// matching row is dispatched (and nothing else sees the key), the without-document rule
// holds, Alt+letter falls back to the menu bar, and dialogs and the output list keep the
// keys they use themselves.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QtTest>

#include "frame_keys.h"
#include "frame_menus.h"
#include "key_codes.h"
#include "main_window.h"
#include "output_pane_widget.h"
#include "recording_documents.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/menu_model.h"
#include "shell/output_pane.h"
#include "shell/shortcuts.h"

using velt::gui::MainWindow;
using Commands = std::vector<unsigned>;

class KeysTest : public QObject {
    Q_OBJECT

    // Records every command that reaches the dispatcher's table.
    struct Recorder {
        Commands seen;
        explicit Recorder(std::initializer_list<unsigned> ids) {
            for (unsigned id : ids)
                velt::FrameCommands().Register(
                    id,
                    [this](const velt::CommandCall& c) {
                        seen.push_back(c.id);
                        return std::intptr_t{0};
                    },
                    this);
        }
        ~Recorder() { velt::FrameCommands().Unregister(this); }
    };

  private slots:
    void cleanup() { velt::ResetShortcuts(); }

    void qtKeysBecomeTheVirtualKeysOfWindows() {
        using velt::gui::VirtualKeyFromQt;
        const Qt::KeyboardModifiers none;
        QCOMPARE(VirtualKeyFromQt(Qt::Key_S, Qt::ControlModifier), 0x53u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_7, none), 0x37u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_F1, none), 0x70u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_F12, Qt::AltModifier), 0x7Bu);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_F24, none), 0x87u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Right, none), 0x27u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_PageDown, none), 0x22u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Backspace, none), 0x08u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Backtab, Qt::ShiftModifier), 0x09u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Insert, none), 0x2Du);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Delete, none), 0x2Eu);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Escape, none), 0x1Bu);
        // The number pad: digits and operators have their own codes, its Enter is Return and
        // without Num Lock its keys are the navigation keys.
        QCOMPARE(VirtualKeyFromQt(Qt::Key_3, Qt::KeypadModifier), 0x63u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Plus, Qt::KeypadModifier), 0x6Bu);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Enter, Qt::KeypadModifier), 0x0Du);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Home, Qt::KeypadModifier), 0x24u);
        // Punctuation: the US key that carries the character, shifted or not.
        QCOMPARE(VirtualKeyFromQt(Qt::Key_BraceLeft, Qt::ShiftModifier), 0xDBu);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_BracketLeft, none), 0xDBu);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Exclam, Qt::ShiftModifier), 0x31u);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Plus, Qt::ShiftModifier), 0xBBu);
        QCOMPARE(VirtualKeyFromQt(Qt::Key_Control, Qt::ControlModifier), 0u);

        const QKeyEvent e(QEvent::KeyPress, Qt::Key_F7, Qt::ControlModifier | Qt::ShiftModifier);
        const velt::gui::VirtualKey k = velt::gui::VirtualKeyFromEvent(e);
        QCOMPARE(k.vk, 0x76u);
        QVERIFY(k.ctrl && k.shift && !k.alt);
    }

    void ctrlRightGivesTheWordCommand() {
        velt::testing::RecordingDocuments docs;
        docs.docs = {{"/src/a.c"}};
        Recorder r{velt::kCmdWordRight, velt::kCmdWordRightRepeat};
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTest::keyClick(&frame, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(r.seen, Commands{velt::kCmdWordRight});

        // Delivered as a plain key event too.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
        QApplication::sendEvent(&frame, &press);
        QCOMPARE(r.seen, (Commands{velt::kCmdWordRight, velt::kCmdWordRight}));
        QVERIFY(press.isAccepted());
    }

    void withoutDocumentOnlyAllowedCommandsPass() {
        velt::testing::RecordingDocuments docs;
        Recorder r{velt::kCmdStructuresList, velt::kCmdFunctionsList, velt::kCmdMake};
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QTest::keyClick(&frame, Qt::Key_F12, Qt::AltModifier);
        QTest::keyClick(&frame, Qt::Key_F12);
        QVERIFY(r.seen.empty());
        QVERIFY(!frame.menuBar()->activeAction());  // no menu opened on the way
        QTest::keyClick(&frame, Qt::Key_F9);
        QCOMPARE(r.seen, Commands{velt::kCmdMake});

        docs.docs = {{"/src/a.c"}};
        QTest::keyClick(&frame, Qt::Key_F12, Qt::AltModifier);
        QCOMPARE(r.seen, (Commands{velt::kCmdMake, velt::kCmdStructuresList}));
    }

    void fileAcceleratorsAndUserKeys() {
        velt::testing::RecordingDocuments docs;
        docs.docs = {{"/src/a.c"}};
        Recorder r{velt::kCmdUtilityFirst, velt::kCmdUtilityFirst + 10, velt::kCmdUndo,
                   velt::kCmdSave};
        MainWindow frame;
        frame.show();
        QTest::keyClick(&frame, Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(&frame, Qt::Key_F11, Qt::ShiftModifier);
        QTest::keyClick(&frame, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(r.seen,
                 (Commands{velt::kCmdUtilityFirst, velt::kCmdUtilityFirst + 10, velt::kCmdUndo}));

        // The user gave Save the key Ctrl+W: the old key does nothing, the new one saves.
        std::vector<velt::AccelEntry> entries = velt::DefaultAccelEntries();
        for (velt::AccelEntry& e : entries)
            if (e.command == velt::kCmdSave) e.key = 'W';
        velt::ApplyShortcutEntries(entries);
        r.seen.clear();
        QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(r.seen.empty());
        QTest::keyClick(&frame, Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(r.seen, Commands{velt::kCmdSave});
    }

    // Alt+letter: a table row wins over the menu's mnemonic; without one the menu opens.
    void altLetterReachesTheMenuUnlessARowHasIt() {
        velt::testing::RecordingDocuments docs;
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QApplication::setActiveWindow(&frame);
        QTest::keyClick(&frame, Qt::Key_F, Qt::AltModifier);
        QMenu* file = frame.menus()->menu(velt::kFileMenu);
        QTRY_VERIFY(file->isVisible());
        file->hide();

        // The user gives Alt+F to Find in files (a command that works without a document).
        Recorder r{velt::kCmdFindInFiles};
        std::vector<velt::AccelEntry> entries = velt::DefaultAccelEntries();
        for (velt::AccelEntry& e : entries)
            if (e.command == velt::kCmdFindInFiles) {
                e.key = 'F';
                e.flags = velt::kModAlt;
            }
        velt::ApplyShortcutEntries(entries);
        QTest::keyClick(&frame, Qt::Key_F, Qt::AltModifier);
        QCOMPARE(r.seen, Commands{velt::kCmdFindInFiles});
        QVERIFY(!file->isVisible());
    }

    void dialogsAndTheOutputListKeepTheirKeys() {
        velt::testing::RecordingDocuments docs;
        docs.docs = {{"/src/a.c"}};
        Recorder r{velt::kCmdWordRight, velt::kCmdCopy, velt::kCmdSelectDown, velt::kCmdMake};
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        QDialog dialog(&frame);
        auto* edit = new QLineEdit("one two", &dialog);
        (new QVBoxLayout(&dialog))->addWidget(edit);
        dialog.show();
        edit->setCursorPosition(0);
        QTest::keyClick(edit, Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(r.seen.empty());
        QVERIFY(edit->cursorPosition() > 0);
        dialog.hide();

        velt::FrameOutputPane().Reset();
        velt::FrameOutputPane().Append(velt::kBuildPage, "a\nb\nc");
        frame.outputPane()->refreshAll();
        QListWidget* list = frame.outputPane()->pageList(velt::kBuildPage);
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(list->currentRow(), 1);
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(r.seen.empty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("b"));
        QTest::keyClick(list, Qt::Key_F9);
        QCOMPARE(r.seen, Commands{velt::kCmdMake});
        velt::FrameOutputPane().Reset();
    }
};

QTEST_MAIN(KeysTest)
#include "keys_test.moc"
