#include "ui/errorlogdialog.h"

#include "fileops/journal.h"
#include "fileops/operations.h"
#include "platform/platform.h"
#include "ui/controls.h"
#include "ui/filelauncher.h"
#include "ui/rowtablemodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

ErrorLogDialog::ErrorLogDialog(AppState& state, QWidget* parent)
    : FramedDialog(u"Errorlog"_s, parent), m_messages(takeerrorlog(state)) {
    setObjectName(u"Form10"_s);
    auto* layout = new QVBoxLayout(body());
    m_model = new RowTableModel({u"Error"_s}, false, this);
    m_model->setRows(m_messages.size(), [this](qsizetype row, int) { return m_messages[row]; });
    m_list = makeListView(body(), u"Error"_s, u"ListView1"_s,
                          u"The files that could not be handled, and why"_s);
    m_list->setModel(m_model);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The file name and the target are at the end of a line: show lines
    // whole, with a horizontal scroll bar, rather than cut them.
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->header()->setStretchLastSection(false);
    int widest = m_list->header()->sectionSizeHint(0);
    const QFontMetrics metrics = m_list->fontMetrics();
    for (const QString& message : m_messages)
        widest = std::max(widest, metrics.horizontalAdvance(message) + 16);
    m_list->setColumnWidth(0, widest);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    QPushButton* close = makeButton(body(), u"&Close"_s, u"Command1"_s, u"Close the error log"_s);
    close->setDefault(true);
    // What was done to each file, for a look at an operation that went wrong.
    QPushButton* journal =
        makeButton(body(), u"Open the &journal"_s, u"Command2"_s,
                   u"The journal of what file operations did to each file, from which the last "
                   u"one can be taken back"_s);
    journal->setEnabled(platform::fileInfo(Journal::defaultPath()).isRegular());
    connect(journal, &QPushButton::clicked, this,
            [] { DesktopLauncher().openFile(Journal::defaultPath()); });
    buttons->addWidget(journal);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(680, 360);
}

ErrorLogDialog::~ErrorLogDialog() {
    // The views outlive the members their texts come from; they must not ask for them.
    m_model->setRows(0, {});
}

} // namespace quillfen::ui
