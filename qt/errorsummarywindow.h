#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "controller/views.h"

class QLabel;
class QTableWidget;

namespace vezedo::qt {

using controller::MeasurementErrorRow;

// The window "Measurement error": TEM, relative TEM, %ME and ICC of every protocol line and of
// the centroid size, the rows whose %ME is above kHighlightAbove highlighted.
class ErrorSummaryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr double kHighlightAbove = 5;  // %ME

    explicit ErrorSummaryWindow(QWidget* parent = nullptr);

    // Shows the rows; `source` names the two data sets compared ("skulls.tps and again.tps"),
    // empty rows say that there is nothing to show yet.
    void setRows(std::vector<MeasurementErrorRow> rows, const QString& source = {});

    QTableWidget* table() const { return m_table; }
    static QColor highlightColor();

private:
    QLabel* m_caption;
    QTableWidget* m_table;
};

}  // namespace vezedo::qt
