#include <QApplication>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "build/build.h"
#include "build_front_end.h"
#include "editor/document_commands.h"
#include "frame_startup.h"
#include "main_window.h"
#include "project/makefile.h"
#include "project/new_project.h"
#include "project/project_commands.h"
#include "project/utilities.h"
#include "qt_ui.h"
#include "shell/command_line.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    // Where the start is measured from when the kernel's record cannot be read.
    const auto mainStart = std::chrono::steady_clock::now();

    // "--quit-when-idle" is the front end's own; the core's command line never sees it.
    bool quitWhenIdle = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--quit-when-idle") == 0)
            quitWhenIdle = true;
        else
            args.push_back(argv[i]);
    }
    int qtArgc = static_cast<int>(args.size());
    args.push_back(nullptr);

    QApplication app(qtArgc, args.data());
    QApplication::setApplicationName("Velt");
    QApplication::setApplicationDisplayName("Velt");

    // Qt has taken its own options out of the vector.
    const std::vector<std::string> rest(args.begin() + 1, args.begin() + qtArgc);

    velt::StartupState st;
    velt::gui::QtUi ui(nullptr);
    velt::SetUi(&ui);
    velt::InstallEditor(st.settings);
    velt::InstallUtilities(st.root);
    velt::InstallProjects(st.settings, &st.options);
    velt::InstallProjectCreation();
    velt::InstallMakefileCommands();
    velt::gui::InstallBuildFrontEnd(
        [&st](std::string& text) { return st.instance.block().ReadText(text); });
    int rc = 0;
    {
        velt::gui::FrameStartup hooks(st, &ui);
        if (velt::RunStartup(st, hooks, velt::CommandLineFromArguments(rest)) ==
            velt::StartupOutcome::Run) {
            hooks.Listen();
            if (quitWhenIdle) new velt::gui::QuitWhenIdle(hooks.frame(), mainStart);
            rc = app.exec();
            hooks.StopListening();
        }
        velt::RunShutdown(st, hooks);
    }
    // Quitting ends a running build rather than waiting for all of it.
    velt::StopBuild();
    velt::WaitForBuild();
    velt::gui::UninstallBuildFrontEnd();
    velt::SetUi(nullptr);
    return rc;
}
