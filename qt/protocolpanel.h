#pragma once

#include <QWidget>
#include <optional>

#include "session/session.h"

class QTableView;

namespace vezedo::qt {

class FrontEnd;
class ProtocolModel;

// The protocol as a table beside the plot: number, first and second landmark, name and mean
// length of every line. Selecting a row shows the line, Delete removes it, both through the
// main window's controls and actions. Rows are made as they scroll into view, so a protocol
// of a million lines costs the table nothing.
class ProtocolPanel : public QWidget {
    Q_OBJECT
public:
    ProtocolPanel(FrontEnd& frontEnd, QWidget* parent = nullptr);

    // Re-reads the protocol; the selected line stays selected when it is still there.
    void refresh(const session::Session& session);
    QTableView* table() const { return m_table; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<std::size_t> selectedLine() const;

    FrontEnd& m_frontEnd;
    ProtocolModel* m_model;
    QTableView* m_table;
    bool m_refreshing = false;
};

}  // namespace vezedo::qt
