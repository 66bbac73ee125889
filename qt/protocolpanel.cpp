#include "qt/protocolpanel.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

#include "controller/actiontable.h"
#include "controller/controls.h"
#include "controller/views.h"
#include "qt/frontend.h"
#include "qt/plotpicking.h"

namespace vezedo::qt {

// The rows of protocolTableRow for the view, each made when the view asks for it.
class ProtocolModel : public QAbstractTableModel {
public:
    using Rename = std::function<void(std::size_t line, const std::string& name)>;
    ProtocolModel(Rename rename, QObject* parent) : QAbstractTableModel(parent), m_rename(std::move(rename)) {}

    void show(const session::Session& session)
    {
        beginResetModel();
        m_session = &session;
        m_cached.reset();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !m_session ? 0 : static_cast<int>(m_session->protocol.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const kTitles[5] = {"#", "First", "Second", "Name", "Mean length"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 5)
            return QString(kTitles[section]);
        return {};
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || !m_session || static_cast<std::size_t>(index.row()) >= m_session->protocol.size())
            return {};
        const int col = index.column();
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(col == 3 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        const controller::ProtocolTableRow& line = row(static_cast<std::size_t>(index.row()));
        switch (col) {
        case 0:
            return QString::number(line.number);
        case 1:
            return QString::fromStdString(line.fromLabel);
        case 2:
            return QString::fromStdString(line.toLabel);
        case 3:
            return QString::fromStdString(line.name);
        default:
            return line.meanLength ? QString::number(*line.meanLength, 'f', 2) : QString("-");
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags base = QAbstractTableModel::flags(index);
        return index.column() == 3 ? base | Qt::ItemIsEditable : base;
    }

    // Only the name cell can be typed into; a new name is an edit that can be undone.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || index.column() != 3 || !m_session)
            return false;
        m_rename(static_cast<std::size_t>(index.row()) + 1, value.toString().trimmed().toStdString());
        return true;
    }

private:
    // The last row asked for is kept: a view asks for the five cells of a row in turn.
    const controller::ProtocolTableRow& row(std::size_t index) const
    {
        if (!m_cached || m_cached->number != index + 1)
            m_cached = controller::protocolTableRow(*m_session, index);
        return *m_cached;
    }

    Rename m_rename;
    const session::Session* m_session = nullptr;
    mutable std::optional<controller::ProtocolTableRow> m_cached;
};

ProtocolPanel::ProtocolPanel(FrontEnd& frontEnd, QWidget* parent)
    : QWidget(parent), m_frontEnd(frontEnd), m_model(nullptr), m_table(new QTableView(this))
{
    setObjectName("protocolPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    auto* title = new QLabel("<b>Protocol</b> &mdash; select a line to show it, Delete removes it");
    title->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(m_table, 1);
    // A name typed here is the line-naming action, as the boxes and the button do it: recorded,
    // counted as an unsaved change and undoable.
    m_model = new ProtocolModel(
        [this](std::size_t line, const std::string& name) {
            if (m_refreshing)
                return;
            m_frontEnd.typeInto(controller::tags::activeLine, std::to_string(line));
            m_frontEnd.typeInto(controller::tags::lineName, name);
            m_frontEnd.runAction(std::string(controller::action::renameLine));
            refresh(m_frontEnd.program().controller().session());
        },
        this);
    m_table->setModel(m_model);
    m_table->setObjectName("protocolTable");
    m_table->verticalHeader()->setVisible(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->installEventFilter(this);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
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
    const QSignalBlocker block(m_table->selectionModel());
    const auto selected = selectedLine();
    m_model->show(session);
    m_table->clearSelection();
    if (selected && *selected <= session.protocol.size())
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
