// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/window/writeback_dialog.h"

#include "shell/cp1252.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem *cell(const QByteArray &text)
{
    auto *item = new QTableWidgetItem(fromCp1252(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

WriteBackDialog::WriteBackDialog()
    : QDialog(nullptr)
{
    resize(640, 440);
    auto *layout = new QVBoxLayout(this);
    Heading = new QLabel(this);
    Heading->setWordWrap(true);
    auto *choices = new QHBoxLayout;
    // Captioned by setRows, in the language of the moment.
    AllRowsBox = new QCheckBox(this);
    TickAllBtn = new QPushButton(this);
    TickNoneBtn = new QPushButton(this);
    // The buttons act on the rows; Enter in the table is not theirs.
    for (QPushButton *button : {TickAllBtn, TickNoneBtn})
        button->setAutoDefault(false);
    choices->addWidget(AllRowsBox);
    choices->addStretch();
    choices->addWidget(TickAllBtn);
    choices->addWidget(TickNoneBtn);
    Table = new QTableWidget(0, 5, this);
    Table->verticalHeader()->hide();
    // The current row is the one Space ticks: it is shown as selected.
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes from control to control, through the table and out of it;
    // the arrow keys move within it.
    Table->setTabKeyNavigation(false);
    Table->horizontalHeader()->setStretchLastSection(false);
    Table->installEventFilter(this);
    auto *buttons = new QHBoxLayout;
    OKBtn = new QPushButton(this);
    CancelBtn = new QPushButton(this);
    CancelBtn->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addWidget(Heading);
    layout->addLayout(choices);
    layout->addWidget(Table);
    layout->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(AllRowsBox, &QCheckBox::toggled, this, &WriteBackDialog::showRows);
    connect(TickAllBtn, &QPushButton::clicked, this, &WriteBackDialog::tickShown);
    connect(TickNoneBtn, &QPushButton::clicked, this, &WriteBackDialog::tickNone);
}

namespace {

// A row is ticked for the user where it differs and may be written; the
// drive type only by his own tick.
bool tickedAtFirst(const params::CompareRow &r)
{
    return r.writable && r.differs && r.live == params::Live::None;
}

} // namespace

void WriteBackDialog::setRows(const QList<params::CompareRow> &rows)
{
    m_rows = rows;
    setWindowTitle(tr("Parameter in ZYNT übertragen"));
    int ticked = 0;
    for (const params::CompareRow &r : rows)
        ticked += tickedAtFirst(r) ? 1 : 0;
    Heading->setText(tr("%1 von %2 Parametern der Datei weichen von der ZYNT ab und sind zum "
                        "Schreiben angehakt. Grau: Zustand der ZYNT, wird nie geschrieben.")
                         .arg(ticked)
                         .arg(rows.size()));
    Table->setHorizontalHeaderLabels(
        {QString(), tr("Bezeichnung"), tr("Beschreibung"), QStringLiteral("ZYNT"), tr("Datei")});
    AllRowsBox->setText(tr("Alle Zeilen"));
    TickAllBtn->setText(tr("Alle ankreuzen"));
    TickNoneBtn->setText(tr("Keine"));
    OKBtn->setText(tr("Angehakte schreiben"));
    CancelBtn->setText(tr("Abbrechen"));
    Table->setRowCount(int(rows.size()));
    const QString state = tr("Zustand der ZYNT");
    for (int i = 0; i < int(rows.size()); ++i) {
        const params::CompareRow &r = rows[i];
        auto *tick = new QTableWidgetItem;
        tick->setFlags(r.writable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemFlags());
        tick->setCheckState(tickedAtFirst(r) ? Qt::Checked : Qt::Unchecked);
        Table->setItem(i, ColTick, tick);
        Table->setItem(i, ColDesignation, cell(r.designation));
        Table->setItem(i, ColDescription, cell(r.description));
        Table->setItem(i, ColDrive, cell(r.driveValue));
        Table->setItem(i, ColFile, cell(r.fileValue));
        for (int column = ColDesignation; column <= ColFile; ++column) {
            QTableWidgetItem *item = Table->item(i, column);
            if (!r.writable || r.live != params::Live::None) {
                item->setForeground(Qt::gray);
                item->setToolTip(r.live != params::Live::None ? params::liveReason(r.live) : state);
            } else if (r.differs) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
        }
    }
    Table->resizeColumnsToContents();
    // The description takes the width the others leave.
    Table->horizontalHeader()->setSectionResizeMode(ColDescription, QHeaderView::Stretch);
    {
        // Each comparison starts with the rows that differ.
        const QSignalBlocker quiet(AllRowsBox);
        AllRowsBox->setChecked(false);
    }
    showRows();
    // The keyboard starts on the first row shown.
    for (int i = 0; i < Table->rowCount(); ++i) {
        if (!Table->isRowHidden(i)) {
            Table->setCurrentCell(i, ColDesignation);
            break;
        }
    }
    Table->setFocus();
}

void WriteBackDialog::showRows()
{
    const bool all = AllRowsBox->isChecked();
    for (int i = 0; i < int(m_rows.size()) && i < Table->rowCount(); ++i) {
        const bool ticked = Table->item(i, ColTick)->checkState() == Qt::Checked;
        Table->setRowHidden(i, !(all || m_rows[i].differs || ticked));
    }
}

void WriteBackDialog::tickShown()
{
    for (int i = 0; i < int(m_rows.size()) && i < Table->rowCount(); ++i) {
        const params::CompareRow &r = m_rows[i];
        if (!Table->isRowHidden(i) && r.writable && r.live == params::Live::None)
            Table->item(i, ColTick)->setCheckState(Qt::Checked);
    }
}

void WriteBackDialog::tickNone()
{
    for (int i = 0; i < Table->rowCount(); ++i)
        Table->item(i, ColTick)->setCheckState(Qt::Unchecked);
}

bool WriteBackDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Space ticks the current row from any of its cells (the table itself
    // would only tick from the tick's cell).
    if (watched == Table && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        const int row = Table->currentRow();
        if (QTableWidgetItem *tick = row >= 0 ? Table->item(row, ColTick) : nullptr;
            tick && (tick->flags() & Qt::ItemIsUserCheckable)) {
            tick->setCheckState(tick->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QList<QByteArray> WriteBackDialog::tickedAssignments() const
{
    QList<QByteArray> assignments;
    for (int i = 0; i < int(m_rows.size()) && i < Table->rowCount(); ++i) {
        if (m_rows[i].writable && Table->item(i, ColTick)->checkState() == Qt::Checked)
            assignments << m_rows[i].assignment;
    }
    return assignments;
}

WriteBackReport::WriteBackReport()
    : QDialog(nullptr)
{
    resize(460, 300);
    auto *layout = new QVBoxLayout(this);
    Summary = new QLabel(this);
    Summary->setWordWrap(true);
    Table = new QTableWidget(0, 3, this);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setStretchLastSection(true);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    layout->addWidget(Summary);
    layout->addWidget(Table);
    layout->addWidget(OKBtn, 0, Qt::AlignRight);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void WriteBackReport::show(int sent, const QList<params::Difference> &differing)
{
    setWindowTitle(tr("Parameter in ZYNT übertragen"));
    if (differing.isEmpty()) {
        Summary->setText(tr("%1 Parameter geschrieben und bestätigt").arg(sent));
    } else {
        Summary->setText(tr("%1 von %2 Parametern hält die ZYNT anders, als sie gesendet wurden:")
                             .arg(differing.size())
                             .arg(sent));
    }
    Table->setVisible(!differing.isEmpty());
    Table->setHorizontalHeaderLabels({tr("Parameter"), tr("gesendet"), QStringLiteral("ZYNT")});
    Table->setRowCount(int(differing.size()));
    for (int i = 0; i < int(differing.size()); ++i) {
        Table->setItem(i, 0, cell(differing[i].designation));
        Table->setItem(i, 1, cell(differing[i].fileValue));
        Table->setItem(i, 2, cell(differing[i].driveValue));
    }
    QDialog::show();
    raise();
}
