// quillfen: the desktop program. Its one optional argument is a results
// file (saved by the window or written by quillfen-cli --json) to open, so
// that a file manager can open one with it.
//
// QUILLFEN_SCREENSHOT_SCAN=<folder> is for the screenshot script only: once
// the window is up, the folder is added to the paths to scan and the Scan
// command runs, as if the user had done both.

#include "core/appstate.h"
#include "core/systemfacts.h"
#include "core/version.h"
#include "platform/filename.h"
#include "platform/folders.h"
#include "platform/limits.h"
#include "platform/platform.h"
#include "scan/scanoptions.h"
#include "ui/dialoghost.h"
#include "ui/mainwindow.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    quillfen::platform::raiseOpenFileLimit(); // long runs are read side by side
    quillfen::platform::returnLargeBlocks();
    // setenv is not safe once other threads may read the environment, and
    // QApplication starts some (the platform plugin, D-Bus).
    quillfen::platform::cacheLocalTimeZone();
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Quillfen"_s);
    QApplication::setApplicationVersion(quillfen::programversion());
    // The task bar finds the program's icon and name through its desktop file.
    QGuiApplication::setDesktopFileName(u"quillfen"_s);
    QApplication::setWindowIcon(quillfen::ui::applicationIcon());

    // The name as its bytes: a results file in a folder that is not UTF-8 opens too.
    QString resultsFile;
    if (argc > 2)
        std::fputs("quillfen: only one results file can be opened; the first is\n", stderr);
    if (argc > 1)
        resultsFile = quillfen::platform::decodeFileName(argv[1], qstrlen(argv[1]));

    quillfen::AppState state;
    quillfen::ui::MainWindow window(state);
    const bool wizard = window.load(quillfen::SystemFacts::current()) && resultsFile.isEmpty();
    window.show();
    if (!resultsFile.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, resultsFile] {
            // A name relative to where the program was started from.
            window.openResultsFile(resultsFile.startsWith(u'/')
                                       ? resultsFile
                                       : quillfen::platform::currentFolder() + u'/' + resultsFile);
        });
    }
    if (wizard) {
        // Shown once the event loop runs, modal over the main window.
        QTimer::singleShot(0, &window, [&window] { window.dialogHost().showWizard(); });
    }

    const QString screenshotScan = qEnvironmentVariable("QUILLFEN_SCREENSHOT_SCAN");
    if (!screenshotScan.isEmpty()) {
        QTimer::singleShot(500, &window, [&window, &state, screenshotScan] {
            state.scanpaths.pathtable.push_back(
                quillfen::newpathentry(state, screenshotScan, u"*.*"_s));
            window.runCommand(quillfen::ui::MainWindow::Scan);
        });
    }
    return QApplication::exec();
}
