#include "ui/resultmodel.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace quillfen::ui {

using namespace Qt::StringLiterals;

ResultModel::ResultModel(AppState& state, QObject* parent)
    : QAbstractTableModel(parent), m_state(state) {
    m_rows = int(qMin<std::size_t>(m_state.resultlist.size(), INT_MAX));
}

void ResultModel::reload() {
    beginResetModel();
    m_rows = int(qMin<std::size_t>(m_state.resultlist.size(), INT_MAX));
    endResetModel();
}

void ResultModel::checksChanged() {
    if (m_rows > 0)
        emit dataChanged(index(0, Filename), index(m_rows - 1, Filename), {Qt::CheckStateRole});
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const ResultEntry* ResultModel::entryAt(const QModelIndex& index) const {
    // The list may already have been replaced when the view asks before
    // the reset reaches it.
    if (!index.isValid() || index.row() >= m_rows ||
        std::size_t(index.row()) >= m_state.resultlist.size())
        return nullptr;
    return &m_state.resultlist[std::size_t(index.row())];
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    const ResultEntry* entry = entryAt(index);
    if (!entry)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case Filename:
            return entry->filename;
        case SizeMb:
            return entry->isSeparator() ? QString() : entry->sizembText();
        case SizeByte:
            return entry->isSeparator() ? QString() : entry->sizebyteText();
        case FileDate:
            return entry->filedateText();
        case Path:
            return entry->path;
        }
        break;
    case Qt::TextAlignmentRole:
        if (column == SizeMb || column == SizeByte || column == FileDate)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (column == Filename && !entry->isSeparator())
            return entry->checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::DecorationRole:
        if (column == Filename && entry->icon != groupicon::None)
            return groupIcon(entry->icon);
        break;
    case Qt::ForegroundRole:
        return groupColour(entry->colour);
    case Qt::FontRole:
        // Only the file name of a grouped row is bold.
        if (entry->bold && column == Filename) {
            QFont font;
            font.setBold(true);
            return font;
        }
        break;
    case Qt::ToolTipRole:
        if (!entry->isSeparator())
            return entry->fullPath();
        break;
    default:
        break;
    }
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    static const std::array<QString, ColumnCount> headers = {
        u"Filename"_s, u"Size (MB)"_s, u"Size (Byte)"_s, u"File Date"_s, u"Path"_s};
    if (section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return headers[std::size_t(section)];
    if (role == Qt::TextAlignmentRole)
        return int(section == SizeMb || section == SizeByte || section == FileDate
                       ? Qt::AlignCenter
                       : Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
    const ResultEntry* entry = entryAt(index);
    if (!entry)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // Separator rows are never checked.
    if (index.column() == Filename && !entry->isSeparator())
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool ResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != Filename)
        return false;
    const ResultEntry* entry = entryAt(index);
    if (!entry || entry->isSeparator())
        return false;
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    m_state.resultlist[std::size_t(index.row())].checked = checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit checkToggled(index.row());
    return true;
}

QColor ResultModel::groupColour(RowColour colour) {
    return colour == RowColour::Blue ? QColor(0x45, 0x5C, 0xA3) : QColor(Qt::black);
}

QIcon ResultModel::groupIcon(quint8 icon) const {
    // A bracket in the margin: its top at the first row of a group, its
    // stem through the middle rows, its foot at the last row.
    if (icon >= m_icons.size() || icon == groupicon::None)
        return {};
    QIcon& cached = m_icons[icon];
    if (cached.isNull()) {
        QString picture;
        switch (icon) {
        case groupicon::First:
            picture = u":/images/group-first.svg"_s;
            break;
        case groupicon::Middle:
            picture = u":/images/group-middle.svg"_s;
            break;
        case groupicon::Last:
            picture = u":/images/group-last.svg"_s;
            break;
        default:
            return {};
        }
        // A highlighted row has the group colour as its background: there
        // the bracket is drawn in white, or it would vanish.
        QFile file(picture);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray drawing = file.readAll();
        QByteArray white = drawing;
        white.replace(QByteArray("#455CA3"), QByteArray("#FFFFFF"));
        const std::pair<const QByteArray*, QIcon::Mode> looks[] = {{&drawing, QIcon::Normal},
                                                                   {&white, QIcon::Selected}};
        for (const auto& [svg, mode] : looks) {
            QSvgRenderer renderer(*svg);
            for (const int side : {16, 24, 32, 48, 64}) {
                QImage drawn(side, side, QImage::Format_ARGB32_Premultiplied);
                drawn.fill(Qt::transparent);
                QPainter painter(&drawn);
                renderer.render(&painter);
                painter.end();
                cached.addPixmap(QPixmap::fromImage(drawn), mode);
            }
        }
    }
    return cached;
}

} // namespace quillfen::ui
