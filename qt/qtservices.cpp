#include "qt/qtservices.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
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

QtConsole::QtConsole() : m_pane(new QPlainTextEdit)
{
    m_pane->setReadOnly(true);
    m_pane->setObjectName("console");
    m_pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pane->setPlaceholderText("Console: traces and error messages appear here.");
    m_pane->setMaximumBlockCount(5000);
    m_pane->setFixedHeight(130);
}

void QtConsole::write(std::string_view text)
{
    std::cout << text;
    std::cout.flush();
    if (!m_pane)
        return;
    QTextCursor cursor(m_pane->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(qstr(text));
    m_pane->verticalScrollBar()->setValue(m_pane->verticalScrollBar()->maximum());
}

}  // namespace vezedo::qt
