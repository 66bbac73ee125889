#pragma once

#include <QWidget>

class QTextBrowser;

namespace vezedo::qt {

// The user's guide (the README shipped inside the program, with its pictures) in a window.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {660, 560}; }
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

}  // namespace vezedo::qt
