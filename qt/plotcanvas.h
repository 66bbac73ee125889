#pragma once

#include <QPoint>
#include <QWidget>

#include "platform/graphics.h"

namespace vezedo::qt {

enum class MouseMode { Rotate, Zoom, Pan };

// Shows one axes of the model and turns mouse gestures into camera changes: left drag
// rotates (or zooms or pans, by mode), the wheel zooms about the cursor, right or middle
// drag pans, a double click resets the view.
class PlotCanvas : public QWidget {
    Q_OBJECT
public:
    PlotCanvas(platform::GraphicsModel& model, platform::Handle axes, QWidget* parent = nullptr);

    platform::Handle axes() const { return m_axes; }
    void setMode(MouseMode mode) { m_mode = mode; }
    void resetView();

    QImage renderImage(QSize size) const;
    // Writes the plot as PNG, SVG or PDF by the file's extension; an Error gives the reason
    // when it cannot.
    void saveFigure(const QString& path) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    platform::GraphicsModel& m_model;
    platform::Handle m_axes;
    MouseMode m_mode = MouseMode::Rotate;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_last;
};

}  // namespace vezedo::qt
