// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/tterminalwindow.h"

#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

// What the output memo keeps when it shows the log.
constexpr int kShownLines = 2000;

} // namespace

TTerminalWindow::TTerminalWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("ZYNT Terminal"));
    resize(520, 420);
    QFont fixed(QStringLiteral("Fixedsys"), 10);
    fixed.setStyleHint(QFont::Monospace);

    LineMode = new QCheckBox(this);
    HexView = new QCheckBox(this);
    Timestamps = new QCheckBox(this);
    HidePoll = new QCheckBox(this);
    SaveLog = new QPushButton(this);
    MemoTxD = new QPlainTextEdit(QStringLiteral("ASCII input"), this);
    MemoTxD->setToolTip(QStringLiteral("Eingabe von Zeichen an die ZYNT"));
    MemoTxD->setFont(fixed);
    MemoTxD->setFixedHeight(66);
    LineInput = new QLineEdit(this);
    LineInput->setFont(fixed);
    LineInput->hide();
    LineInput->installEventFilter(this);
    MemoRxD = new QPlainTextEdit(QStringLiteral("ZYNT ASCII \noutput"), this);
    MemoRxD->setReadOnly(true);
    MemoRxD->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoRxD->setToolTip(QStringLiteral("von der ZYNT gesendete Zeichen"));
    MemoRxD->setFont(fixed);
    MemoRxD->installEventFilter(this);
    Button13 = new QPushButton(QStringLiteral("Terminal schließen"), this);
    Button18 = new QPushButton(QStringLiteral("RS232 Stop"), this);

    auto *options = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *> {LineMode, HexView, Timestamps, HidePoll})
        options->addWidget(w);
    options->addStretch();
    options->addWidget(SaveLog);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button13);
    buttons->addWidget(Button18);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(MemoTxD);
    layout->addWidget(LineInput);
    layout->addWidget(MemoRxD, 1);
    layout->addLayout(buttons);

    connect(LineMode, &QCheckBox::toggled, this, &TTerminalWindow::showMode);
    for (QCheckBox *box : {HexView, Timestamps, HidePoll})
        connect(box, &QCheckBox::toggled, this, &TTerminalWindow::rerender);
    connect(SaveLog, &QPushButton::clicked, this, &TTerminalWindow::saveLog);
    connect(LineInput, &QLineEdit::returnPressed, this, [this] {
        const QString line = LineInput->text();
        m_history.add(line);
        LineInput->clear();
        if (SendLine)
            SendLine(toCp1252(line));
    });
    setLanguage(1);
}

bool TTerminalWindow::lineMode() const
{
    return LineMode->isChecked();
}

terminal::View TTerminalWindow::view() const
{
    return {HexView->isChecked(), Timestamps->isChecked(), HidePoll->isChecked()};
}

void TTerminalWindow::setOpen(bool open)
{
    for (QWidget *w : std::initializer_list<QWidget *> {MemoRxD, Button13, Button18})
        w->setVisible(open);
    MemoTxD->setVisible(open && !lineMode());
    LineInput->setVisible(open && lineMode());
    setVisible(open);
}

void TTerminalWindow::showMode()
{
    if (MemoRxD->isHidden())
        return;
    // The focus goes with the input, so that the poll pauses while it is there.
    const bool typing = MemoTxD->hasFocus() || LineInput->hasFocus();
    MemoTxD->setVisible(!lineMode());
    LineInput->setVisible(lineMode());
    if (typing)
        (lineMode() ? static_cast<QWidget *>(LineInput) : MemoTxD)->setFocus();
}

void TTerminalWindow::received(const QByteArray &chunk, bool poll)
{
    m_log.add(chunk, QDateTime::currentMSecsSinceEpoch(), poll);
    if (!view().plain())
        appendNew();
}

void TTerminalWindow::sent(const QByteArray &bytes, bool poll)
{
    m_log.add(bytes, QDateTime::currentMSecsSinceEpoch(), poll, true);
    if (view().hex)
        appendNew();
}

void TTerminalWindow::note(const QString &text)
{
    m_log.note(toCp1252(text), QDateTime::currentMSecsSinceEpoch());
    if (view().plain())
        MemoRxD->appendPlainText(text); // on a line of its own
    else
        appendNew();
}

void TTerminalWindow::rerender()
{
    MemoRxD->clear();
    m_rendered = m_log.dropped();
    m_partialLength = -1;
    if (view().plain()) {
        // Back to the memo as the line fills it; it starts empty.
        MemoRxD->setMaximumBlockCount(0);
        return;
    }
    MemoRxD->setMaximumBlockCount(kShownLines);
    appendNew();
}

void TTerminalWindow::appendNew()
{
    const terminal::View v = view();
    QTextCursor cursor(MemoRxD->document());
    cursor.movePosition(QTextCursor::End);
    if (m_partialLength >= 0) {
        // The incomplete line shown last is drawn again with what came since.
        cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, m_partialLength);
        cursor.removeSelectedText();
        m_partialLength = -1;
    }
    QString text;
    const auto &lines = m_log.lines();
    const quint64 first = m_log.dropped();
    const quint64 end = first + lines.size();
    for (quint64 n = std::max(m_rendered, first); n < end; ++n) {
        const terminal::Line &line = lines[size_t(n - first)];
        if (n + 1 == end) {
            // The last line may still grow (its line feed may come yet): it
            // is drawn again with what comes next.
            if (terminal::shown(line, v)) {
                const QString partial = terminal::render(line, v) + (line.complete ? QStringLiteral("\n") : QString());
                m_partialLength = int(partial.size());
                text += partial;
            }
            break;
        }
        m_rendered = n + 1;
        if (terminal::shown(line, v))
            text += terminal::render(line, v) + QLatin1Char('\n');
    }
    cursor.insertText(text);
    MemoRxD->moveCursor(QTextCursor::End);
}

void TTerminalWindow::saveLog()
{
    if (!AskLogFile)
        return;
    const QString path = AskLogFile();
    if (path.isEmpty())
        return;
    const QString error = datafiles::saveFile(path, terminal::file(m_log, view()));
    if (Report)
        Report(path, error);
}

void TTerminalWindow::setLanguage(int)
{
    // The texts follow the catalogue the language switch installed.
    LineMode->setText(tr("Zeilenmodus"));
    HexView->setText(QStringLiteral("Hex"));
    Timestamps->setText(tr("Zeitstempel"));
    HidePoll->setText(tr("Statusabfrage ausblenden"));
    SaveLog->setText(tr("Log speichern"));
    LineInput->setPlaceholderText(tr("Zeile, mit Enter senden"));
}

bool TTerminalWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MemoRxD) {
        // The main window shows and hides the terminal by its controls.
        if (event->type() == QEvent::ShowToParent && isHidden())
            show();
        else if (event->type() == QEvent::HideToParent && isVisible())
            hide();
    } else if (watched == LineInput && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            LineInput->setText(key == Qt::Key_Up ? m_history.older(LineInput->text())
                                                 : m_history.newer(LineInput->text()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
