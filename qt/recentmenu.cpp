// The File menu's "Recent" list: the projects and data files opened last, kept in the settings.
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "qt/frontend.h"

namespace vezedo::qt {

namespace {

constexpr const char* kRecentKey = "recent/files";

void storeRecent(const std::vector<controller::RecentFile>& list)
{
    QStringList texts;
    for (const controller::RecentFile& file : list)
        texts << QString::fromStdString(controller::recentFileText(file));
    QSettings().setValue(kRecentKey, texts);
}

}  // namespace

std::vector<controller::RecentFile> FrontEnd::recentFiles() const
{
    // Stored newest first: added oldest first, each in front, so the rules hold for any text.
    const QStringList texts = QSettings().value(kRecentKey).toStringList();
    std::vector<controller::RecentFile> list;
    for (auto it = texts.crbegin(); it != texts.crend(); ++it)
        if (auto file = controller::parseRecentFile(it->toStdString()))
            list = controller::addRecentFile(std::move(list), std::move(*file));
    return list;
}

void FrontEnd::rememberOpened()
{
    if (m_dialogs)
        m_dialogs->dropPresetAnswer();
    const auto opened = controller::recentlyOpened(m_openedBefore, m_program.controller().session());
    if (!opened)
        return;
    storeRecent(controller::addRecentFile(recentFiles(), *opened));
}

void FrontEnd::openRecent(const controller::RecentFile& file)
{
    if (!m_dialogs)
        return;
    std::vector<platform::FileChoice> choices;
    for (const std::string& path : file.paths) {
        const QFileInfo info(QString::fromStdString(path));
        choices.push_back({info.fileName().toStdString(), info.absolutePath().toStdString()});
    }
    m_dialogs->answerNextWith(std::move(choices));
    runAction(file.action);
    m_dialogs->dropPresetAnswer();
}

void FrontEnd::addRecentMenu(QMenu* file)
{
    QMenu* recent = file->addMenu("Rece&nt");
    recent->setObjectName("recentMenu");
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const std::vector<controller::RecentFile> list = recentFiles();
        if (list.empty())
            recent->addAction("(none yet)")->setEnabled(false);
        for (const controller::RecentFile& entry : list) {
            QAction* item = recent->addAction(QString::fromStdString(controller::recentFileLabel(entry)));
            item->setToolTip(QString::fromStdString(entry.paths.front()));
            connect(item, &QAction::triggered, this, [this, entry] { openRecent(entry); });
        }
    });
}

}  // namespace vezedo::qt
