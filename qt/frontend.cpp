#include "qt/frontend.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

#include "controller/actions.h"
#include "platform/error.h"
#include "qt/controlbinding.h"
#include "qt/figurewindow.h"
#include "qt/painterrenderer.h"
#include "qt/plotcanvas.h"
#include "qt/protocolpanel.h"
#include "qt/windowplacement.h"

namespace vezedo::qt {

using platform::Handle;
using platform::ModelEvent;
using platform::ModelEventKind;
using platform::ObjectType;
using platform::Property;

FrontEnd::FrontEnd(shell::Program& program)
    : m_program(program), m_recording(program), m_unsaved(program),
      m_checkWindows(
          program, [this](QWidget* window) { placeBesideOthers(window); },
          [this](std::string_view tag, const std::string& text) { typeInto(tag, text); })
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect geometry = screen->geometry();
        model().setScreenSize(geometry.width(), geometry.height());
    }
    m_subscription = model().subscribe([this](const ModelEvent& event) { onEvent(event); });
    m_actionSubscription = m_program.onAction([this](const shell::ActionEvent& event) { onAction(event); });
}

FrontEnd::~FrontEnd()
{
    m_subscription.reset();
    m_actionSubscription.reset();
    for (auto& [handle, window] : m_windows)
        delete window;
}

FigureWindow* FrontEnd::window(Handle figure) const
{
    auto it = m_windows.find(figure);
    return it == m_windows.end() ? nullptr : it->second;
}

PlotCanvas* FrontEnd::plotOf(Handle axes) const
{
    auto it = m_axesFigure.find(axes);
    if (it == m_axesFigure.end())
        return nullptr;
    FigureWindow* w = window(it->second);
    return w && w->plot() && w->plot()->axes() == axes ? w->plot() : nullptr;
}

int FrontEnd::screenHeight() const
{
    return static_cast<int>(m_program.runtime().graphics.root().screenSize[1]);
}

// The one place where model positions meet Qt's: the model counts y up from the screen's
// bottom edge, Qt counts it down from the top.
QRect FrontEnd::toScreen(const platform::Rect& p) const
{
    const int w = static_cast<int>(p[2] + 0.5);
    const int h = static_cast<int>(p[3] + 0.5);
    return {static_cast<int>(p[0] + 0.5), screenHeight() - static_cast<int>(p[1] + 0.5) - h, w, h};
}

platform::Rect FrontEnd::fromScreen(const QRect& r) const
{
    return {static_cast<double>(r.x()), static_cast<double>(screenHeight() - r.y() - r.height()),
            static_cast<double>(r.width()), static_cast<double>(r.height())};
}

void FrontEnd::runCallback(Handle control)
{
    if (m_recording.active())
        m_recording.flushEdits();
    m_program.runCallback(control);
}

// The protocol tables and the check windows follow every action, and a recorded session gets
// its press line.
void FrontEnd::onAction(const shell::ActionEvent& event)
{
    if (event.phase == shell::ActionPhase::Started)
        m_openedBefore = controller::openedMark(m_program.controller().session());
    if (event.phase == shell::ActionPhase::Finished) {
        rememberOpened();
        const session::Session& session = m_program.controller().session();
        for (auto& [handle, window] : m_windows)
            if (ProtocolPanel* panel = window->protocolPanel())
                panel->refresh(session);
        if (const controller::ActionRow* row = controller::findAction(event.action))
            m_checkWindows.follow(*row);
    }
    m_recording.action(event);
}

void FrontEnd::typeInto(std::string_view tag, const std::string& text)
{
    const std::vector<Handle> controls = model().findByTag(tag);
    if (controls.empty())
        return;
    for (Handle h : controls) {
        model().setUiString(h, text);
        m_recording.forgetEdit(h);
    }
    committed(controls.front());
}

void FrontEnd::runAction(const std::string& action)
{
    if (m_recording.active())
        m_recording.flushEdits();
    m_program.runAction(action);
}

bool FrontEnd::confirmQuit()
{
    if (!m_unsaved.any())
        return true;
    UnsavedAnswer answer = UnsavedAnswer::Discard;
    if (m_askUnsaved) {
        answer = m_askUnsaved();
    } else {
        const QString platform = QGuiApplication::platformName();
        if (platform == "offscreen" || platform == "minimal")
            return true;
        QString what = m_unsaved.project()                          ? "The project has"
                       : m_unsaved.protocol() && m_unsaved.blocks() ? "The protocol and the blocks have"
                       : m_unsaved.protocol()                       ? "The protocol has"
                       : m_unsaved.blocks()                         ? "The blocks have"
                                                                    : "The corrections of the specimens have";
        QMessageBox box(QMessageBox::Warning, "Vezedo6", what + " changed since they were last saved.",
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                        m_mainWindow ? window(*m_mainWindow) : nullptr);
        box.setInformativeText("Save before quitting?");
        box.setDefaultButton(QMessageBox::Save);
        const int chosen = box.exec();
        answer = chosen == QMessageBox::Save      ? UnsavedAnswer::Save
                 : chosen == QMessageBox::Discard ? UnsavedAnswer::Discard
                                                  : UnsavedAnswer::Cancel;
    }
    if (answer == UnsavedAnswer::Cancel) {
        m_program.runtime().console.status("Quit cancelled");
        return false;
    }
    if (answer == UnsavedAnswer::Discard)
        return true;
    // A project holds the protocol and the blocks: saving it saves them all.
    if (m_unsaved.project()) {
        runAction(std::string(controller::action::saveProject));
        if (!m_unsaved.any())
            return true;
        m_program.runtime().console.status("Quit cancelled: the project was not saved");
        return false;
    }
    if (m_unsaved.protocol())
        saveProtocolAsLastWritten();
    if (m_unsaved.blocks() && !m_unsaved.protocol())
        runAction(std::string(controller::action::saveBlocks));
    if (m_unsaved.corrections() && !m_unsaved.protocol() && !m_unsaved.blocks())
        runAction(std::string(controller::action::saveCorrections));
    if (!m_unsaved.any())
        return true;
    // A save that was cancelled or failed keeps the program open, and says so.
    m_program.runtime().console.status(m_unsaved.protocol() ? "Quit cancelled: the protocol was not saved"
                                       : m_unsaved.blocks() ? "Quit cancelled: the blocks were not saved"
                                                            : "Quit cancelled: the corrections were not saved");
    return false;
}

void FrontEnd::quit()
{
    stopRecording();
    QCoreApplication::quit();
}

void FrontEnd::onEvent(const ModelEvent& event)
{
    switch (event.type) {
    case ObjectType::Figure:
        onFigureEvent(event);
        break;
    case ObjectType::UiControl:
        onControlEvent(event);
        break;
    case ObjectType::Axes:
        if (event.kind == ModelEventKind::Created) {
            m_axesFigure[event.handle] = event.parent;
            if (FigureWindow* w = window(event.parent))
                w->attachAxes(event.handle);
        } else if (event.kind == ModelEventKind::Destroyed) {
            if (FigureWindow* w = window(event.parent))
                w->detachAxes(event.handle);
            m_axesFigure.erase(event.handle);
        } else {
            repaintAxes(event.handle);
        }
        break;
    case ObjectType::Line:
    case ObjectType::Text:
        repaintAxes(event.parent);
        break;
    case ObjectType::Root:
        break;
    }
}

void FrontEnd::repaintAxes(Handle axes)
{
    if (PlotCanvas* plot = plotOf(axes))
        plot->update();
}

void FrontEnd::showLater(Handle figure)
{
    // The model sets a new window's properties right after creating it; show it once they are in.
    QTimer::singleShot(0, this, [this, figure] {
        FigureWindow* w = window(figure);
        if (!w || !model().isValid(figure))
            return;
        w->applyModelGeometry();
        if (model().object(figure).visible) {
            // Keyed by window: a figure number used again (a new load's plot) is a new window to place.
            const bool first = std::find(m_placed.begin(), m_placed.end(), w) == m_placed.end();
            if (first && m_mainWindow && figure != *m_mainWindow && w->plot())
                placement::placeBesideMainWindow(window(*m_mainWindow), w);
            w->show();
            w->raise();
            if (first) {
                std::erase_if(m_placed, [](const QPointer<FigureWindow>& p) { return p.isNull(); });
                m_placed.push_back(w);
                placement::fitOnScreen(w, isMainWindow(figure));
                // The window manager frames the window a moment later; fit again with the real frame.
                QTimer::singleShot(300, this, [this, figure] {
                    if (FigureWindow* again = window(figure))
                        placement::fitOnScreen(again, isMainWindow(figure));
                });
            }
            placement::keepOnScreen(w);
        }
    });
}

void FrontEnd::placeBesideOthers(QWidget* w)
{
    std::vector<const QWidget*> shown;
    const FigureWindow* plot = nullptr;
    for (const auto& [handle, window] : m_windows) {
        if (!window->isVisible())
            continue;
        shown.push_back(window);
        if (window->plot())
            plot = window;
    }
    placement::placeBesideOthers(w, shown, plot);
}

void FrontEnd::onFigureEvent(const ModelEvent& event)
{
    const Handle fig = event.handle;
    if (event.kind == ModelEventKind::Created) {
        auto* w = new FigureWindow(*this, fig);
        connect(w, &FigureWindow::viewChosen, this,
                [this](double azimuth, double elevation) { m_recording.view(azimuth, elevation); });
        m_windows[fig] = w;
        showLater(fig);
        return;
    }
    FigureWindow* w = window(fig);
    if (!w)
        return;
    if (event.kind == ModelEventKind::Destroyed) {
        m_windows.erase(fig);
        w->closeFromModel();
        return;
    }
    if (event.kind == ModelEventKind::Raise) {
        if (model().object(fig).visible) {
            w->show();
            w->raise();
            w->activateWindow();
        }
        return;
    }
    if (!event.property)
        return;
    switch (*event.property) {
    case Property::Position:
    case Property::OuterPosition:
    case Property::Name:
        w->applyModelGeometry();
        break;
    case Property::Visible:
        w->setVisible(model().object(fig).visible);
        break;
    case Property::Color: {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window,
                         PainterRenderer::toQColor(model().object(fig).as<platform::FigureData>().color));
        w->setPalette(palette);
        break;
    }
    default:
        break;
    }
}

void FrontEnd::onControlEvent(const ModelEvent& event)
{
    FigureWindow* w = window(event.parent);
    if (!w)
        return;
    if (event.kind == ModelEventKind::Created) {
        w->addControl(event.handle);
        if (!m_mainWindow) {
            // The first window with controls is the main window: it gets the console pane
            // and the menus.
            m_mainWindow = event.parent;
            w->attachConsole(m_consolePane);
            addMenus(w);
        }
    } else if (event.kind == ModelEventKind::Destroyed) {
        w->removeControl(event.handle);
    } else if (ControlBinding* binding = w->control(event.handle)) {
        binding->sync(event.property);
    }
}

}  // namespace vezedo::qt
