#include "qt/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace vezedo::qt::placement {

QMargins frameMargins(const QWidget* w)
{
    const QRect frame = w->frameGeometry(), inner = w->geometry();
    if (frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    return {2, 28, 2, 2};
}

void fitOnScreen(QWidget* w, bool controlsScroll)
{
    const QScreen* screen = w->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry().marginsRemoved(frameMargins(w));
    QRect r = w->geometry();
    const int fullHeight = r.height();
    r.setSize(r.size().boundedTo(available.size()).expandedTo(w->minimumSizeHint().boundedTo(available.size())));
    // Controls that now scroll up and down need the scroll bar's width besides them.
    if (r.height() < fullHeight && controlsScroll)
        r.setWidth(std::min(r.width() + w->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2, available.width()));
    r.moveLeft(std::clamp(r.left(), available.left(), std::max(available.left(), available.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), available.top(), std::max(available.top(), available.bottom() - r.height() + 1)));
    if (r != w->geometry())
        w->setGeometry(r);
}

void placeBesideMainWindow(QWidget* main, QWidget* plot)
{
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

void placeBesideOthers(QWidget* w, const std::vector<const QWidget*>& shown, const QWidget* plot)
{
    if (w->isVisible())
        return;  // the user's place for it stands
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    std::vector<QRect> taken;
    for (const QWidget* window : shown)
        taken.push_back(window->frameGeometry());
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

void keepOnScreen(QWidget* w)
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

}  // namespace vezedo::qt::placement
