#include "ui/previewdialog.h"

#include "ui/controls.h"
#include "ui/rowtablemodel.h"
#include "ui/textlink.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

namespace {

const QStringList kColumns = {u"Filename"_s, u"Size (MB)"_s, u"Size (Bytes)"_s, u"File Date"_s,
                              u"Path"_s};

QString columnText(const ResultList& list, const std::vector<qsizetype>& map, qsizetype row,
                   int column) {
    if (row < 0 || size_t(row) >= map.size() || map[size_t(row)] >= qsizetype(list.size()))
        return {};
    const ResultEntry& entry = list[size_t(map[size_t(row)])];
    switch (column) {
    case 0:
        return entry.filename;
    case 1:
        return entry.sizembText();
    case 2:
        return entry.sizebyteText();
    case 3:
        return entry.filedateText();
    default:
        return entry.path;
    }
}

} // namespace

PreviewDialog::PreviewDialog(AppState& state, Frontend& frontend, QWidget* parent)
    : FramedDialog(u"Preview files to discard and save"_s, parent), m_state(state),
      m_frontend(frontend) {
    setObjectName(u"Form13"_s);
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(makeHeading(body(), u"Files to save and discard"_s, u"Label1"_s, 1.3));

    auto makeSide = [this, layout](const QString& title, const QString& titleName,
                                   const QString& maximizeName, const QString& listName,
                                   const QString& listTip, RowTableModel*& model, QTreeView*& list,
                                   QWidget*& heading, bool saved) {
        auto* headingRow = new QWidget(body());
        headingRow->setObjectName(titleName + u"row"_s);
        headingRow->setAccessibleName(title);
        auto* row = new QHBoxLayout(headingRow);
        row->setContentsMargins(0, 0, 0, 0);
        heading = makeHeading(headingRow, title, titleName);
        row->addWidget(heading);
        row->addStretch(1);
        TextLink* maximizeLink = makeLink(headingRow, u"Maximize"_s, maximizeName,
                                          u"Show only this list, as large as it goes"_s);
        connect(maximizeLink, &TextLink::activated, this, [this, saved] { maximize(saved); });
        row->addWidget(maximizeLink);
        layout->addWidget(headingRow);
        model = new RowTableModel(kColumns, true, this);
        list = makeListView(body(), title, listName, listTip);
        list->setModel(model);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setColumnWidth(0, 220);
        list->setColumnWidth(1, 80);
        list->setColumnWidth(2, 100);
        list->setColumnWidth(3, 140);
        layout->addWidget(list, 1);
    };
    makeSide(u"These files will be saved"_s, u"Label4"_s, u"Label3"_s, u"ListView1"_s,
             u"The unchecked files: they stay where they are"_s, m_savedModel, m_savedList,
             m_savedHeading, true);
    m_toDiscarded =
        makeButton(body(), u"Move checked files to the \"Discarded\" list"_s, u"Command1"_s,
                   u"Check the files ticked in this list in the list of duplicates"_s);
    layout->addWidget(m_toDiscarded, 0, Qt::AlignLeft);
    makeSide(u"These files will be discarded or moved"_s, u"Label5"_s, u"Label20"_s, u"ListView2"_s,
             u"The checked files: the next file operation takes them"_s, m_discardedModel,
             m_discardedList, m_discardedHeading, false);
    m_toSaved = makeButton(body(), u"Move checked files to the \"Saved\" list"_s, u"Command2"_s,
                           u"Uncheck the files ticked in this list in the list of duplicates"_s);
    layout->addWidget(m_toSaved, 0, Qt::AlignLeft);

    auto* bottom = new QHBoxLayout;
    TextLink* normalizeLink =
        makeLink(body(), u"Normalize"_s, u"Label2"_s, u"Show both lists again"_s);
    bottom->addWidget(normalizeLink);
    bottom->addStretch(1);
    QPushButton* close = makeButton(body(), u"&Close"_s, u"Command3"_s, u"Close the preview"_s);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(m_toDiscarded, &QPushButton::clicked, this, [this] {
        const std::vector<qsizetype> rows = m_savedModel->checkedRows();
        rebuild(movetodiscarded(m_state, m_frontend, m_preview, rows));
    });
    connect(m_toSaved, &QPushButton::clicked, this, [this] {
        const std::vector<qsizetype> rows = m_discardedModel->checkedRows();
        rebuild(movetosaved(m_state, m_frontend, m_preview, rows));
    });
    connect(normalizeLink, &TextLink::activated, this, &PreviewDialog::normalize);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    rebuild(rebuildpreview(m_state, m_frontend));
    resize(820, 600);
}

PreviewDialog::~PreviewDialog() {
    // The views outlive the members their texts come from; they must not ask for them.
    m_savedModel->setRows(0, {});
    m_discardedModel->setRows(0, {});
}

void PreviewDialog::rebuild(DiscardPreview preview) {
    // An empty result list leaves the lists as they are.
    if (m_state.resultlist.empty())
        return;
    m_preview = std::move(preview);
    const ResultList& list = m_state.resultlist;
    m_savedModel->setRows(qsizetype(m_preview.savedmap.size()),
                          [this, &list](qsizetype row, int column) {
                              return columnText(list, m_preview.savedmap, row, column);
                          });
    m_discardedModel->setRows(qsizetype(m_preview.discardedmap.size()),
                              [this, &list](qsizetype row, int column) {
                                  return columnText(list, m_preview.discardedmap, row, column);
                              });
}

// Only the other list, its heading and its button go: both Maximize links
// stay, so the user can switch straight to the other list.
void PreviewDialog::maximize(bool saved) {
    m_savedList->setVisible(saved);
    m_savedHeading->setVisible(saved);
    m_toDiscarded->setVisible(saved);
    m_discardedList->setVisible(!saved);
    m_discardedHeading->setVisible(!saved);
    m_toSaved->setVisible(!saved);
}

void PreviewDialog::normalize() {
    for (QWidget* part :
         {static_cast<QWidget*>(m_savedList), m_savedHeading, static_cast<QWidget*>(m_toDiscarded),
          static_cast<QWidget*>(m_discardedList), m_discardedHeading,
          static_cast<QWidget*>(m_toSaved)})
        part->show();
}

} // namespace quillfen::ui
