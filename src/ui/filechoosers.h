#pragma once

// The platform's folder browser and open/save dialogs, behind an interface
// so that tests can answer them from a script.

#include <QString>

class QWidget;

namespace quillfen {

class FileChoosers {
public:
    virtual ~FileChoosers() = default;
    // Each returns an empty text when the user cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& title) = 0;
    // filter in the dialog's own form, e.g. "Text Files (*.txt);;All files (*)".
    virtual QString chooseOpenFile(QWidget* parent, const QString& title,
                                   const QString& filter) = 0;
    virtual QString chooseSaveFile(QWidget* parent, const QString& title,
                                   const QString& filter) = 0;
};

// The real dialogs (QFileDialog).
class DialogFileChoosers : public FileChoosers {
public:
    QString chooseFolder(QWidget* parent, const QString& title) override;
    QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString chooseSaveFile(QWidget* parent, const QString& title, const QString& filter) override;
};

} // namespace quillfen
