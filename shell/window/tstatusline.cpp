// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/tstatusline.h"

#include <QDialogButtonBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextTable>
#include <QToolButton>
#include <QVBoxLayout>

TStatusHistory::TStatusHistory(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Meldungen"));
    List = new QTextEdit(this);
    List->setObjectName(QStringLiteral("StatusHistoryList"));
    List->setReadOnly(true);
    List->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List);
    layout->addWidget(buttons);
    resize(640, 360);
}

void TStatusHistory::show(const statusline::History &history)
{
    List->clear();
    const QList<statusline::Entry> &entries = history.entries();
    if (!entries.isEmpty()) {
        QTextTableFormat format;
        format.setBorder(0);
        format.setCellPadding(2);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        const int timeWidth = List->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 12;
        format.setColumnWidthConstraints(
            {QTextLength(QTextLength::FixedLength, timeWidth), QTextLength(QTextLength::VariableLength, 0)});
        QTextCursor cursor(List->document());
        QTextTable *table = cursor.insertTable(int(entries.size()), 2, format);
        int row = 0;
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry, ++row) {
            table->cellAt(row, 0).firstCursorPosition().insertText(entry->time.toString(QStringLiteral("HH:mm:ss")));
            table->cellAt(row, 1).firstCursorPosition().insertText(entry->text);
        }
    }
    QDialog::show();
    raise();
    activateWindow();
}

TStatusLine::TStatusLine(QWidget *parent)
    : QStatusBar(parent)
{
    HistoryButton = new QToolButton(this);
    HistoryButton->setObjectName(QStringLiteral("StatusHistoryButton"));
    retranslate();
    HistoryButton->setAutoRaise(true);
    addPermanentWidget(HistoryButton);
    connect(HistoryButton, &QToolButton::clicked, this, &TStatusLine::showHistory);
    connect(this, &QStatusBar::messageChanged, this, &TStatusLine::updateToolTip);
}

void TStatusLine::retranslate()
{
    HistoryButton->setText(tr("Meldungen"));
    HistoryButton->setToolTip(tr("Die letzten Meldungen mit ihrer Zeit"));
}

void TStatusLine::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QStatusBar::changeEvent(event);
}

void TStatusLine::note(const QString &text, int timeout)
{
    m_history.add(QDateTime::currentDateTime(), text);
    showMessage(text, timeout);
    if (HistoryWindow && HistoryWindow->isVisible())
        HistoryWindow->show(m_history);
}

void TStatusLine::showHistory()
{
    if (!HistoryWindow)
        HistoryWindow = new TStatusHistory(window());
    HistoryWindow->show(m_history);
}

QRect TStatusLine::messageRect() const
{
    // Where the bar itself would write the message: left of the permanent
    // button, clear of the size grip.
    int right = width() - 12;
    if (HistoryButton->isVisible())
        right = std::min(right, HistoryButton->x() - 2);
    return QRect(6, 0, std::max(0, right - 6), height());
}

QString TStatusLine::shownText() const
{
    const QFontMetrics metrics = fontMetrics();
    return statusline::elideMiddle(currentMessage(), messageRect().width(),
                                   [&metrics](const QString &text) { return metrics.horizontalAdvance(text); });
}

void TStatusLine::paintEvent(QPaintEvent *event)
{
    if (currentMessage().isEmpty()) {
        QStatusBar::paintEvent(event);
        return;
    }
    // The bar's own painting cuts a long message at its right end.
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    painter.setPen(palette().windowText().color());
    painter.drawText(messageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, shownText());
}

void TStatusLine::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    updateToolTip();
}

void TStatusLine::mouseReleaseEvent(QMouseEvent *event)
{
    QStatusBar::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && messageRect().contains(event->position().toPoint()))
        showHistory();
}

void TStatusLine::updateToolTip()
{
    const QString message = currentMessage();
    setToolTip(shownText() == message ? QString() : message);
}
