#include "qt/controlbinding.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "qt/painterrenderer.h"

namespace vezedo::qt {

using platform::Property;

namespace {

QString qstr(const std::string& s)
{
    return QString::fromStdString(s);
}

// A multi-line edit box that commits its text when it loses the focus.
class MultiLineEdit : public QPlainTextEdit {
public:
    std::function<void()> onCommit;

protected:
    void focusOutEvent(QFocusEvent* event) override
    {
        QPlainTextEdit::focusOutEvent(event);
        if (document()->isModified() && onCommit) {
            document()->setModified(false);
            onCommit();
        }
    }
};

}  // namespace

ControlBinding::ControlBinding(platform::GraphicsModel& model, platform::Handle control, QWidget* canvas,
                               ControlListener& listener)
    : QObject(canvas), m_model(model), m_handle(control), m_listener(listener)
{
    m_widget = createWidget(canvas);
    m_widget->setObjectName(qstr(m_model.object(m_handle).tag));
    sync();
    m_widget->show();
}

ControlBinding::~ControlBinding()
{
    if (m_widget)
        m_widget->deleteLater();
}

const platform::UiControlData& ControlBinding::data() const
{
    return m_model.object(m_handle).as<platform::UiControlData>();
}

QWidget* ControlBinding::createWidget(QWidget* canvas)
{
    const platform::UiControlData& d = data();
    const std::string& style = d.style;
    if (style == "pushbutton") {
        auto* button = new QPushButton(canvas);
        connect(button, &QPushButton::clicked, this, [this] { m_listener.pressed(m_handle); });
        return button;
    }
    if (style == "togglebutton" || style == "checkbox" || style == "radiobutton") {
        QAbstractButton* button = nullptr;
        if (style == "togglebutton") {
            button = new QPushButton(canvas);
            button->setCheckable(true);
        } else if (style == "checkbox") {
            button = new QCheckBox(canvas);
        } else {
            button = new QRadioButton(canvas);
            static_cast<QRadioButton*>(button)->setAutoExclusive(false);
        }
        connect(button, &QAbstractButton::clicked, this, [this](bool checked) {
            const platform::UiControlData& now = data();
            switchTo(checked ? now.max : now.min);
        });
        return button;
    }
    if (style == "edit") {
        m_multiLine = d.max - d.min > 1;
        if (m_multiLine) {
            auto* edit = new MultiLineEdit();
            edit->setParent(canvas);
            connect(edit, &QPlainTextEdit::textChanged, this, [this, edit] {
                const std::string text = edit->toPlainText().toStdString();
                if (text != data().string) {
                    m_model.setUiString(m_handle, text);
                    m_listener.edited(m_handle);
                }
            });
            edit->onCommit = [this] {
                m_listener.committed(m_handle);
                m_listener.pressed(m_handle);
            };
            return edit;
        }
        auto* edit = new QLineEdit(canvas);
        // Every keystroke reaches the model, so a button pressed next reads what is typed;
        // the control's own callback runs when the edit is committed.
        connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) { commitEdit(text); });
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (edit->isModified()) {
                edit->setModified(false);
                m_listener.committed(m_handle);
                m_listener.pressed(m_handle);
            }
        });
        return edit;
    }
    if (style == "listbox") {
        auto* list = new QListWidget(canvas);
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) { switchTo(row + 1); });
        return list;
    }
    if (style == "popupmenu") {
        auto* combo = new QComboBox(canvas);
        connect(combo, &QComboBox::activated, this, [this](int index) { switchTo(index + 1); });
        return combo;
    }
    if (style == "frame") {
        auto* box = new QGroupBox(canvas);
        box->lower();
        return box;
    }
    auto* label = new QLabel(canvas);  // "text"
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// The user picked a value: it goes into the model, then the control's callback runs.
void ControlBinding::switchTo(double value)
{
    m_model.setUiValue(m_handle, value);
    m_listener.toggled(m_handle);
    m_listener.pressed(m_handle);
}

void ControlBinding::commitEdit(const QString& text)
{
    m_model.setUiString(m_handle, text.toStdString());
    m_listener.edited(m_handle);
}

void ControlBinding::place(int canvasHeight)
{
    if (!m_widget || !m_model.isValid(m_handle))
        return;
    const auto& p = data().position;
    const int w = static_cast<int>(p[2] + 0.5);
    const int h = static_cast<int>(p[3] + 0.5);
    const int x = static_cast<int>(p[0] + 0.5);
    const int y = canvasHeight - static_cast<int>(p[1] + 0.5) - h;
    m_widget->setGeometry(x, y, w, h);
}

void ControlBinding::sync(std::optional<platform::Property> property)
{
    if (!m_widget || !m_model.isValid(m_handle))
        return;
    const platform::GraphicsObject& obj = m_model.object(m_handle);
    const platform::UiControlData& d = data();
    const bool all = !property;
    const QString text = qstr(d.string);
    if (all || property == Property::String) {
        QSignalBlocker block(m_widget);
        if (auto* edit = qobject_cast<QLineEdit*>(m_widget)) {
            if (edit->text() != text)
                edit->setText(text);
        } else if (auto* multi = qobject_cast<QPlainTextEdit*>(m_widget)) {
            if (multi->toPlainText() != text)
                multi->setPlainText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) {
            button->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(m_widget)) {
            label->setText(text);
        } else if (auto* box = qobject_cast<QGroupBox*>(m_widget)) {
            box->setTitle(text);
        } else if (auto* list = qobject_cast<QListWidget*>(m_widget)) {
            list->clear();
            list->addItems(text.split('\n'));
        } else if (auto* combo = qobject_cast<QComboBox*>(m_widget)) {
            combo->clear();
            combo->addItems(text.split('\n'));
        }
    }
    if (all || property == Property::Value || property == Property::String) {
        QSignalBlocker block(m_widget);
        if (auto* button = qobject_cast<QAbstractButton*>(m_widget); button && button->isCheckable())
            button->setChecked(d.value == d.max && d.value != d.min);
        else if (auto* list = qobject_cast<QListWidget*>(m_widget))
            list->setCurrentRow(static_cast<int>(d.value) - 1);
        else if (auto* combo = qobject_cast<QComboBox*>(m_widget))
            combo->setCurrentIndex(static_cast<int>(d.value) - 1);
    }
    if (all || property == Property::Enable)
        m_widget->setEnabled(d.enable == "on");
    if (all || property == Property::Visible)
        m_widget->setVisible(obj.visible);
    if (all || property == Property::TooltipString)
        m_widget->setToolTip(qstr(d.tooltip));
    if (all || property == Property::Tag)
        m_widget->setObjectName(qstr(obj.tag));
    if ((all || property == Property::BackgroundColor) && d.background) {
        QPalette palette = m_widget->palette();
        palette.setColor(QPalette::Button, PainterRenderer::toQColor(*d.background));
        palette.setColor(QPalette::Base, PainterRenderer::toQColor(*d.background));
        m_widget->setPalette(palette);
    }
    if ((all || property == Property::Position) && m_widget->parentWidget())
        place(m_widget->parentWidget()->height());
}

}  // namespace vezedo::qt
