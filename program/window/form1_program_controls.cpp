// SPDX-License-Identifier: GPL-3.0-or-later
// The program editor's controls on the main window: the grid, which shows the
// program model and writes every edit back into it, and the buttons.
#include "shell/window/tform1.h"

#include "shell/window/controls.h"
#include "shell/cp1252.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

using controls::newButton;
using controls::newLabel;

namespace {

// Row 0 (the heading) and column 0 (the line labels) are fixed; row 300 is
// the overflow slot, held but never shown.
bool isEditableCell(int row, int column)
{
    return column == 1 && row >= 1 && row <= program::kVisibleRows;
}

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

// The grid's in-place editor and its keys: the fixed cells get no editor and
// look fixed, and Enter ends an edit and moves on as it does outside one.
// It also watches the close button for its hint.
class TForm1::ProgramGridDelegate : public QStyledItemDelegate {
public:
    explicit ProgramGridDelegate(TForm1 *form)
        : QStyledItemDelegate(form->StringGrid1)
        , m_form(form)
        , m_grid(form->StringGrid1)
        , m_closeButton(form->Button5)
    {
    }

    // Hands the open editor's text to the grid (and so to the model) and closes it.
    void finishEditing()
    {
        if (QWidget *editor = m_editor.data()) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        if (!isEditableCell(index.row(), index.column()))
            return nullptr;
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        m_editor = editor;
        return editor;
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        if (m_editor == editor)
            m_editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    // The line labels are drawn in the fixed column's colour, right-aligned
    // and in a font small enough for "300:#" to fit the narrow column whole.
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() != 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect area = option.rect.adjusted(1, 0, -2, 0);
        const QFont font = controls::fittingFont(option.font, QStringLiteral("300:#"), area.width(), 5);
        painter->save();
        // A marked line (refused, traced) shows its colour here as well.
        const QVariant mark = index.data(Qt::BackgroundRole);
        painter->fillRect(option.rect, mark.canConvert<QBrush>() && mark.value<QBrush>().style() != Qt::NoBrush
                                           ? mark.value<QBrush>()
                                           : m_form->palette().brush(QPalette::Button));
        painter->setFont(font);
        painter->setPen(m_form->palette().color(QPalette::ButtonText));
        painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, index.data().toString().trimmed());
        painter->restore();
    }

protected:

    // The watched controls are compared with the pointers kept here: while
    // the main window is being taken down, its own members are not to be
    // read any more, and its controls still send events.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_closeButton) {
            if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
                m_form->Button5MouseMove();
            return false;
        }
        if (watched == m_grid) {
            if (!isEnterKey(event))
                return false;
            m_form->StringGrid1KeyPress('\r');
            return true;
        }
        if (watched == m_editor && isEnterKey(event)) {
            finishEditing();
            m_form->StringGrid1KeyPress('\r');
            return true;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    TForm1 *m_form;
    QObject *m_grid;
    QObject *m_closeButton;
    mutable QPointer<QWidget> m_editor;
};

void TForm1::createProgramEditor(QWidget *area)
{
    // Row 0 holds the heading and column 0 the line labels, as the start-up
    // writes them. The heading row is shown as the column header, so that it
    // stays in view while the lines scroll; row 300 is never shown.
    StringGrid1 = new QTableWidget(program::kRows + 1, 2, area);
    StringGrid1->setGeometry(4, 40, 306, 330);
    StringGrid1->verticalHeader()->hide();
    // Rows as low as the start-up makes them (16 pixels), whatever the font.
    StringGrid1->verticalHeader()->setMinimumSectionSize(8);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setHorizontalHeaderLabels({QString(), QString::fromLatin1(program::kHeading)});
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->setRowHidden(0, true);
    StringGrid1->setRowHidden(program::kOverflowRow, true);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::DoubleClicked);
    StringGrid1->setToolTip(QStringLiteral("Editor für Ablaufprogramm"));
    for (int row = 1; row <= program::kRows; ++row)
        StringGrid1->setItem(row, 1, new QTableWidgetItem);
    StringGrid1->setCurrentCell(1, 1);
    StringGrid1->hide();

    const int x = 316;
    const int w = 180;
    Liste_Speichern = newButton(area, QStringLiteral("Programm in ZYNT Speichern"), x, 40, w, 25);
    Liste_Speichern->setToolTip(QStringLiteral("Programm vom Editor in ZYNT-EEProm schreiben"));
    Button4 = newButton(area, QStringLiteral("Zeile ausführen"), x, 70, w, 25);
    Button4->setToolTip(QStringLiteral("Aktuelle Zeile wird ausgeführt"));
    Button1 = newButton(area, QStringLiteral("Programm starten"), x, 100, w, 25);
    Button1->setToolTip(QStringLiteral("Programm in der ZYNT starten"));
    Button2 = newButton(area, QStringLiteral("STOP"), x, 130, w, 25);
    Button2->setToolTip(QStringLiteral("Programm wird gestoppt"));
    Button6 = newButton(area, QStringLiteral("Zeile Einfügen"), x, 170, w, 25);
    Button6->setToolTip(QStringLiteral("Vor aktueller Zeile eine neue Zeile einfügen"));
    Button7 = newButton(area, QStringLiteral("Zeile löschen"), x, 200, w, 25);
    Button7->setToolTip(QStringLiteral("Aktuelle Zeile Löschen"));
    Button16 = newButton(area, QStringLiteral("Teach IN"), x, 230, w, 25);
    Button16->setToolTip(QStringLiteral("Fügt in aktiver Zeile die aktueller ZYNT-Position ein"));
    Button12 = newButton(area, QStringLiteral("Trace Modus OFF"), x, 270, w, 25);
    Button12->setToolTip(QStringLiteral("Der Einzelschritt (Trace) Modus wird aktiviert"));
    Button14 = newButton(area, QStringLiteral("Trace"), x, 300, w, 25);
    Button14->setToolTip(QStringLiteral("Einzelschritt"));
    Label11 = newLabel(area, QString(), x, 332, w, 36);
    Label11->setWordWrap(true);
    Button5 = newButton(area, QStringLiteral("Schließen"), 4, 374, 120, 25);
    for (QWidget *widget : std::initializer_list<QWidget *> {Liste_Speichern, Button4, Button1, Button2, Button6,
                                                             Button7, Button16, Button12, Button14, Label11,
                                                             Button5})
        widget->hide();
}

void TForm1::connectProgramControls()
{
    // The trace lines at the foot of the window: each caption as wide as its
    // text needs, its command right after it.
    int x = Label13->x();
    for (const auto &[caption, command] : {std::pair {Label13, Label12}, std::pair {Label10, Label9}}) {
        const int width = std::max(caption->width(), caption->sizeHint().width());
        caption->setGeometry(x, caption->y(), width, caption->height());
        command->setGeometry(x + width + 4, caption->y(), command->width(), caption->height());
        x = command->geometry().right() + 8;
    }

    ProgramDelegate = new ProgramGridDelegate(this);
    StringGrid1->setItemDelegate(ProgramDelegate);
    StringGrid1->installEventFilter(ProgramDelegate);
    Button5->setMouseTracking(true);
    Button5->installEventFilter(ProgramDelegate);
    connect(StringGrid1, &QTableWidget::cellClicked, this, &TForm1::StringGrid1Click);
    connect(StringGrid1, &QTableWidget::cellChanged, this, &TForm1::programCellChanged);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    const std::pair<QPushButton *, void (TForm1::*)()> buttons[] = {
        {Liste_Speichern, &TForm1::Liste_SpeichernClick},
        {Button1, &TForm1::Button1Click},
        {Button2, &TForm1::Button2Click},
        {Button4, &TForm1::Button4Click},
        {Button5, &TForm1::Button5Click},
        {Button6, &TForm1::Button6Click},
        {Button7, &TForm1::Button7Click},
        {Button12, &TForm1::Button12Click},
        {Button14, &TForm1::Button14Click},
        {Button16, &TForm1::Button16Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);

    // What the core reports of the program.
    connect(Core, &DriveCore::programChanged, this, &TForm1::showProgram);
    connect(Core, &DriveCore::programReadStarted, this, &TForm1::showProgramReadStart);
    connect(Core, &DriveCore::programReadEnded, this, &TForm1::showProgramReadEnd);
    connect(Core, &DriveCore::programWriteStarted, this, &TForm1::showProgramWriteStart);
    connect(Core, &DriveCore::programWriteEnded, this, &TForm1::endTransferDisplay);
    connect(Core, &DriveCore::programWriteEnded, this, [this] {
        // The backup stays named: it is what undoes the write. Only a write
        // the drive took whole makes the editor's lines the drive's.
        if (Core->ProgramRefused) {
            statusNote(tr("Die ZYNT hat das Programm abgelehnt und behält ihr bisheriges"));
            return;
        }
        if (RefusedRow == 0)
            ProgramEdited = false;
        if (RefusedRow > 0)
            statusNote(tr("Programm übertragen; die ZYNT hat Zeile %1 abgewiesen. Sicherung: %2")
                           .arg(RefusedRow)
                           .arg(ProgramBackupFile));
        else
            statusNote(tr("Programm in die ZYNT übertragen. Sicherung: %1").arg(ProgramBackupFile));
    });
    connect(Core, &DriveCore::traceAnswered, this, &TForm1::showTraceLine);
    connect(Core, &DriveCore::driveProgramRead, this, &TForm1::backupProgramAndWrite);
    connect(Core, &DriveCore::programLineRefused, this,
            [this](int row) { markProgramRow(RefusedRow, row, QColor(0xFF, 0xB0, 0xB0)); });
    connectCutWriteReports();
    connect(Core, &DriveCore::programTooLong, this, [this](int total) { errorBox(Core->programTooLongText(total)); });
}

void TForm1::showProgram()
{
    const QSignalBlocker quiet(StringGrid1); // the model is the source here
    for (int row = 1; row <= program::kRows; ++row) {
        QTableWidgetItem *cell = StringGrid1->item(row, 1);
        if (!cell)
            StringGrid1->setItem(row, 1, cell = new QTableWidgetItem);
        const QString text = fromCp1252(Program[size_t(row)]);
        if (cell->text() != text)
            cell->setText(text);
    }
}

void TForm1::programCellChanged(int row, int column)
{
    QTableWidgetItem *cell = StringGrid1->item(row, column);
    if (!cell || column != 1 || row < 1 || row > program::kRows)
        return;
    // A colour or a selection changes the cell too, but not the line.
    const QByteArray line = toCp1252(cell->text());
    if (line == Program[size_t(row)] && cell->text() == fromCp1252(line))
        return;
    Program[size_t(row)] = line;
    ProgramEdited = true;
    // A character outside the drive's code page is shown as it will be sent.
    const QString shown = fromCp1252(Program[size_t(row)]);
    if (cell->text() != shown) {
        const QSignalBlocker quiet(StringGrid1);
        cell->setText(shown);
    }
}

void TForm1::finishProgramEditing()
{
    if (ProgramDelegate)
        ProgramDelegate->finishEditing();
}

int TForm1::currentProgramRow() const
{
    return std::clamp(StringGrid1->currentRow(), 1, program::kVisibleRows);
}
