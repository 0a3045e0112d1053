// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/window/tsersel.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>

TFormSerSel::TFormSerSel(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Serielle Schnittstelle"));
    setFixedSize(185, 72);

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setGeometry(8, 8, 81, 57);

    Label1 = new QLabel(QStringLiteral("&Schnittstelle"), Panel1);
    Label1->move(8, 8);
    Label1->adjustSize();

    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(8, 24, 57, ComboBox1->sizeHint().height());
    Label1->setBuddy(ComboBox1);

    ButtonOk = new QPushButton(QStringLiteral("&Ok"), this);
    ButtonOk->setGeometry(104, 8, 75, 25);
    ButtonOk->setDefault(true);
    ButtonOk->setAutoDefault(true);

    ButtonCancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    ButtonCancel->setGeometry(104, 40, 75, 25);
    ButtonCancel->setAutoDefault(false);

    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormSerSel::ComboBox1Change);

    // The list is fixed for the life of the form, like the table behind it.
    ComboBox1->addItems(serialports::availablePortNames());
    ComboBox1->setFocus();
}

void TFormSerSel::FormShow()
{
    // Selecting in code is not a user choice: keep ComboBox1Change out of it.
    const QSignalBlocker blocker(ComboBox1);
    if (ComboBox1->count() == 0) {
        ComboBox1->addItem(QStringLiteral("keine"));
        ComboBox1->setCurrentIndex(0);
        m_selectedPort = 0;
        m_selectionValid = false;
        return;
    }
    if (m_selectedPort < 1 || m_selectedPort > ComboBox1->count())
        m_selectedPort = 1;
    ComboBox1->setCurrentIndex(m_selectedPort - 1);
    m_selectionValid = true;
}

void TFormSerSel::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        FormShow();
        if (!parentWidget()) {
            if (QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen()) {
                QRect frame = frameGeometry();
                frame.moveCenter(s->availableGeometry().center());
                move(frame.topLeft());
            }
        }
        ComboBox1->setFocus();
    }
    QDialog::showEvent(event);
}

void TFormSerSel::ComboBox1Change(int index)
{
    if (m_selectionValid && index >= 0)
        m_selectedPort = index + 1;
}

TSerSel::TSerSel(QObject *owner) : QObject(owner) {}

int TSerSel::runModal(TFormSerSel &form)
{
    return form.exec();
}

bool TSerSel::Execute()
{
    TFormSerSel form;
    form.setSelectedPort(m_serial ? m_serial->COMPort() : 1);
    const bool ok = runModal(form) == QDialog::Accepted;
    if (ok && m_serial)
        m_serial->setCOMPort(form.selectedPort());
    return ok;
}
