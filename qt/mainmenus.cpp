// The main window's menus: what they hold and which action each entry runs.
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "controller/actiontable.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/helpwindow.h"

namespace vezedo::qt {

// A save keeps the form the protocol was last written in: a CSV keeps the line names.
void FrontEnd::saveProtocolAsLastWritten()
{
    const session::Session& s = m_program.controller().session();
    runAction(std::string(s.protocolForm == session::ProtocolForm::Csv ? controller::action::saveProtocolCsv
                                                                       : controller::action::saveProtocol));
}

void FrontEnd::showHelp()
{
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow;
    placeBesideOthers(m_helpWindow);
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void FrontEnd::addMenus(FigureWindow* window)
{
    auto* bar = new QMenuBar;
    bar->setObjectName("menuBar");
    // Entries run through runAction, so a recorded session writes them as presses.
    const auto addAction = [this](QMenu* menu, const char* label, std::string_view action, const QKeySequence& keys) {
        QAction* item = menu->addAction(label);
        item->setShortcut(keys);
        connect(item, &QAction::triggered, this, [this, action] { runAction(std::string(action)); });
        return item;
    };

    QMenu* file = bar->addMenu("&File");
    file->setObjectName("fileMenu");
    addAction(file, "&Load TPS file...", controller::action::loadSpecimens, QKeySequence::Open);
    addAction(file, "Load l&andmarks...", controller::action::loadLandmarks, {});
    addAction(file, "Load &protocol...", controller::action::loadProtocol, {});
    addAction(file, "Open pro&ject...", controller::action::openProject,
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    addAction(file, "Sa&ve project...", controller::action::saveProject,
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    addRecentMenu(file);
    QAction* save = file->addAction("&Save protocol...");
    save->setShortcut(QKeySequence::Save);
    save->setToolTip("Save the protocol as it was last saved: a plain protocol file or a CSV with names");
    connect(save, &QAction::triggered, this, [this] { saveProtocolAsLastWritten(); });
    addAction(file, "Save lengths as &CSV...", controller::action::saveLengthsCsv, {});
    addAction(file, "Save c&orrections...", controller::action::saveCorrections, {});
    file->addSeparator();
    QAction* recordItem = file->addAction("&Record session...");
    recordItem->setToolTip("Write what you do from now on to a script that vezedo6-run can replay");
    QAction* stopItem = file->addAction("S&top recording");
    connect(recordItem, &QAction::triggered, this, [this, window] {
        const QString path =
            QFileDialog::getSaveFileName(window, "Record session", QDir::currentPath() + "/session.vzs",
                                         "Vezedo6 session scripts (*.vzs);;All files (*)");
        if (path.isEmpty())
            return;
        try {
            startRecording(path.toStdString());
        } catch (const std::exception& e) {
            m_program.runtime().messages.showMessage(e.what());
        }
    });
    connect(stopItem, &QAction::triggered, this, [this] { stopRecording(); });
    file->addSeparator();
    QAction* quitItem = file->addAction("&Quit");
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Closing the main window asks about unsaved work and then ends the program.
    connect(quitItem, &QAction::triggered, window, &QWidget::close);

    // Undo and Redo of the protocol, block and correction edits, and Help, from any window of
    // the program; the corrections of the specimens act on the one named under Specimen.
    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("editMenu");
    addAction(edit, "&Undo", controller::action::undo, QKeySequence::Undo)->setShortcutContext(Qt::ApplicationShortcut);
    // Ctrl+Shift+Z on every platform: without a desktop theme Qt would make it Ctrl+Y.
    addAction(edit, "&Redo", controller::action::redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z))
        ->setShortcutContext(Qt::ApplicationShortcut);
    edit->addSeparator();
    addAction(edit, "&Exchange landmarks", controller::action::exchangeLandmarks, {});
    addAction(edit, "&Mirror specimen", controller::action::mirrorSpecimen, {});
    addAction(edit, "E&xclude specimen", controller::action::excludeSpecimen, {});
    addAction(edit, "&Include specimen", controller::action::includeSpecimen, {});

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("helpMenu");
    QAction* helpItem = help->addAction("&Help");
    helpItem->setShortcut(QKeySequence::HelpContents);
    helpItem->setShortcutContext(Qt::ApplicationShortcut);
    connect(helpItem, &QAction::triggered, this, [this] { showHelp(); });

    m_recording.setActions(recordItem, stopItem);
    window->setMenuBar(bar);
}

}  // namespace vezedo::qt
