#include "qt/checkmodel.h"

#include <QColor>
#include <cmath>

#include "controller/views.h"
#include "qt/distancechart.h"
#include "qt/distancetext.h"

namespace vezedo::qt {

namespace {

// How serious a row's finding is: a mirror image, then a suggested exchange, then an outlier.
int seriousness(bool mirrored, bool swap, bool outlier)
{
    return (mirrored ? 4 : 0) + (swap ? 2 : 0) + (outlier ? 1 : 0);
}

bool idLess(const QString& a, const QString& b)
{
    return controller::naturalIdLess(a.toStdString(), b.toStdString());
}

}  // namespace

void SpecimenCheckModel::setEntries(std::vector<Entry> entries, int decimals)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_decimals = decimals;
    endResetModel();
}

int SpecimenCheckModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int SpecimenCheckModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SpecimenCheckModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[] = {"Rank", "ID",   "Procrustes distance", "Outlier", "Suggested swap", "Mirrored",
                                        "Gain", "Group"};
    return QString::fromLatin1(names[section]);
}

QVariant SpecimenCheckModel::data(const QModelIndex& index, int role) const
{
    const Entry& e = m_entries[static_cast<std::size_t>(index.row())];
    const auto rank = static_cast<qulonglong>(index.row() + 1);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Rank:
            return rank;
        case Id:
            return e.id;
        case Distance:
            return distanceText(e.distance, m_decimals);
        case Outlier:
            return e.outlier ? QStringLiteral("yes") : QStringLiteral("no");
        case Swap:
            return e.swap ? QStringLiteral("%1 and %2").arg(e.swap->first).arg(e.swap->second) : QString();
        case Mirrored:
            return e.mirrored ? QStringLiteral("yes") : QStringLiteral("no");
        case Gain:
            return e.swap ? QString::number(e.gain, 'g', 4) : QString();
        case Group:
            return e.group;
        }
        return {};
    case SortRole:
        switch (index.column()) {
        case Rank:
            return rank;
        case Id:
            return e.id;
        case Distance:
            return std::isnan(e.distance) ? -1.0 : e.distance;
        case Outlier:
            return e.outlier ? 1 : 0;
        case Swap:  // rows with a suggestion after those without, by their first landmark
            return e.swap ? static_cast<qulonglong>(e.swap->first * 100000 + e.swap->second) : 0ULL;
        case Mirrored:
            return e.mirrored ? 1 : 0;
        case Gain:
            return e.swap ? e.gain : -1.0;
        case Group:
            return e.group;
        }
        return {};
    case Qt::ToolTipRole:  // the whole ID, as the column may show it shortened
        return index.column() == Id ? QVariant(e.id) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Id || index.column() == Swap ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                              : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (e.outlier || e.mirrored || e.swap) {
            QColor tint = DistanceChart::outlierColor();
            tint.setAlpha(40);
            return tint;
        }
        return {};
    default:
        return {};
    }
}

CheckSortModel::CheckSortModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(SpecimenCheckModel::SortRole);
}

bool CheckSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    using Column = SpecimenCheckModel::Column;
    if (left.column() == Column::Rank) {  // the most serious finding first, then by distance
        const auto& entries = static_cast<const SpecimenCheckModel*>(sourceModel())->entries();
        const auto& a = entries[static_cast<std::size_t>(left.row())];
        const auto& b = entries[static_cast<std::size_t>(right.row())];
        const int sa = seriousness(a.mirrored, a.swap.has_value(), a.outlier);
        const int sb = seriousness(b.mirrored, b.swap.has_value(), b.outlier);
        if (sa != sb)
            return sa > sb;
        return left.row() < right.row();
    }
    if (left.column() == Column::Id || left.column() == Column::Group)
        return idLess(left.data(SpecimenCheckModel::SortRole).toString(),
                      right.data(SpecimenCheckModel::SortRole).toString());
    return QSortFilterProxyModel::lessThan(left, right);
}

}  // namespace vezedo::qt
