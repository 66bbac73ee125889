#pragma once

#include <QWidget>
#include <vector>

#include "qt/distancechart.h"
#include "session/session.h"

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace vezedo::shell {
class Program;
}

namespace vezedo::qt {

class SpecimenCheckModel;

// The window "Specimens": the last specimen check as a sortable table and a bar chart.
// Selecting a specimen shows it over the mean in the plot window through
// the specimen box and the show-specimen action, as typing and pressing would.
class SpecimensWindow : public QWidget {
    Q_OBJECT
public:
    explicit SpecimensWindow(shell::Program& program, QWidget* parent = nullptr);
    ~SpecimensWindow() override;

    // Re-reads the session's check; does nothing when it has not changed since the last call,
    // so it may follow every action.
    void refresh();

    QTableView* table() const { return m_table; }
    DistanceChart* chart() const { return m_chart; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitIdColumn();
    void showSpecimen(std::size_t specimen);
    void selectRank(std::size_t rank);
    void onSelectionChanged();
    QString boxText(std::size_t specimen) const;

    shell::Program& m_program;
    QLabel* m_summary;
    QTableView* m_table;
    DistanceChart* m_chart;
    SpecimenCheckModel* m_model;
    QSortFilterProxyModel* m_sorted;
    session::SpecimenCheck m_shownCheck;
    std::vector<std::string> m_shownIds;
    bool m_refreshing = false;
    int m_idWidth = 0;  // what the ID column needs
};

}  // namespace vezedo::qt
