#include "qt/distancewindow.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "controller/views.h"
#include "platform/value.h"
#include "shape/quality.h"
#include "shell/program.h"

namespace vezedo::qt {

namespace {

constexpr int kSortRole = Qt::UserRole;
// A bar at least this wide is drawn on its own, with a gap; narrower ones merge.
constexpr double kWidestMergedBar = 3;

// New columns go after the old ones, so that what a column number means stays.
enum Column { Rank, Id, Distance, Outlier, Swap, Mirrored, Gain, Group, ColumnCount };

// How serious a row's finding is: a mirror image, then a suggested exchange, then an outlier.
int seriousness(bool mirrored, bool swap, bool outlier)
{
    return (mirrored ? 4 : 0) + (swap ? 2 : 0) + (outlier ? 1 : 0);
}

QString distanceText(double d, int decimals)
{
    return std::isnan(d) ? QStringLiteral("NA") : QString::number(d, 'f', decimals);
}

// Decimals that give a distance near `typical` four significant digits; all rows use the same
// so that their points line up.
int decimalsFor(double typical)
{
    if (!std::isfinite(typical) || typical <= 0)
        return 4;
    return std::clamp(3 - static_cast<int>(std::floor(std::log10(typical))), 0, 10);
}

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

// One row per specimen, kept in rank order; the proxy above it sorts by kSortRole.
class SpecimenCheckModel : public QAbstractTableModel {
public:
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

    void setEntries(std::vector<Entry> entries, int decimals)
    {
        beginResetModel();
        m_entries = std::move(entries);
        m_decimals = decimals;
        endResetModel();
    }
    const std::vector<Entry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* const names[] = {
            "Rank", "ID", "Procrustes distance", "Outlier", "Suggested swap", "Mirrored", "Gain", "Group"};
        return QString::fromLatin1(names[section]);
    }

    QVariant data(const QModelIndex& index, int role) const override
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
        case kSortRole:
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

private:
    std::vector<Entry> m_entries;
    int m_decimals = 4;
};

namespace {

bool idLess(const QString& a, const QString& b)
{
    return controller::naturalIdLess(a.toStdString(), b.toStdString());
}

class CheckSortModel : public QSortFilterProxyModel {
public:
    explicit CheckSortModel(QObject* parent) : QSortFilterProxyModel(parent) { setSortRole(kSortRole); }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        if (left.column() == Rank) {  // the most serious finding first, then by distance
            const auto& entries = static_cast<const SpecimenCheckModel*>(sourceModel())->entries();
            const auto& a = entries[static_cast<std::size_t>(left.row())];
            const auto& b = entries[static_cast<std::size_t>(right.row())];
            const int sa = seriousness(a.mirrored, a.swap.has_value(), a.outlier);
            const int sb = seriousness(b.mirrored, b.swap.has_value(), b.outlier);
            if (sa != sb)
                return sa > sb;
            return left.row() < right.row();
        }
        if (left.column() == Id || left.column() == Group)
            return idLess(left.data(kSortRole).toString(), right.data(kSortRole).toString());
        return QSortFilterProxyModel::lessThan(left, right);
    }
};

}  // namespace

// ---- DistanceChart --------------------------------------------------------------------------

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

// ---- SpecimensWindow ------------------------------------------------------------------------

SpecimensWindow::SpecimensWindow(shell::Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), m_program(program), m_summary(new QLabel(this)), m_table(new QTableView(this)),
      m_chart(new DistanceChart(this)), m_model(new SpecimenCheckModel(this)), m_sorted(new CheckSortModel(this))
{
    setWindowTitle(tr("Specimens"));
    m_summary->setWordWrap(true);
    m_sorted->setSourceModel(m_model);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(Rank, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // No stretched last column: it would keep a width from before the scroll bar came.
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->setAlternatingRowColors(false);
    // A long ID loses its middle, not its end (where the numbers that tell IDs apart often are).
    m_table->setTextElideMode(Qt::ElideMiddle);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(split, 1);

    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SpecimensWindow::onSelectionChanged);
    connect(m_chart, &DistanceChart::rankClicked, this, &SpecimensWindow::selectRank);
    m_table->viewport()->installEventFilter(this);
    resize(760, 720);
    m_shownCheck.threshold = -1;  // differs from every check, so the first refresh fills the window
    refresh();
}

SpecimensWindow::~SpecimensWindow() = default;

void SpecimensWindow::refresh()
{
    const session::Session& s = m_program.controller().session();
    const session::SpecimenCheck& check = s.check;
    if (check == m_shownCheck && s.specimens.ids == m_shownIds)
        return;
    m_shownCheck = check;
    m_shownIds = s.specimens.ids;

    std::vector<SpecimenCheckModel::Entry> entries;
    // A check of other specimens than the loaded ones is not shown.
    const std::size_t k = check.distance.size();
    const bool usable = !check.empty() && k == s.specimens.count() && check.outlier.size() == k &&
                        check.swap.size() == k && check.mirrored.size() == k && check.gain.size() == k;
    if (usable) {
        const bool grouped = s.specimens.groups.size() == k;
        for (std::size_t j = 0; j < k; ++j)
            entries.push_back({j, QString::fromStdString(s.specimens.id(j)), check.distance[j], check.outlier[j],
                               check.swap[j], check.mirrored[j], check.gain[j],
                               grouped ? QString::fromStdString(s.specimens.groups[j]) : QString()});
        // Largest first; a missing distance last; equal ones in file order.
        std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            const double da = std::isnan(a.distance) ? -1 : a.distance, db = std::isnan(b.distance) ? -1 : b.distance;
            return da > db;
        });
    }
    std::vector<DistanceChart::Bar> bars;
    std::size_t outliers = 0;
    for (const auto& e : entries) {
        bars.push_back({e.distance, e.outlier});
        outliers += e.outlier ? 1 : 0;
    }

    m_refreshing = true;
    m_model->setEntries(std::move(entries), decimalsFor(check.threshold));
    m_refreshing = false;
    m_chart->setBars(std::move(bars), usable ? check.threshold : std::nan(""));
    m_table->resizeColumnsToContents();
    m_idWidth = m_table->columnWidth(Id);
    fitIdColumn();

    if (!usable)
        m_summary->setText(tr("No specimen check yet: press \"Check specimens\" in the main window."));
    else
        m_summary->setText(tr("%1 specimens checked: %2 %3 (Procrustes distance to the mean above %4), %5 mirrored, "
                              "%6 with a suggested exchange; the most serious first. "
                              "Select a specimen to show it over the mean in the plot window.")
                               .arg(check.distance.size())
                               .arg(outliers)
                               .arg(outliers == 1 ? tr("outlier") : tr("outliers"))
                               .arg(distanceText(check.threshold, decimalsFor(check.threshold)))
                               .arg(std::count(check.mirrored.begin(), check.mirrored.end(), true))
                               .arg(std::count_if(check.swap.begin(), check.swap.end(),
                                                  [](const auto& swap) { return swap.has_value(); })));
}

// However long the IDs, the columns after them stay in the window's width: the ID column
// takes what the others leave, between 6 and 20 letters wide (and no more than it needs).
void SpecimensWindow::fitIdColumn()
{
    const int letter = m_table->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    int others = 0;
    for (int column = 0; column < m_model->columnCount(); ++column)
        if (column != Id)
            others += m_table->horizontalHeader()->sectionSize(column);
    // A vertical scroll bar that is still to come takes its width from the viewport.
    const QScrollBar* bar = m_table->verticalScrollBar();
    const int barWidth = bar->isVisible() ? 0 : bar->sizeHint().width();
    const int room = m_table->viewport()->width() - barWidth - others - 4;  // a few pixels for rounding
    m_table->setColumnWidth(Id, std::min(m_idWidth, std::clamp(room, 6 * letter, 20 * letter)));
}

bool SpecimensWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table->viewport() && event->type() == QEvent::Resize)
        fitIdColumn();
    return QWidget::eventFilter(watched, event);
}

void SpecimensWindow::selectRank(std::size_t rank)
{
    const QModelIndex source = m_model->index(static_cast<int>(rank) - 1, 0);
    const QModelIndex row = m_sorted->mapFromSource(source);
    if (!row.isValid())
        return;
    m_table->selectRow(row.row());
    m_table->scrollTo(row);
}

void SpecimensWindow::onSelectionChanged()
{
    if (m_refreshing)
        return;
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        m_chart->setSelectedRank(std::nullopt);
        return;
    }
    const int sourceRow = m_sorted->mapToSource(rows.front()).row();
    m_chart->setSelectedRank(static_cast<std::size_t>(sourceRow) + 1);
    showSpecimen(m_model->entries()[static_cast<std::size_t>(sourceRow)].specimen);
}

// The box takes an ID before a number: the number is typed unless it is some other specimen's
// ID, in which case the specimen's own ID is, when no other specimen shares it.
QString SpecimensWindow::boxText(std::size_t specimen) const
{
    const session::Specimens& sp = m_program.controller().session().specimens;
    const std::string number = std::to_string(specimen + 1);
    if (std::find(sp.ids.begin(), sp.ids.end(), number) == sp.ids.end())
        return QString::fromStdString(number);
    const std::string id = sp.id(specimen);
    if (std::count(sp.ids.begin(), sp.ids.end(), id) == 1)
        return QString::fromStdString(id);
    return QString::fromStdString(number);
}

void SpecimensWindow::showSpecimen(std::size_t specimen)
{
    platform::GraphicsModel& graphics = m_program.runtime().graphics;
    const std::vector<platform::Handle> boxes = graphics.findByTag(controller::tags::specimen);
    if (boxes.empty())
        return;  // the main window is closed: nothing to type into
    const std::string text = boxText(specimen).toStdString();
    for (platform::Handle box : boxes)
        graphics.set(box, "String", platform::Value(text));
    m_program.runAction(std::string(controller::action::showSpecimen));
}

}  // namespace vezedo::qt
