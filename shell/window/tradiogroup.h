// SPDX-License-Identifier: GPL-3.0-or-later
// A captioned group of radio buttons addressed by item index, laid out in
// columns; the interface configuration and the parameter editor use it.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString &caption, QWidget *parent = nullptr);

    void setColumns(int columns);
    int columns() const { return m_columns; }

    QStringList items() const { return m_items; }
    void setItems(const QStringList &items);
    void addItem(const QString &item);
    void clearItems();
    // Removes the first count items (the options an editor added).
    void removeFirst(int count);

    // -1: nothing selected.
    int itemIndex() const;
    // The button of an item (nullptr when there is none).
    QAbstractButton *button(int index) const;
    void setItemIndex(int index);

signals:
    void clicked(int index);

private:
    void rebuild();

    QStringList m_items;
    int m_columns = 1;
    QButtonGroup *m_buttons = nullptr;
    QGridLayout *m_layout = nullptr;
};
