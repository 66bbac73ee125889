#include "qt/qtservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>
#include <iostream>

namespace vezedo::qt {

QString dialogFilter(const platform::FileRequest& request)
{
    const QString first = QString::fromStdString(request.filter);
    QStringList filters;
    if (!first.isEmpty() && first != "*" && first != "*.*")
        filters << first;
    for (const std::string& more : request.moreFilters)
        filters << QString::fromStdString(more);
    filters << "All files (*)";
    filters.removeDuplicates();
    return filters.join(";;");
}

QString withExtension(const QString& path, const QString& selectedFilter)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().contains('.'))
        return path;
    // The first pattern of the filter that names an extension: "*.csv" in "CSV files (*.csv)".
    static const QRegularExpression pattern(R"(\*\.([A-Za-z0-9_]+))");
    const QRegularExpressionMatch match = pattern.match(selectedFilter);
    return match.hasMatch() ? path + "." + match.captured(1) : path;
}

namespace {

constexpr const char* kLastFolderKey = "dialogs/lastFolder";

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

QString startFolder()
{
    const QString last = QSettings().value(kLastFolderKey).toString();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::currentPath();
}

}  // namespace

std::optional<platform::FileChoice> QtDialogs::choose(const platform::FileRequest& request)
{
    const QString title = qstr(request.title), filters = dialogFilter(request);
    QString selected = filters.section(";;", 0, 0);
    QString path;
    if (request.kind == platform::FileDialogKind::Open) {
        path = QFileDialog::getOpenFileName(nullptr, title, startFolder(), filters, &selected);
    } else {
        const QString start = request.suggestedName.empty()
                                  ? startFolder()
                                  : QDir(startFolder()).filePath(QString::fromStdString(request.suggestedName));
        path = withExtension(QFileDialog::getSaveFileName(nullptr, title, start, filters, &selected), selected);
    }
    if (!path.isEmpty())
        QSettings().setValue(kLastFolderKey, QFileInfo(path).absolutePath());
    return choice(path);
}

std::vector<platform::FileChoice> QtDialogs::chooseMany(const platform::FileRequest& request)
{
    QString selected = dialogFilter(request).section(";;", 0, 0);
    const QStringList paths =
        QFileDialog::getOpenFileNames(nullptr, qstr(request.title), startFolder(), dialogFilter(request), &selected);
    std::vector<platform::FileChoice> out;
    for (const QString& path : paths)
        if (auto one = choice(path))
            out.push_back(std::move(*one));
    if (!paths.isEmpty())
        QSettings().setValue(kLastFolderKey, QFileInfo(paths.front()).absolutePath());
    return out;
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

QtConsole::QtConsole()
    : m_panel(new QWidget), m_pane(new QPlainTextEdit), m_showTraces(new QCheckBox("Show traces")),
      m_status(new QStatusBar)
{
    m_panel->setObjectName("consolePanel");
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    m_showTraces->setObjectName("showTraces");
    m_showTraces->setToolTip("Also show the values the actions display as they run");
    layout->addWidget(m_pane);
    // The box shares the status bar's line: on a laptop screen every line of height counts.
    m_status->setObjectName("statusBar");
    m_status->setSizeGripEnabled(false);
    m_status->addPermanentWidget(m_showTraces);
    layout->addWidget(m_status);
    m_pane->setReadOnly(true);
    m_pane->setObjectName("console");
    m_pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pane->setPlaceholderText("Console: messages and errors appear here.");
    m_pane->setMaximumBlockCount(5000);
    m_pane->setFixedHeight(70);
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

void QtConsole::status(std::string_view text)
{
    std::cout << "status: " << text << '\n';
    if (m_status)
        m_status->showMessage(qstr(text));
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

QtProgress::~QtProgress()
{
    delete m_dialog;
}

void QtProgress::begin(std::string_view what)
{
    m_what = qstr(what);
    if (m_depth++ > 0) {
        if (m_dialog)
            m_dialog->setLabelText(m_what + "...");
        return;
    }
    m_cancelled = false;
    m_clock.start();
}

bool QtProgress::advance(double fraction)
{
    if (m_depth == 0 || m_cancelled)
        return !m_cancelled;
    constexpr int kSteps = 1000;
    if (!m_dialog && m_clock.elapsed() >= kShowAfterMs) {
        m_dialog = new QProgressDialog(m_what + "...", "Cancel", 0, kSteps, QApplication::activeWindow());
        m_dialog->setObjectName("progressDialog");
        m_dialog->setWindowTitle("Vezedo6");
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumWidth(360);
        m_dialog->show();
    }
    if (m_dialog) {
        m_dialog->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * kSteps));
        // The dialog is modal: only it takes clicks and keys, so Cancel is seen and nothing else starts.
        QApplication::processEvents();
        m_cancelled = m_dialog->wasCanceled();
    } else {
        // Before the dialog shows, the windows repaint but take no input.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return !m_cancelled;
}

void QtProgress::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    delete m_dialog;
}

}  // namespace vezedo::qt
