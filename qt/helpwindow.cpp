#include "qt/helpwindow.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace vezedo::qt {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName("helpWindow");
    setWindowTitle("Vezedo6 Help");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenExternalLinks(true);
    // The README names its pictures docs/*.png, as they lie beside it in the resource.
    m_browser->setSearchPaths({":/help"});
    QFile readme(":/help/README.md");
    if (readme.open(QIODevice::ReadOnly))
        m_browser->setMarkdown(QString::fromUtf8(readme.readAll()));
    else
        m_browser->setPlainText("The guide to Vezedo6 is missing from this build.");
}

}  // namespace vezedo::qt
