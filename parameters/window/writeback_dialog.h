// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison before a write-back, and the report after it: windows of
// their own, so that they stay usable while the main window is locked.
#pragma once

#include "parameters/compare.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

// One row per parameter of the loaded file: designation, description, the
// drive's value and the file's, and a tick where it will be written. The
// rows that differ are shown ("Alle Zeilen" shows every one); a ticked row
// is never hidden. Space ticks the current row.
class WriteBackDialog : public QDialog {
    Q_OBJECT
public:
    enum Column { ColTick, ColDesignation, ColDescription, ColDrive, ColFile };

    WriteBackDialog();
    // Rows the drive's state forbids are shown unticked and cannot be ticked.
    void setRows(const QList<params::CompareRow> &rows);
    // The assignments of the ticked rows, in grid order.
    QList<QByteArray> tickedAssignments() const;

    QLabel *Heading = nullptr;
    QCheckBox *AllRowsBox = nullptr;
    QPushButton *TickAllBtn = nullptr, *TickNoneBtn = nullptr;
    QTableWidget *Table = nullptr;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Every row with the switch on; otherwise the rows that differ or are ticked.
    void showRows();
    // Ticks the rows shown that are the file's to write (not the drive type's).
    void tickShown();
    void tickNone();

    QList<params::CompareRow> m_rows;
};

// What the drive lists after the write-back against what was sent.
class WriteBackReport : public QDialog {
    Q_OBJECT
public:
    WriteBackReport();
    void show(int sent, const QList<params::Difference> &differing);

    QLabel *Summary = nullptr;
    QTableWidget *Table = nullptr;
    QPushButton *OKBtn = nullptr;
};
