#include "ui/movefilesdialog.h"

#include "fileops/operations.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

MoveFilesDialog::MoveFilesDialog(AppState& state, Frontend& frontend, FileChoosers& choosers,
                                 JobRunner& runner, QWidget* parent)
    : FramedDialog(u"Move files"_s, parent), m_state(state), m_frontend(frontend),
      m_choosers(choosers), m_runner(runner) {
    setObjectName(u"Form9"_s);
    auto* layout = new QVBoxLayout(body());
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(makeLabel(body(), u"Path"_s, u"Label1"_s));
    m_path =
        makeTextBox(body(), u"Path"_s, u"Text1"_s, u"The folder the checked files are moved to"_s);
    pathRow->addWidget(m_path, 1);
    QPushButton* browse = makeButton(body(), u"Browse.."_s, u"Command3"_s,
                                     u"Choose the folder to move the files to"_s);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);

    m_rename = makeCheckBox(body(), u"Rename files with conflicting filenames"_s, u"Check1"_s,
                            u"A file whose name is taken in the folder gets a free name such as "
                            u"name(0).ext"_s);
    m_rename->setChecked(true);
    layout->addWidget(m_rename);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    QPushButton* moveButton =
        makeButton(body(), u"&Move files"_s, u"Command1"_s, u"Move the checked files"_s);
    QPushButton* cancel = makeButton(body(), u"&Cancel"_s, u"Command2"_s, u"Close this dialog"_s);
    buttons->addStretch(1);
    buttons->addWidget(moveButton);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(browse, &QPushButton::clicked, this, &MoveFilesDialog::browse);
    connect(moveButton, &QPushButton::clicked, this, &MoveFilesDialog::moveClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(560, 180);
}

void MoveFilesDialog::browse() {
    const QString folder = m_choosers.chooseFolder(this, u"Select a path to scan"_s);
    if (!folder.isEmpty())
        m_path->setText(browsedfolder(folder));
}

void MoveFilesDialog::moveClicked() {
    const MoveOptions options{m_path->text(), m_rename->isChecked()};
    // The same checks as on the window thread: the empty path, and a folder
    // typed without its "/".
    if (movefilesclicked(m_state, m_frontend, options, m_runner)) {
        m_moveRunning = true;
        hide();
    }
}

} // namespace quillfen::ui
