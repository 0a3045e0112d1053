// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/tradiogroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

TRadioGroup::TRadioGroup(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
    , m_buttons(new QButtonGroup(this))
    , m_layout(new QGridLayout(this))
{
    m_layout->setContentsMargins(6, 2, 6, 2);
    m_layout->setSpacing(1);
    connect(m_buttons, &QButtonGroup::idClicked, this, &TRadioGroup::clicked);
}

void TRadioGroup::setColumns(int columns)
{
    m_columns = qMax(1, columns);
    rebuild();
}

void TRadioGroup::setItems(const QStringList &items)
{
    m_items = items;
    rebuild();
}

void TRadioGroup::addItem(const QString &item)
{
    m_items.append(item);
    rebuild();
}

void TRadioGroup::clearItems()
{
    m_items.clear();
    rebuild();
}

void TRadioGroup::removeFirst(int count)
{
    m_items.remove(0, std::clamp<qsizetype>(count, 0, m_items.size()));
    rebuild();
    setItemIndex(-1);
}

int TRadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

QAbstractButton *TRadioGroup::button(int index) const
{
    return m_buttons->button(index);
}

void TRadioGroup::setItemIndex(int index)
{
    if (QAbstractButton *button = m_buttons->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item at that index: nothing stays selected.
    m_buttons->setExclusive(false);
    for (QAbstractButton *button : m_buttons->buttons())
        button->setChecked(false);
    m_buttons->setExclusive(true);
}

void TRadioGroup::rebuild()
{
    const int selected = itemIndex();
    for (QAbstractButton *button : m_buttons->buttons()) {
        m_buttons->removeButton(button);
        delete button;
    }
    // Items fill the first column top to bottom, then the next.
    const int rows = (int(m_items.size()) + m_columns - 1) / m_columns;
    for (int i = 0; i < m_items.size(); ++i) {
        auto *button = new QRadioButton(m_items[i], this);
        m_buttons->addButton(button, i);
        m_layout->addWidget(button, rows ? i % rows : 0, rows ? i / rows : 0);
    }
    setItemIndex(selected);
}
