#pragma once

// The result list as the view shows it: five columns over the rows of
// AppState::resultlist, with the check box, the group icon, the group colour
// and the bold name of each row. The list is replaced as a whole and then
// announced with reload(), one reset per change.

#include "core/appstate.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <array>

namespace quillfen::ui {

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Filename = 0, SizeMb, SizeByte, FileDate, Path, ColumnCount };

    explicit ResultModel(AppState& state, QObject* parent = nullptr);

    // The list was replaced or changed as a whole.
    void reload();
    // Only check boxes changed: the rows are repainted, nothing is reset.
    void checksChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    static QColor groupColour(RowColour colour);
    QIcon groupIcon(quint8 icon) const;

signals:
    // The user ticked or cleared the check box of a row.
    void checkToggled(int row);

private:
    const ResultEntry* entryAt(const QModelIndex& index) const;

    AppState& m_state;
    int m_rows = 0; // the row count the view was last told about
    mutable std::array<QIcon, 4> m_icons;
};

} // namespace quillfen::ui
