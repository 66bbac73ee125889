#pragma once

#include <QWidget>
#include <functional>
#include <string_view>
#include <utility>
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

// The window "Specimens": the last specimen check as a sortable table and a bar chart, and the
// corrections made in place. Selecting a specimen shows it over the mean in the plot window
// through the specimen box and the show-specimen action, as typing and pressing would; a
// suggested exchange goes into the two landmark boxes, ready for "Exchange landmarks".
class SpecimensWindow : public QWidget {
    Q_OBJECT
public:
    explicit SpecimensWindow(shell::Program& program, QWidget* parent = nullptr);
    ~SpecimensWindow() override;

    // Re-reads the session's check; does nothing when it has not changed since the last call,
    // so it may follow every action.
    void refresh();
    // How the window types into the main window's boxes (as the user would, so that a
    // recording sees it); without one it sets their texts.
    void setTyping(std::function<void(std::string_view tag, const std::string& text)> type)
    {
        m_type = std::move(type);
    }
    QLabel* corrections() const { return m_corrections; }

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
    void type(std::string_view tag, const std::string& text);

    shell::Program& m_program;
    QLabel* m_summary;
    QLabel* m_corrections;
    QTableView* m_table;
    DistanceChart* m_chart;
    SpecimenCheckModel* m_model;
    QSortFilterProxyModel* m_sorted;
    session::SpecimenCheck m_shownCheck;
    std::vector<std::string> m_shownIds;
    std::vector<session::Correction> m_shownCorrections;
    std::function<void(std::string_view, const std::string&)> m_type;
    bool m_refreshing = false;
    int m_idWidth = 0;  // what the ID column needs
};

}  // namespace vezedo::qt
