#include "qt/errorsummarywindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace vezedo::qt {

namespace {

enum Column { Line, Name, From, To, N, Tem, RelativeTem, PercentMe, Icc, Note, ColumnCount };

QString number(double v, int decimals)
{
    return std::isnan(v) ? QStringLiteral("NA") : QString::number(v, 'f', decimals);
}

QString landmark(const std::optional<std::size_t>& l)
{
    return l ? QString::number(*l) : QString();
}

}  // namespace

ErrorSummaryWindow::ErrorSummaryWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_caption(new QLabel(this)), m_table(new QTableWidget(0, ColumnCount, this))
{
    setWindowTitle(tr("Measurement error"));
    m_caption->setWordWrap(true);
    m_caption->setTextFormat(Qt::RichText);
    m_table->setHorizontalHeaderLabels({tr("Line"), tr("Name"), tr("From"), tr("To"), tr("n"), tr("TEM"),
                                        tr("rTEM (%)"), tr("%ME"), tr("ICC"), tr("Note")});
    m_table->horizontalHeaderItem(Tem)->setToolTip(tr("Technical error of measurement, in the data's units"));
    m_table->horizontalHeaderItem(RelativeTem)->setToolTip(tr("TEM as a percentage of the mean"));
    m_table->horizontalHeaderItem(PercentMe)->setToolTip(tr("Share of the variance due to measurement error"));
    m_table->horizontalHeaderItem(Icc)->setToolTip(tr("Intraclass correlation between the two data sets"));
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(m_table, 1);
    resize(640, 420);
    setRows({});
}

QColor ErrorSummaryWindow::highlightColor()
{
    return {255, 214, 153};
}

void ErrorSummaryWindow::setRows(std::vector<MeasurementErrorRow> rows, const QString& source)
{
    m_table->setRowCount(static_cast<int>(rows.size()));
    std::size_t highlighted = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const MeasurementErrorRow& row = rows[r];
        const QString texts[ColumnCount] = {QString::fromStdString(row.line),
                                            QString::fromStdString(row.name),
                                            landmark(row.from),
                                            landmark(row.to),
                                            QString::number(row.n),
                                            QString::number(row.tem, 'g', 4),
                                            number(row.relativeTem, 2),
                                            number(row.percentMe, 2),
                                            number(row.icc, 3),
                                            QString::fromStdString(row.note)};
        // NaN compares false: a %ME that could not be worked out is not flagged.
        const bool high = row.percentMe > kHighlightAbove;
        highlighted += high ? 1 : 0;
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setTextAlignment(c == Name || c == Note ? Qt::AlignLeft | Qt::AlignVCenter
                                                          : Qt::AlignRight | Qt::AlignVCenter);
            if (high) {
                item->setBackground(highlightColor());
                QFont bold = item->font();
                bold.setBold(c == PercentMe);
                item->setFont(bold);
            }
            m_table->setItem(static_cast<int>(r), c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->setCurrentItem(nullptr);

    if (rows.empty()) {
        m_caption->setText(tr("No measurement error yet: load a replicate (the same specimens digitised again) "
                              "and a protocol, then press \"Save measurement error...\"."));
        return;
    }
    const QString swatch = QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>")
                               .arg(highlightColor().name());
    QString caption = source.isEmpty() ? QString() : tr("%1.<br>").arg(source.toHtmlEscaped());
    caption += tr("%1 Rows with %ME above %2 are highlighted: more than %2 % of their variance is measurement "
                  "error (%3 of %4 rows).")
                   .arg(swatch)
                   .arg(kHighlightAbove)
                   .arg(highlighted)
                   .arg(rows.size());
    m_caption->setText(caption);
}

}  // namespace vezedo::qt
