#include "qt/frontend.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include "controller/actions.h"
#include "platform/error.h"
#include "qt/controlbinding.h"
#include "qt/figurewindow.h"
#include "qt/painterrenderer.h"
#include "qt/plotcanvas.h"
#include "qt/protocolpanel.h"

namespace vezedo::qt {

using platform::Handle;
using platform::ModelEvent;
using platform::ModelEventKind;
using platform::ObjectType;
using platform::Property;

FrontEnd::FrontEnd(shell::Program& program) : m_program(program), m_unsaved(program)
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
    if (m_recorder)
        flushEdits();
    m_program.runCallback(control);
}

// A press line follows the dialogs its action asked, as a replay needs their answers queued first.
// The protocol tables and the check windows follow every action.
void FrontEnd::onAction(const shell::ActionEvent& event)
{
    if (event.phase == shell::ActionPhase::Finished) {
        const session::Session& session = m_program.controller().session();
        for (auto& [handle, window] : m_windows)
            if (ProtocolPanel* panel = window->protocolPanel())
                panel->refresh(session);
        if (const controller::ActionRow* row = controller::findAction(event.action))
            showCheckWindows(*row);
    }
    if (!m_recorder)
        return;
    if (event.phase == shell::ActionPhase::Started)
        m_recorder->beginPress(std::string(event.action));
    else
        m_recorder->endPress();
}

// The specimen check and the measurement error get windows of their own, opened by the
// actions that compute them. They show the loaded data or nothing: a new load closes them, and
// the error figures are computed again only when the protocol or the replicate changed.
void FrontEnd::showCheckWindows(const controller::ActionRow& row)
{
    const session::Session& s = m_program.controller().session();
    if (s.revisions.specimens != m_checkWindowsData) {
        m_checkWindowsData = s.revisions.specimens;
        if (m_specimensWindow)
            m_specimensWindow->close();
        if (m_errorWindow)
            m_errorWindow->close();
        m_errorShownFor.reset();
    }
    if (row.opens == controller::Opens::SpecimenCheck) {
        if (!m_specimensWindow)
            m_specimensWindow = new SpecimensWindow(m_program);
        m_specimensWindow->refresh();
        if (!s.check.empty()) {
            placeBesideOthers(m_specimensWindow);
            m_specimensWindow->show();
            m_specimensWindow->raise();
        }
    } else if (m_specimensWindow) {
        m_specimensWindow->refresh();
    }
    const bool opens = row.opens == controller::Opens::MeasurementError;
    if (!opens && !m_errorWindow)
        return;
    if (!m_errorWindow)
        m_errorWindow = new ErrorSummaryWindow;
    const std::pair<std::uint64_t, std::uint64_t> shownFor{s.revisions.protocol, s.revisions.replicate};
    if (m_errorShownFor != shownFor) {
        m_errorShownFor = shownFor;
        try {
            m_errorWindow->setRows(controller::measurementErrorRows(controller::measurementError(s), s.protocol),
                                   QString::fromStdString(s.specimens.file + " against " + s.replicate->file));
        } catch (const Error&) {
            m_errorWindow->setRows({});
        }
    }
    if (opens && s.replicate) {
        placeBesideOthers(m_errorWindow);
        m_errorWindow->show();
        m_errorWindow->raise();
    }
}

void FrontEnd::typeInto(std::string_view tag, const std::string& text)
{
    const std::vector<Handle> controls = model().findByTag(tag);
    if (controls.empty())
        return;
    for (Handle h : controls) {
        model().setUiString(h, text);
        m_dirtyEdits.erase(std::remove(m_dirtyEdits.begin(), m_dirtyEdits.end(), h), m_dirtyEdits.end());
    }
    committed(controls.front());
}

void FrontEnd::runAction(const std::string& action)
{
    if (m_recorder)
        flushEdits();
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
        QString what = m_unsaved.protocol() && m_unsaved.blocks() ? "The protocol and the blocks have"
                       : m_unsaved.protocol()                     ? "The protocol has"
                                                                  : "The blocks have";
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
    if (m_unsaved.protocol())
        saveProtocolAsLastWritten();
    if (m_unsaved.blocks() && !m_unsaved.protocol())
        runAction(std::string(controller::action::saveBlocks));
    if (!m_unsaved.any())
        return true;
    // A save that was cancelled or failed keeps the program open, and says so.
    m_program.runtime().console.status(m_unsaved.protocol() ? "Quit cancelled: the protocol was not saved"
                                                            : "Quit cancelled: the blocks were not saved");
    return false;
}

void FrontEnd::quit()
{
    stopRecording();
    QCoreApplication::quit();
}

void FrontEnd::edited(Handle control)
{
    if (m_recorder && std::find(m_dirtyEdits.begin(), m_dirtyEdits.end(), control) == m_dirtyEdits.end())
        m_dirtyEdits.push_back(control);
}

void FrontEnd::committed(Handle control)
{
    if (!m_recorder)
        return;
    m_dirtyEdits.erase(std::remove(m_dirtyEdits.begin(), m_dirtyEdits.end(), control), m_dirtyEdits.end());
    const auto* obj = model().find(control);
    if (obj && !obj->tag.empty())
        m_recorder->set(obj->tag, obj->as<platform::UiControlData>().string);
}

void FrontEnd::toggled(Handle control)
{
    if (!m_recorder)
        return;
    const auto* obj = model().find(control);
    if (obj && !obj->tag.empty())
        m_recorder->value(obj->tag, obj->as<platform::UiControlData>().value);
}

// Text typed into boxes and not yet committed is what a button pressed now will read: it
// goes into the script first.
void FrontEnd::flushEdits()
{
    const std::vector<Handle> dirty = std::exchange(m_dirtyEdits, {});
    for (Handle h : dirty)
        committed(h);
}

void FrontEnd::startRecording(const std::string& path)
{
    auto recorder = std::make_unique<script::SessionRecorder>(path);
    m_dirtyEdits.clear();
    m_recorder = std::move(recorder);
    if (m_recordingDialogs)
        m_recordingDialogs->setRecorder(m_recorder.get());
    if (m_recordingMessages)
        m_recordingMessages->setRecorder(m_recorder.get());
    m_program.runtime().console.write("Recording the session to " + m_recorder->path().string() + "\n");
    updateSessionActions();
}

void FrontEnd::stopRecording()
{
    if (!m_recorder)
        return;
    flushEdits();
    if (m_recordingDialogs)
        m_recordingDialogs->setRecorder(nullptr);
    if (m_recordingMessages)
        m_recordingMessages->setRecorder(nullptr);
    m_program.runtime().console.write("Session recorded in " + m_recorder->path().string() + "\n");
    m_recorder.reset();
    updateSessionActions();
}

void FrontEnd::updateSessionActions()
{
    if (m_recordAction)
        m_recordAction->setEnabled(!m_recorder);
    if (m_stopAction)
        m_stopAction->setEnabled(m_recorder != nullptr);
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
                placeBesideMainWindow(w);
            w->show();
            w->raise();
            if (first) {
                std::erase_if(m_placed, [](const QPointer<FigureWindow>& p) { return p.isNull(); });
                m_placed.push_back(w);
                fitOnScreen(w);
                // The window manager frames the window a moment later; fit again with the real frame.
                QTimer::singleShot(300, this, [this, figure] {
                    if (FigureWindow* again = window(figure))
                        fitOnScreen(again);
                });
            }
            keepOnScreen(w);
        }
    });
}

namespace {

// The decorations around a window: the real ones once the window manager has framed it, a
// typical title bar and border before.
QMargins frameMargins(const QWidget* w)
{
    const QRect frame = w->frameGeometry(), inner = w->geometry();
    if (frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    return {2, 28, 2, 2};
}

}  // namespace

void FrontEnd::fitOnScreen(FigureWindow* w)
{
    const QScreen* screen = w->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry().marginsRemoved(frameMargins(w));
    QRect r = w->geometry();
    const int fullHeight = r.height();
    r.setSize(r.size().boundedTo(available.size()).expandedTo(w->minimumSizeHint().boundedTo(available.size())));
    // Controls that now scroll up and down need the scroll bar's width besides them.
    if (r.height() < fullHeight && isMainWindow(w->figure()))
        r.setWidth(std::min(r.width() + w->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2, available.width()));
    r.moveLeft(std::clamp(r.left(), available.left(), std::max(available.left(), available.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), available.top(), std::max(available.top(), available.bottom() - r.height() + 1)));
    if (r != w->geometry())
        w->setGeometry(r);
}

// A plot window opens to the right of the main window, on its screen, using the room left
// there; the main window moves to the screen's left edge, and narrows, when the room is short.
void FrontEnd::placeBesideMainWindow(FigureWindow* plot)
{
    FigureWindow* main = window(*m_mainWindow);
    if (!main || !main->isVisible())
        return;
    constexpr int kMinPlotWidth = 480;
    const QScreen* screen = main->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins margins = frameMargins(main);
    if (available.right() - main->frameGeometry().right() < kMinPlotWidth) {
        main->move(available.left(), main->pos().y());  // a window's pos() is its frame's
        const int shortBy = kMinPlotWidth - (available.right() - main->frameGeometry().right());
        if (shortBy > 0)
            main->resize(std::max(main->width() - shortBy, 320), main->height());
    }
    const int left = main->frameGeometry().right() + 1 + margins.left();
    const int top = available.top() + margins.top();
    const int width = std::max(available.right() - left - margins.right() + 1, 200);
    const int height = available.height() - margins.top() - margins.bottom();
    plot->setGeometry(left, top, std::min(width, static_cast<int>(height * 1.6)), height);
}

void FrontEnd::placeBesideOthers(QWidget* w)
{
    if (w->isVisible())
        return;  // the user's place for it stands
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    std::vector<QRect> taken;
    const FigureWindow* plot = nullptr;
    for (const auto& [handle, window] : m_windows) {
        if (!window->isVisible())
            continue;
        taken.push_back(window->frameGeometry());
        if (window->plot())
            plot = window;
    }
    const QSize want = w->sizeHint().expandedTo(QSize(520, 360)).boundedTo(available.size());
    const QMargins margins = frameMargins(w);
    const QSize frame = want.grownBy(margins);
    const auto isFree = [&](const QRect& r) {
        return available.contains(r) &&
               std::none_of(taken.begin(), taken.end(), [&](const QRect& t) { return t.intersects(r); });
    };
    std::vector<QPoint> corners{available.topLeft()};
    for (const QRect& t : taken)
        corners.insert(corners.end(), {QPoint(t.right() + 1, t.top()), QPoint(t.left(), t.bottom() + 1),
                                       QPoint(t.left() - frame.width(), t.top())});
    for (const QPoint& corner : corners) {
        if (const QRect r(corner, frame); isFree(r)) {
            w->setGeometry(QRect(r.topLeft() + QPoint(margins.left(), margins.top()), want));
            return;
        }
    }
    // No free room: over the plot window's lower part, leaving the main window in view.
    const QRect over = plot ? plot->frameGeometry() : available;
    const QSize size = want.boundedTo(over.size().shrunkBy(margins));
    w->setGeometry(QRect(QPoint(over.left() + margins.left(), over.bottom() - size.height() - margins.bottom()), size));
}

void FrontEnd::keepOnScreen(FigureWindow* w)
{
    // The model learns the size of the window's frame (decorations, toolbar, console) only
    // once it is shown; a frame that then hangs off the screen is pulled back onto it.
    const QScreen* screen = w->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = w->frameGeometry();
    const int dx = std::max(0, available.left() - frame.left()) - std::max(0, frame.right() - available.right());
    const int dy = std::max(0, available.top() - frame.top()) - std::max(0, frame.bottom() - available.bottom());
    if (dx != 0 || dy != 0)
        w->move(w->pos() + QPoint(dx, dy));
}

void FrontEnd::onFigureEvent(const ModelEvent& event)
{
    const Handle fig = event.handle;
    if (event.kind == ModelEventKind::Created) {
        auto* w = new FigureWindow(*this, fig);
        connect(w, &FigureWindow::viewChosen, this, [this](double azimuth, double elevation) {
            if (m_recorder)
                m_recorder->view(azimuth, elevation);
        });
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
