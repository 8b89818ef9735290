// quillfen: the desktop program. It takes no arguments.

#include "core/appstate.h"
#include "core/systemfacts.h"
#include "ui/mainwindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillfen"));
    QApplication::setApplicationVersion(QStringLiteral("2.32"));
    quillfen::AppState state;
    quillfen::ui::MainWindow window(state);
    window.load(quillfen::SystemFacts::current());
    window.show();
    return QApplication::exec();
}
