// SPDX-License-Identifier: GPL-3.0-or-later
// Small makers of the main window's controls at their design positions.
#pragma once

#include "shell/cp1252.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QString>

#include <functional>

namespace controls {

inline QLabel *newLabel(QWidget *parent, const QString &caption, int x, int y, int w, int h)
{
    auto *label = new QLabel(caption, parent);
    label->setGeometry(x, y, w, h);
    return label;
}

inline QPushButton *newButton(QWidget *parent, const QString &caption, int x, int y, int w, int h)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(x, y, w, h);
    return button;
}

inline QLabel *newPicture(QWidget *parent, const QString &resource, int x, int y, int w, int h)
{
    auto *picture = new QLabel(parent);
    picture->setGeometry(x, y, w, h);
    picture->setPixmap(QPixmap(resource));
    picture->setScaledContents(false);
    return picture;
}

// The font, made smaller by half points down to smallest, in which text fits
// width: controls laid out for a smaller font than this system's show their
// text whole.
inline QFont fittingFont(QFont font, const QString &text, int width, qreal smallest)
{
    while (font.pointSizeF() > smallest && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

// Calls handler with the character of every key pressed in the control
// (Enter and Return as "\r"), as a key-press handler of the control would.
class KeyPress : public QObject {
public:
    KeyPress(QWidget *control, std::function<void(char)> handler)
        : QObject(control), m_handler(std::move(handler))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                m_handler('\r');
            else if (key->text().size() == 1) {
                // The drive's code page, byte for byte; a character it
                // has no byte for is not typed at all.
                if (const std::optional<char> byte = cp1252Byte(key->text().at(0)))
                    m_handler(*byte);
            }
        }
        return false;
    }

private:
    std::function<void(char)> m_handler;
};

} // namespace controls
