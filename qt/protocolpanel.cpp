#include "qt/protocolpanel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "controller/views.h"
#include "qt/frontend.h"
#include "qt/plotpicking.h"

namespace vezedo::qt {

ProtocolPanel::ProtocolPanel(FrontEnd& frontEnd, QWidget* parent)
    : QWidget(parent), m_frontEnd(frontEnd), m_table(new QTableWidget(0, 5, this))
{
    setObjectName("protocolPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    auto* title = new QLabel("<b>Protocol</b> &mdash; select a line to show it, Delete removes it");
    title->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(m_table, 1);
    m_table->setObjectName("protocolTable");
    m_table->setHorizontalHeaderLabels({"#", "First", "Second", "Name", "Mean length"});
    m_table->verticalHeader()->setVisible(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Only the name cell can be typed into; a new name is an edit that can be undone.
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->installEventFilter(this);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_refreshing || item->column() != 3)
            return;
        // A name typed here is the line-naming action, as the boxes and the button do it: recorded,
        // counted as an unsaved change and undoable.
        const std::string name = item->text().trimmed().toStdString();
        m_frontEnd.typeInto(controller::tags::activeLine, std::to_string(item->row() + 1));
        m_frontEnd.typeInto(controller::tags::lineName, name);
        m_frontEnd.runAction(std::string(controller::action::renameLine));
        refresh(m_frontEnd.program().controller().session());
    });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] {
        if (m_refreshing)
            return;
        if (const auto line = selectedLine()) {
            m_frontEnd.typeInto(controller::tags::activeLine, std::to_string(*line));
            m_frontEnd.runAction(std::string(controller::action::showProtocolLine));
        }
    });
}

std::optional<std::size_t> ProtocolPanel::selectedLine() const
{
    const auto rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(rows.front().row()) + 1;
}

void ProtocolPanel::refresh(const session::Session& session)
{
    m_refreshing = true;
    const QSignalBlocker block(m_table);
    const auto selected = selectedLine();
    const std::vector<controller::ProtocolTableRow> rows = controller::protocolTableRows(session);
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (const controller::ProtocolTableRow& line : rows) {
        const QString cells[5] = {QString::number(line.number), QString::fromStdString(line.fromLabel),
                                  QString::fromStdString(line.toLabel), QString::fromStdString(line.name),
                                  line.meanLength ? QString::number(*line.meanLength, 'f', 2) : QString("-")};
        const int row = static_cast<int>(line.number - 1);
        for (int col = 0; col < 5; ++col) {
            auto* item = m_table->item(row, col);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(row, col, item);
            }
            item->setText(cells[col]);
            item->setFlags(col == 3 ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
            item->setTextAlignment(col == 3 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    m_table->clearSelection();
    if (selected && *selected <= rows.size())
        m_table->selectRow(static_cast<int>(*selected - 1));
    m_refreshing = false;
}

bool ProtocolPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            if (const auto line = selectedLine()) {
                m_frontEnd.typeInto(controller::tags::activeLine, std::to_string(*line));
                m_frontEnd.runAction(std::string(controller::action::deleteLine));
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vezedo::qt
