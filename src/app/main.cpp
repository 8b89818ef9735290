// quillfen: the desktop program. It takes no arguments.

#include "core/appstate.h"
#include "core/systemfacts.h"
#include "ui/dialoghost.h"
#include "ui/filechoosers.h"
#include "ui/mainwindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillfen"));
    QApplication::setApplicationVersion(QStringLiteral("2.32"));
    quillfen::AppState state;
    quillfen::ui::MainWindow window(state);
    quillfen::DialogFileChoosers choosers;
    quillfen::DialogHost dialogs({state, window, choosers, &window, nullptr, [&window] {
                                      window.runCommand(quillfen::ui::MainWindow::Scan);
                                  }});
    window.setDialogHost(&dialogs);
    window.load(quillfen::SystemFacts::current());
    window.show();
    return QApplication::exec();
}
