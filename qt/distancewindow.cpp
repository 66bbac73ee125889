#include "qt/distancewindow.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStringList>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "controller/views.h"
#include "platform/value.h"
#include "qt/checkmodel.h"
#include "qt/distancetext.h"
#include "shell/program.h"

namespace vezedo::qt {

SpecimensWindow::SpecimensWindow(shell::Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), m_program(program), m_summary(new QLabel(this)), m_corrections(new QLabel(this)),
      m_table(new QTableView(this)), m_chart(new DistanceChart(this)), m_model(new SpecimenCheckModel(this)),
      m_sorted(new CheckSortModel(this))
{
    setWindowTitle(tr("Specimens"));
    m_summary->setWordWrap(true);
    m_corrections->setWordWrap(true);
    m_corrections->setObjectName("corrections");
    m_sorted->setSourceModel(m_model);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(SpecimenCheckModel::Rank, Qt::AscendingOrder);
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
    layout->addWidget(m_corrections);
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
    if (check == m_shownCheck && s.specimens.ids == m_shownIds && s.corrections == m_shownCorrections)
        return;
    m_shownCheck = check;
    m_shownIds = s.specimens.ids;
    m_shownCorrections = s.corrections;
    QString corrections = tr("Corrections in place: none.");
    if (!s.corrections.empty()) {
        QStringList list;
        for (const session::Correction& correction : s.corrections)
            list << QString::fromStdString(controller::correctionText(correction));
        corrections = tr("Corrections in place (Undo takes them back): %1.").arg(list.join("; "));
    }
    m_corrections->setText(corrections);

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
    m_idWidth = m_table->columnWidth(SpecimenCheckModel::Id);
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
        if (column != SpecimenCheckModel::Id)
            others += m_table->horizontalHeader()->sectionSize(column);
    // A vertical scroll bar that is still to come takes its width from the viewport.
    const QScrollBar* bar = m_table->verticalScrollBar();
    const int barWidth = bar->isVisible() ? 0 : bar->sizeHint().width();
    const int room = m_table->viewport()->width() - barWidth - others - 4;  // a few pixels for rounding
    const int idWidth = std::min(m_idWidth, std::clamp(room, 6 * letter, 20 * letter));
    m_table->setColumnWidth(SpecimenCheckModel::Id, idWidth);
    // Wider fonts than the window was sized for: the window grows, as far as the screen allows,
    // rather than hide the columns after the IDs behind a scroll bar.
    if (room < idWidth && isVisible()) {
        const QScreen* shown = screen();
        const QRect free = shown ? shown->availableGeometry() : geometry();
        const int frame = frameGeometry().width() - width();
        const int wanted = std::min(free.width() - frame, width() + idWidth - room);
        if (wanted > width()) {
            resize(wanted, height());
            // Grown to the right past the screen's edge: moved back in.
            const int overhang = x() + wanted + frame - (free.x() + free.width());
            if (overhang > 0)
                move(std::max(free.x(), x() - overhang), y());
        }
    }
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
    // The box counts and names the specimens as loaded, excluded ones included.
    const session::Session& s = m_program.controller().session();
    const session::Specimens& sp = controller::loadedSpecimens(s);
    specimen = controller::loadedIndex(s, specimen);
    const std::string number = std::to_string(specimen + 1);
    if (std::find(sp.ids.begin(), sp.ids.end(), number) == sp.ids.end())
        return QString::fromStdString(number);
    const std::string id = sp.id(specimen);
    if (std::count(sp.ids.begin(), sp.ids.end(), id) == 1)
        return QString::fromStdString(id);
    return QString::fromStdString(number);
}

void SpecimensWindow::type(std::string_view tag, const std::string& text)
{
    if (m_type) {
        m_type(tag, text);
        return;
    }
    platform::GraphicsModel& graphics = m_program.runtime().graphics;
    for (platform::Handle box : graphics.findByTag(tag))
        graphics.set(box, "String", platform::Value(text));
}

void SpecimensWindow::showSpecimen(std::size_t specimen)
{
    if (m_program.runtime().graphics.findByTag(controller::tags::specimen).empty())
        return;  // the main window is closed: nothing to type into
    type(controller::tags::specimen, boxText(specimen).toStdString());
    const session::SpecimenCheck& check = m_program.controller().session().check;
    if (specimen < check.swap.size() && check.swap[specimen]) {
        type(controller::tags::firstLandmark, std::to_string(check.swap[specimen]->first));
        type(controller::tags::secondLandmark, std::to_string(check.swap[specimen]->second));
    }
    m_program.runAction(std::string(controller::action::showSpecimen));
}

}  // namespace vezedo::qt
