#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "session/session.h"

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace vezedo::shell {
class Program;
}

namespace vezedo::qt {

class SpecimenCheckModel;

// The bar chart of a specimen check: one bar per specimen in rank order (largest distance
// first), outliers in their own colour, the threshold as a labelled horizontal line. Bars
// narrower than a few pixels merge into a filled profile, one pixel column at a time.
class DistanceChart : public QWidget {
    Q_OBJECT
public:
    struct Bar {
        double distance = 0;
        bool outlier = false;
    };

    explicit DistanceChart(QWidget* parent = nullptr);

    // Bars in rank order; an empty list shows what to do to get a chart.
    void setBars(std::vector<Bar> bars, double threshold);
    // Marks the bar of a rank (from 1) under the axis; nullopt marks none.
    void setSelectedRank(std::optional<std::size_t> rank);

    // Where the bars stand, in widget pixels, and the mapping of a distance to a pixel row.
    QRect plotArea() const;
    double yPixel(double distance) const;
    double axisTop() const { return m_top; }

    static QColor barColor();
    static QColor outlierColor();
    static QColor thresholdColor();

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void rankClicked(std::size_t rank);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void paintBars(QPainter& painter, const QRect& plot) const;
    void paintAxes(QPainter& painter, const QRect& plot) const;
    void paintThreshold(QPainter& painter, const QRect& plot) const;
    void paintLegend(QPainter& painter, const QRect& plot) const;

    std::vector<Bar> m_bars;
    double m_threshold = 0;
    double m_top = 1;       // the distance at the top of the plot area
    double m_tickStep = 1;  // between labelled distances
    std::optional<std::size_t> m_selected;
};

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
