// quillfen: the desktop program. It takes no arguments.

#include "core/appstate.h"
#include "ui/mainwindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillfen"));
    QApplication::setApplicationVersion(QStringLiteral("2.32"));
    quillfen::AppState state;
    quillfen::ui::MainWindow window(state);
    window.load();
    window.show();
    return QApplication::exec();
}
