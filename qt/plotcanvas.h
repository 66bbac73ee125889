#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/graphics.h"
#include "platform/scene.h"
#include "platform/subscription.h"

namespace vezedo::qt {

enum class MouseMode { Rotate, Zoom, Pan };

// Shows one axes of the model and turns mouse gestures into camera changes: left drag
// rotates (or zooms or pans, by mode), the wheel zooms about the cursor, right or middle
// drag pans, a double click away from any landmark resets the view. A left click without a
// drag picks the landmark or numbered line under the cursor and tells the owner.
class PlotCanvas : public QWidget {
    Q_OBJECT
public:
    PlotCanvas(platform::GraphicsModel& model, platform::Handle axes, QWidget* parent = nullptr);

    platform::Handle axes() const { return m_axes; }
    void setMode(MouseMode mode) { m_mode = mode; }
    void resetView();
    void setView(double azimuth, double elevation);

    // Label switches and size, and the landmarks whose numbers always show (picked ones).
    const platform::SceneOptions& options() const { return m_options; }
    void setLandmarkNumbers(platform::LabelSwitch labels);
    void setLineNumbers(bool on);
    void setLabelSize(double points);
    void setPicked(std::vector<std::size_t> landmarks);

    // What a click at `at` (pixels in the canvas) picks.
    std::optional<platform::Pick> pickAt(QPointF at) const;

    // Told of a click on a landmark or line, of a double click on one (answering whether it
    // used it; otherwise the view resets), of Enter, and asked for a hover tooltip.
    std::function<void(const platform::Pick&)> onClick;
    std::function<bool(const platform::Pick&)> onDoubleClick;
    std::function<void()> onEnter;
    std::function<QString(const platform::Pick&)> tooltipFor;

    QImage renderImage(QSize size) const;
    // Writes the plot as PNG, SVG or PDF by the file's extension, rendered in memory and put in
    // place through a temporary file renamed over the target; an Error gives the reason when it
    // cannot. A PNG is `pixels` big (the canvas at `dpi` when empty) and says it has `dpi` dots
    // per inch; SVG and PDF stay vector at the canvas's size.
    void saveFigure(const QString& path, QSize pixels = {}, int dpi = 96) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const platform::PickTargets& targets() const;
    platform::SceneOptions sceneOptions() const;
    void hoverAt(QPointF at, QPoint global);

    platform::GraphicsModel& m_model;
    platform::Handle m_axes;
    MouseMode m_mode = MouseMode::Rotate;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_last;
    QPoint m_pressedAt;
    bool m_dragged = false;
    bool m_ignoreRelease = false;
    platform::SceneOptions m_options;
    std::vector<std::size_t> m_picked;
    std::optional<std::size_t> m_hovered;
    mutable std::optional<platform::PickTargets> m_targets;  // until the model changes
    platform::Subscription m_subscription;
};

}  // namespace vezedo::qt
