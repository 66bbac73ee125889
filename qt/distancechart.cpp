#include "qt/distancechart.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qt/distancetext.h"
#include "shape/quality.h"

namespace vezedo::qt {

namespace {

// A bar at least this wide is drawn on its own, with a gap; narrower ones merge.
constexpr double kWidestMergedBar = 3;

// 1, 2, 2.5 or 5 times a power of ten, so that about `ticks` steps cover `range`.
double niceStep(double range, double ticks)
{
    const double raw = range / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * magnitude >= raw * (1 - 1e-9))
            return m * magnitude;
    return 10 * magnitude;
}

}  // namespace

DistanceChart::DistanceChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor DistanceChart::barColor()
{
    return {70, 120, 180};
}
QColor DistanceChart::outlierColor()
{
    return {215, 60, 40};
}
QColor DistanceChart::thresholdColor()
{
    return {20, 20, 20};
}

QSize DistanceChart::minimumSizeHint() const
{
    return {320, 180};
}
QSize DistanceChart::sizeHint() const
{
    return {720, 300};
}

void DistanceChart::setBars(std::vector<Bar> bars, double threshold)
{
    m_bars = std::move(bars);
    m_threshold = threshold;
    double largest = std::isfinite(threshold) ? threshold : 0;
    for (const Bar& b : m_bars)
        if (std::isfinite(b.distance))
            largest = std::max(largest, b.distance);
    if (largest <= 0)
        largest = 1;
    m_tickStep = niceStep(largest * 1.05, 5);
    m_top = std::ceil(largest * 1.05 / m_tickStep) * m_tickStep;
    m_selected.reset();
    update();
}

void DistanceChart::setSelectedRank(std::optional<std::size_t> rank)
{
    m_selected = rank;
    update();
}

QRect DistanceChart::plotArea() const
{
    const QFontMetrics fm(font());
    const int tickLabels = fm.horizontalAdvance(QString::number(m_top, 'g', 6) + "0");
    const int left = fm.height() + 6 + tickLabels + 8;  // rotated axis title, tick labels, ticks
    const int top = fm.height() + 12;                   // the legend
    const int bottom = 2 * fm.height() + 16;            // tick labels, axis title
    // The last rank's label is centred on the last bar: room for half of it on the right.
    const int right = fm.horizontalAdvance(QString::number(std::max<std::size_t>(m_bars.size(), 10))) / 2 + 12;
    return QRect(left, top, std::max(1, width() - left - right), std::max(1, height() - top - bottom));
}

double DistanceChart::yPixel(double distance) const
{
    const QRect plot = plotArea();
    // The bottom edge of the plot area is its last row of pixels plus one.
    const double base = plot.top() + plot.height();
    return base - distance / m_top * plot.height();
}

void DistanceChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (m_bars.empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         tr("No specimen check yet: press \"Check specimens\" in the main window."));
        return;
    }
    const QRect plot = plotArea();
    paintBars(painter, plot);
    paintThreshold(painter, plot);
    paintAxes(painter, plot);
    paintLegend(painter, plot);
}

void DistanceChart::paintBars(QPainter& painter, const QRect& plot) const
{
    const double n = static_cast<double>(m_bars.size());
    const double width = plot.width() / n;
    const double base = plot.top() + plot.height();
    const auto height = [&](double d) { return std::isfinite(d) ? std::clamp(base - yPixel(d), 0.0, base) : 0.0; };
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (width >= kWidestMergedBar) {
        const double gap = std::clamp(width * 0.2, 1.0, 6.0);
        for (std::size_t r = 0; r < m_bars.size(); ++r) {
            const double x = plot.left() + static_cast<double>(r) * width;
            const double h = height(m_bars[r].distance);
            painter.fillRect(QRectF(x + gap / 2, base - h, width - gap, h),
                             m_bars[r].outlier ? outlierColor() : barColor());
        }
        return;
    }
    // One pixel column at a time: the tallest bar in it, red when any of its bars is an outlier.
    for (int column = 0; column < plot.width(); ++column) {
        const auto first = static_cast<std::size_t>(std::floor(column / width));
        const auto last = std::min(m_bars.size(), static_cast<std::size_t>(std::ceil((column + 1) / width)));
        double tallest = 0;
        bool outlier = false;
        for (std::size_t r = first; r < last; ++r) {
            tallest = std::max(tallest, height(m_bars[r].distance));
            outlier = outlier || m_bars[r].outlier;
        }
        painter.fillRect(QRectF(plot.left() + column, base - tallest, 1, tallest),
                         outlier ? outlierColor() : barColor());
    }
}

void DistanceChart::paintThreshold(QPainter& painter, const QRect& plot) const
{
    if (!std::isfinite(m_threshold))
        return;
    const int y = static_cast<int>(std::lround(yPixel(m_threshold)));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(plot.left(), y, plot.width(), 1), thresholdColor());
    const QString label = tr("threshold %1").arg(distanceText(m_threshold, decimalsFor(m_threshold)));
    const QFontMetrics fm(font());
    QRect box = fm.boundingRect(label).adjusted(-4, -1, 4, 1);
    box.moveBottomRight(QPoint(plot.right() - 2, y - 3));
    QColor veil(Qt::white);
    veil.setAlpha(210);
    painter.fillRect(box, veil);
    painter.setPen(thresholdColor());
    painter.drawText(box, Qt::AlignCenter, label);
}

void DistanceChart::paintAxes(QPainter& painter, const QRect& plot) const
{
    const QFontMetrics fm(font());
    const int base = plot.top() + plot.height();
    const QColor ink(60, 60, 60);
    painter.setPen(ink);
    painter.drawLine(plot.left() - 1, plot.top(), plot.left() - 1, base);
    painter.drawLine(plot.left() - 1, base, plot.right(), base);

    // Distances: a tick and a label at every step.
    for (int i = 0; i * m_tickStep <= m_top * (1 + 1e-9); ++i) {
        const double v = i * m_tickStep;
        const int y = static_cast<int>(std::lround(yPixel(v)));
        painter.drawLine(plot.left() - 5, y, plot.left() - 1, y);
        const QString text = QString::number(v, 'g', 6);
        painter.drawText(QRect(0, y - fm.height(), plot.left() - 8, 2 * fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                         text);
    }
    // Ranks: 1 and every whole step after it.
    const std::size_t n = m_bars.size();
    const double width = plot.width() / static_cast<double>(n);
    const auto step = static_cast<std::size_t>(std::max(1.0, niceStep(static_cast<double>(n), 8)));
    const int labelWidth = fm.horizontalAdvance(QString::number(n)) + 8;
    int lastRight = -1'000'000;
    for (std::size_t rank = 1; rank <= n; rank = rank == 1 && step > 1 ? step : rank + step) {
        const int x = static_cast<int>(std::lround(plot.left() + (static_cast<double>(rank) - 0.5) * width));
        if (x - labelWidth / 2 <= lastRight)
            continue;
        painter.drawLine(x, base + 1, x, base + 5);
        painter.drawText(QRect(x - labelWidth / 2, base + 6, labelWidth, fm.height()), Qt::AlignCenter,
                         QString::number(rank));
        lastRight = x + labelWidth / 2;
    }
    painter.drawText(QRect(plot.left(), base + 8 + fm.height(), plot.width(), fm.height()), Qt::AlignCenter,
                     tr("Specimens ranked by distance (1 = largest)"));
    painter.save();
    painter.translate(2, plot.top() + plot.height() / 2);
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, 0, plot.height(), fm.height()), Qt::AlignCenter,
                     tr("Procrustes distance to the mean"));
    painter.restore();

    // The selected specimen: a pointer above its bar.
    if (m_selected && *m_selected >= 1 && *m_selected <= n) {
        const double x = plot.left() + (static_cast<double>(*m_selected) - 0.5) * width;
        const double d = m_bars[*m_selected - 1].distance;
        const double y = std::max<double>(plot.top() + 8, yPixel(std::isfinite(d) ? d : 0) - 3);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(20, 20, 20));
        painter.drawPolygon(QPolygonF({QPointF(x, y), QPointF(x - 5, y - 8), QPointF(x + 5, y - 8)}));
    }
}

void DistanceChart::paintLegend(QPainter& painter, const QRect& plot) const
{
    const QFontMetrics fm(font());
    const int h = fm.height();
    int x = plot.left();
    const int y = 4;
    const auto entry = [&](const QColor& color, const QString& text, bool line) {
        if (line)
            painter.fillRect(QRect(x, y + h / 2, 14, 1), color);
        else
            painter.fillRect(QRect(x, y + 2, 12, h - 4), color);
        painter.setPen(QColor(60, 60, 60));
        painter.drawText(QRect(x + 18, y, fm.horizontalAdvance(text) + 2, h), Qt::AlignVCenter, text);
        x += 18 + fm.horizontalAdvance(text) + 16;
    };
    entry(barColor(), tr("specimen"), false);
    entry(outlierColor(), tr("outlier"), false);
    entry(thresholdColor(), tr("threshold: upper quartile + %1 IQR").arg(shape::kOutlierFactor), true);
}

void DistanceChart::mousePressEvent(QMouseEvent* event)
{
    const QRect plot = plotArea();
    const QPointF at = event->position();
    if (m_bars.empty() || at.x() < plot.left() || at.x() >= plot.left() + plot.width())
        return QWidget::mousePressEvent(event);
    const double width = plot.width() / static_cast<double>(m_bars.size());
    const auto rank = std::min(m_bars.size(), static_cast<std::size_t>((at.x() - plot.left()) / width) + 1);
    emit rankClicked(rank);
}

}  // namespace vezedo::qt
