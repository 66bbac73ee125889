#include "qt/qtservices.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <iostream>

namespace vezedo::qt {

QString dialogFilter(std::string_view filter)
{
    const QString f = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()));
    if (f.isEmpty() || f == "*" || f == "*.*")
        return "All files (*)";
    return f + ";;All files (*)";
}

namespace {

std::optional<platform::FileChoice> choice(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    return platform::FileChoice{info.fileName().toStdString(),
                                QDir::toNativeSeparators(info.absolutePath()).toStdString()};
}

QString qstr(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

std::optional<platform::FileChoice> QtDialogs::openFile(std::string_view filter, std::string_view title)
{
    return choice(QFileDialog::getOpenFileName(nullptr, qstr(title), QDir::currentPath(), dialogFilter(filter)));
}

std::optional<platform::FileChoice> QtDialogs::saveFile(std::string_view filter, std::string_view title)
{
    return choice(QFileDialog::getSaveFileName(nullptr, qstr(title), QDir::currentPath(), dialogFilter(filter)));
}

void QtMessages::showMessage(std::string_view text, std::string_view title)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, title.empty() ? QString("Vezedo6") : qstr(title), qstr(text),
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

QtConsole::QtConsole() : m_panel(new QWidget), m_pane(new QPlainTextEdit), m_showTraces(new QCheckBox("Show traces"))
{
    m_panel->setObjectName("consolePanel");
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    m_showTraces->setObjectName("showTraces");
    m_showTraces->setToolTip("Also show the values the actions display as they run");
    layout->addWidget(m_showTraces);
    layout->addWidget(m_pane);
    m_pane->setReadOnly(true);
    m_pane->setObjectName("console");
    m_pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pane->setPlaceholderText("Console: messages and errors appear here.");
    m_pane->setMaximumBlockCount(5000);
    m_pane->setFixedHeight(110);
    m_panel->setFixedHeight(m_panel->sizeHint().height());
}

bool QtConsole::showsTraces() const
{
    return m_showTraces && m_showTraces->isChecked();
}

void QtConsole::write(std::string_view text)
{
    std::cout << text;
    std::cout.flush();
    append(text);
}

void QtConsole::trace(std::string_view text)
{
    std::cout << text;
    std::cout.flush();
    if (showsTraces())
        append(text);
}

void QtConsole::append(std::string_view text)
{
    if (!m_pane)
        return;
    QTextCursor cursor(m_pane->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(qstr(text));
    m_pane->verticalScrollBar()->setValue(m_pane->verticalScrollBar()->maximum());
}

std::optional<platform::FileChoice> WatchedServices::openFile(std::string_view filter, std::string_view title)
{
    auto answer = m_dialogs.openFile(filter, title);
    if (!answer)
        ++m_setbacks;
    return answer;
}

std::optional<platform::FileChoice> WatchedServices::saveFile(std::string_view filter, std::string_view title)
{
    auto answer = m_dialogs.saveFile(filter, title);
    if (!answer)
        ++m_setbacks;
    return answer;
}

void WatchedServices::showMessage(std::string_view text, std::string_view title)
{
    ++m_setbacks;
    m_messages.showMessage(text, title);
}

}  // namespace vezedo::qt
