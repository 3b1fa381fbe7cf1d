// The frame with the editor installed, in a temporary working directory, for the Qt tests
// that open and edit documents. A test class derives from it beside QObject and calls
// StartEditor()/StopEditor() from its init()/cleanup() slots.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QRect>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "editor/block.h"
#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/language.h"
#include "editor_window.h"
#include "main_window.h"
#include "platform/profile_store.h"
#include "qt_ui.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace velt::testing {

class EditorHarness {
  protected:
    // Builds the frame with settings for a quiet, predictable editor; `customise` may change
    // them before the frame sees them.
    void StartEditor(const std::function<void(GlobalSettings&)>& customise = {}) {
        t = std::make_unique<TempDir>();
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(t->path());
        platform::ProfileForgetCache();
        ResetLanguages();
        InstallLanguageHooks();
        st = std::make_unique<StartupState>();
        st->settings.saveEnabled = false;
        st->settings.fontHeight = -15;
        st->settings.tabSize = 4;
        if (customise) customise(st->settings);
        frame = std::make_unique<gui::MainWindow>(st.get());
        ui = std::make_unique<gui::QtUi>(frame.get());
        previousUi = SetUi(ui.get());
        InstallEditor(st->settings);
        FrameStatusPane().Reset();
        ResetBlockBuffer();
        frame->resize(820, 560);
        frame->show();
    }

    void StopEditor() {
        frame.reset();
        UninstallEditor();
        ForgetDocumentWindows();
        ReleaseAllDocuments();
        ResetBlockBuffer();
        SetUi(previousUi);
        ui.reset();
        st.reset();
        std::filesystem::current_path(savedCwd);
        t.reset();
    }

    // Writes the file, opens it through the editor, maximises and focuses its window.
    gui::EditorWindow* Open(const std::string& name, const std::string& text) {
        if (!OpenFile(t->Write(name, text))) return nullptr;
        ui->documentWindow(CurrentView())->showMaximized();
        QCoreApplication::processEvents();
        gui::EditorWindow* e = ui->editorWindow(CurrentView());
        if (e) e->setFocus();
        return e;
    }

    // The centre of a character cell, in the window's coordinates.
    static QPoint Cell(gui::EditorWindow* e, int row, int column) {
        return QRect(e->cellOrigin(row, column), QSize(e->charWidth(), e->lineHeight())).center();
    }

    QString TitleOf(EditView* view) { return ui->documentWindow(view)->windowTitle(); }

    static QString ScreenshotDir() {
        const QString dir = qEnvironmentVariable("VELT_SCREENSHOT_DIR");
        if (!dir.isEmpty()) QDir().mkpath(dir);
        return dir;
    }

    std::unique_ptr<TempDir> t;
    std::filesystem::path savedCwd;
    std::unique_ptr<StartupState> st;
    std::unique_ptr<gui::MainWindow> frame;
    std::unique_ptr<gui::QtUi> ui;
    Ui* previousUi = nullptr;
};

}  // namespace velt::testing
