// Small makers of the main window's controls at their design positions.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QString>

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

} // namespace controls
