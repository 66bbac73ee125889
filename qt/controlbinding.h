#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "platform/graphics.h"

namespace vezedo::qt {

// What the user did to a control, for the front end to act on (and to record).
class ControlListener {
public:
    virtual ~ControlListener() = default;
    virtual void pressed(platform::Handle control) = 0;    // run its callback
    virtual void edited(platform::Handle control) = 0;     // its text changed while typing
    virtual void committed(platform::Handle control) = 0;  // the typed text was committed
    virtual void toggled(platform::Handle control) = 0;    // its value was switched
};

// Keeps one ui control of the model and its Qt widget in step both ways: user input goes
// into the model (and runs the control's callback), model changes show in the widget.
class ControlBinding : public QObject {
    Q_OBJECT
public:
    ControlBinding(platform::GraphicsModel& model, platform::Handle control, QWidget* canvas,
                   ControlListener& listener);
    ~ControlBinding() override;

    // Re-reads one property (or all, when none is named) from the model.
    void sync(std::optional<platform::Property> property = std::nullopt);
    QWidget* widget() const { return m_widget; }
    // Places the widget inside a canvas of the given height (model y counts from the bottom).
    void place(int canvasHeight);

private:
    QWidget* createWidget(QWidget* canvas);
    void commitEdit(const QString& text);
    void switchTo(double value);
    const platform::UiControlData& data() const;

    platform::GraphicsModel& m_model;
    platform::Handle m_handle;
    ControlListener& m_listener;
    QPointer<QWidget> m_widget;
    bool m_multiLine = false;
};

}  // namespace vezedo::qt
