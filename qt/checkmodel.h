#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <optional>
#include <vector>

#include "session/session.h"

namespace vezedo::qt {

// The rows of the Specimens table: one per specimen, kept in rank order (largest distance
// first); CheckSortModel above it sorts by SortRole.
class SpecimenCheckModel : public QAbstractTableModel {
public:
    // New columns go after the old ones, so that what a column number means stays.
    enum Column { Rank, Id, Distance, Outlier, Swap, Mirrored, Gain, Group, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;

    struct Entry {
        std::size_t specimen = 0;  // from 0, in file order
        QString id;
        double distance = 0;
        bool outlier = false;
        std::optional<session::SpecimenCheck::Swap> swap;
        bool mirrored = false;
        double gain = 0;
        QString group;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<Entry> entries, int decimals);
    const std::vector<Entry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<Entry> m_entries;
    int m_decimals = 4;
};

// The order of the Specimens table: the rank column puts the most serious finding first, IDs
// and groups compare the numbers within them as numbers.
class CheckSortModel : public QSortFilterProxyModel {
public:
    explicit CheckSortModel(QObject* parent);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace vezedo::qt
