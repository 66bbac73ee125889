#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "session/protocol.h"
#include "shape/measurementerror.h"

class QLabel;
class QTableWidget;

namespace vezedo::qt {

// The measurement error of one variable: a protocol line, or the centroid size.
struct MeasurementErrorRow {
    std::string line;                     // the line's number from 1, or "cs" for the centroid size
    std::string name;                     // the line's name; "centroid size" for the centroid size
    std::optional<std::size_t> from, to;  // landmarks from 1; none for the centroid size
    std::size_t n = 0;                    // specimens present in both data sets
    double tem = 0;
    double relativeTem = 0;  // percent of the grand mean
    double percentMe = 0;
    double icc = 0;
};

// The rows of a comparison whose variables are the protocol's lines in order, then the
// centroid size, as SaveMeasurementError builds it.
std::vector<MeasurementErrorRow> measurementErrorRows(const shape::ReplicateComparison& comparison,
                                                      const session::Protocol& protocol);

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
