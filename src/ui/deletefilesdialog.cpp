#include "ui/deletefilesdialog.h"

#include "ui/controls.h"
#include "ui/rowtablemodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

DeleteFilesDialog::DeleteFilesDialog(AppState& state, Frontend& frontend, JobRunner& runner,
                                     QWidget* parent)
    : FramedDialog(u"Delete files"_s, parent), m_state(state), m_frontend(frontend),
      m_runner(runner) {
    setObjectName(u"Form4"_s);
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(makeLabel(body(),
                                u"This function will allow you to either permanently delete the "
                                u"selected files or move them to the recycle bin, from where they "
                                u"can easily be restored."_s,
                                u"Label1"_s, true));
    QLabel* heading = makeLabel(body(), u"These are the files that will be deleted"_s, u"Label2"_s);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(
        makeLabel(body(), u"(the selected ones from the main window)"_s, u"Label3"_s));

    // The list is filled once, when the dialog opens: the checked entries,
    // whose texts are made when a row is painted, so that a million checked
    // files open at once. The dialog is modal: the list stays as it is.
    const ResultList& list = m_state.resultlist;
    for (size_t row = 0; row < list.size(); ++row) {
        if (list[row].checked && !list[row].isSeparator())
            m_rows.push_back(qsizetype(row));
    }
    m_model = new RowTableModel({u"File"_s, u"Size (MBytes)"_s}, false, this);
    m_model->setRows(qsizetype(m_rows.size()), [this](qsizetype row, int column) {
        const ResultList& entries = m_state.resultlist;
        const qsizetype at = m_rows[size_t(row)];
        if (at >= qsizetype(entries.size()))
            return QString();
        const ResultEntry& entry = entries[size_t(at)];
        return column == 0 ? entry.fullPath() : entry.sizembText();
    });
    m_list = makeListView(body(), u"These are the files that will be deleted"_s, u"ListView1"_s,
                          u"The checked files of the list of duplicates"_s);
    m_list->setModel(m_model);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setColumnWidth(0, 440);
    layout->addWidget(m_list, 1);

    m_count = makeLabel(body(), deletedialogcount(qsizetype(m_rows.size())), u"Label5"_s);
    m_count->setToolTip(u"The number of files that will be deleted"_s);
    layout->addWidget(m_count);
    QLabel* undo = makeLabel(body(),
                             u"A permanent deletion cannot be undone. The trash and the "
                             u"replacement by links or clones can be taken back with \"Undo last "
                             u"operation\"."_s,
                             u"Label6"_s, true);
    undo->setToolTip(u"What can be taken back afterwards"_s);
    layout->addWidget(undo);

    auto* buttons = new QHBoxLayout;
    QPushButton* recycle = makeButton(body(), u"Move to &recycle bin"_s, u"Command1"_s,
                                      u"Move the files to the trash, from where they can be "
                                      u"restored"_s);
    QPushButton* erase =
        makeButton(body(), u"&Delete permanently"_s, u"Command2"_s, u"Delete the files for good"_s);
    QPushButton* cancel = makeButton(body(), u"&Cancel"_s, u"Command3"_s,
                                     u"Close this dialog without deleting anything"_s);
    // Two ways that keep every name and still free the space.
    QPushButton* link = makeButton(body(), u"Replace with &hard links"_s, u"Command4"_s,
                                   u"Keep every name: each file becomes another name of the file "
                                   u"kept in its group"_s);
    QPushButton* clone = makeButton(body(), u"Replace with c&lones"_s, u"Command5"_s,
                                    u"Keep every name: each file becomes a copy-on-write clone of "
                                    u"the file kept in its group (btrfs, XFS, bcachefs)"_s);
    cancel->setDefault(true);
    buttons->addWidget(recycle);
    buttons->addWidget(erase);
    buttons->addWidget(link);
    buttons->addWidget(clone);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(recycle, &QPushButton::clicked, this, [this] { run(FileOperation::Recycle); });
    connect(erase, &QPushButton::clicked, this, [this] { run(FileOperation::Delete); });
    connect(link, &QPushButton::clicked, this, [this] { run(FileOperation::HardLink); });
    connect(clone, &QPushButton::clicked, this, [this] { run(FileOperation::Clone); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 470);
}

DeleteFilesDialog::~DeleteFilesDialog() {
    // The views outlive the members their texts come from; they must not ask for them.
    m_model->setRows(0, {});
}

void DeleteFilesDialog::run(FileOperation operation) {
    // The files go on the worker thread; the dialog hides at once so that
    // Stop on the main window can be reached meanwhile.
    if (startfileoperation(m_state, m_frontend, m_runner, operation, {}, m_job)) {
        m_running = true;
        hide();
    }
}

} // namespace quillfen::ui
