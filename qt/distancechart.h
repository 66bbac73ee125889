#pragma once

#include <QWidget>
#include <optional>
#include <vector>

namespace vezedo::qt {

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

}  // namespace vezedo::qt
