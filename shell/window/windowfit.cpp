// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/windowfit.h"

#include "shell/screenfit.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// The frame a window manager puts around this window: its own once it has
// been shown, before that the frame of a window already on the screen.
QMargins frameOf(const QWidget *window)
{
    if (window->windowHandle() && !window->windowHandle()->frameMargins().isNull())
        return window->windowHandle()->frameMargins();
    for (const QWidget *shown : QApplication::topLevelWidgets()) {
        if (shown != window && shown->isVisible() && shown->windowHandle()
            && !shown->windowHandle()->frameMargins().isNull())
            return shown->windowHandle()->frameMargins();
    }
    return {};
}

class WindowFit : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The show event comes before the window is on the screen: a change
        // now is never seen as a jump. A window restored from an icon comes
        // back where the user left it.
        if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType())
            fit(static_cast<QWidget *>(watched));
        return false;
    }

private:
    static void fit(QWidget *window)
    {
        const Qt::WindowType type = window->windowType();
        if (!window->isWindow() || (type != Qt::Window && type != Qt::Dialog) || qobject_cast<QMainWindow *>(window))
            return;
        const QScreen *screen = window->screen();
        if (!screen)
            return;
        const QMargins frame = frameOf(window);
        const QRect wanted = window->geometry().marginsAdded(frame);
        const QRect fitted = screenfit::fitted(wanted, screen->availableGeometry());
        if (fitted.size() != wanted.size())
            window->resize(fitted.marginsRemoved(frame).size());
        // A window nobody placed is left to the window manager, which puts
        // a window that fits on the screen; one placed (a dialog over its
        // owner, a window where it stood) is moved in. Its position is its
        // frame's.
        if (fitted.topLeft() != wanted.topLeft() && window->testAttribute(Qt::WA_Moved))
            window->move(fitted.topLeft());
    }
};

} // namespace

namespace windowfit {

void install()
{
    static WindowFit *fit = nullptr;
    if (fit || !qApp)
        return;
    fit = new WindowFit(qApp);
    qApp->installEventFilter(fit);
}

} // namespace windowfit
