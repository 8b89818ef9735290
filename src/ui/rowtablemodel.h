#pragma once

// A read-only table over rows that a function describes, for the dialogs'
// lists (the files to delete, the error log, the two preview lists). The
// texts are asked for when a row is painted, so a list of a million rows
// costs one integer per row, and it is replaced with one reset. Optionally
// the first column carries a check box of the list's own.

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillfen::ui {

class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using TextOf = std::function<QString(qsizetype row, int column)>;

    explicit RowTableModel(QStringList headers, bool checkable = false, QObject* parent = nullptr);

    // Replaces the rows; every check box starts clear.
    void setRows(qsizetype count, TextOf textOf);
    qsizetype rows() const { return m_count; }
    QString text(qsizetype row, int column) const;

    bool isChecked(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    // The checked rows, ascending.
    std::vector<qsizetype> checkedRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    QStringList m_headers;
    bool m_checkable;
    qsizetype m_count = 0;
    TextOf m_textOf;
    std::vector<char> m_checks;
};

} // namespace quillfen::ui
