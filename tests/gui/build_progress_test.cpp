// The frame while a build prints: 10,000 progress lines reach the build page one message at
// a time, and no message keeps the window from drawing for longer than 50 ms.
#include <QElapsedTimer>
#include <QListWidget>
#include <QtTest>
#include <string>

#include "build/build.h"
#include "build_front_end.h"
#include "editor_harness.h"
#include "shell/frame_messages.h"
#include "shell/output_pane.h"

class BuildProgressTest : public QObject, velt::testing::EditorHarness {
    Q_OBJECT

  private slots:
    void init() {
        StartEditor();
        velt::gui::InstallBuildFrontEnd({});
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }
    void cleanup() {
        velt::SetBuildState(velt::kBuildIdle);
        velt::gui::UninstallBuildFrontEnd();
        StopEditor();
    }

    void tenThousandLinesKeepTheWindowDrawing() {
        // Tool messages are taken only while the build state is not idle.
        velt::SetBuildState(velt::kBuildGeneratingMakefile);
        auto* list = frame->findChild<QListWidget*>("build");
        QVERIFY(list);
        qint64 worst = 0;
        QElapsedTimer all;
        all.start();
        for (int i = 0; i < 10000; ++i) {
            // Long enough that some lines wrap, as compile commands do.
            const std::string text = "cc -O -g -I..\\include -DVERSION=" + std::to_string(i) +
                                     " src\\module" + std::to_string(i) + ".c" +
                                     std::string(static_cast<std::size_t>(i % 7) * 40, ' ') +
                                     "-o obj\\module" + std::to_string(i) + ".obj\n";
            QElapsedTimer step;
            step.start();
            velt::SendFrameMessage(velt::FrameMessage::BuildProgress, 0,
                                   reinterpret_cast<std::intptr_t>(text.c_str()));
            QCoreApplication::processEvents();
            worst = std::max(worst, step.elapsed());
        }
        const auto& lines = velt::FrameOutputPane().Lines(velt::kBuildPage);
        QVERIFY(lines.size() >= 10000);
        QCOMPARE(list->count(), static_cast<int>(lines.size()));
        QCOMPARE(list->currentRow(), list->count() - 1);
        qInfo("10,000 messages, %d lines, %lld ms in all, worst step %lld ms", list->count(),
              all.elapsed(), worst);
        QVERIFY2(worst <= 50, qPrintable(QString("a step took %1 ms").arg(worst)));
    }
};

QTEST_MAIN(BuildProgressTest)
#include "build_progress_test.moc"
