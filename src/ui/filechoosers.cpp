#include "ui/filechoosers.h"

#include <QFileDialog>

namespace quillfen {

QString DialogFileChoosers::chooseFolder(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
}

QString DialogFileChoosers::chooseOpenFile(QWidget* parent, const QString& title,
                                           const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString DialogFileChoosers::chooseSaveFile(QWidget* parent, const QString& title,
                                           const QString& filter) {
    // The export asks its own overwrite question.
    return QFileDialog::getSaveFileName(parent, title, QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

} // namespace quillfen
