// SPDX-License-Identifier: GPL-3.0-or-later
// The main window that grows: what moves and what stretches when the user
// enlarges it, the size kept for the next start, and its keyboard shortcuts.
// At the design size every control stands where it always stood.
#include "shell/window/tform1.h"

#include "parameters/views.h"
#include "shell/numberplace.h"
#include "shell/window/controls.h"
#include "shell/window/growlayout.h"
#include "shell/window/tradiogroup.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStandardPaths>
#include <QTableWidget>

using namespace growlayout;

namespace {

const QSize kDesignSize(650, 480);
constexpr int kProgramLineWidth = 250;
// Between the grid's value column and an editor beside it.
constexpr int kEditorGap = 4;

} // namespace

void TForm1::createGrowth()
{
    const std::pair<QWidget *, unsigned> anchors[] = {
        {StringGrid2, GrowRight | GrowDown}, {ParameterSearch, MoveRight},
        {StringGrid1, GrowRight | GrowDown}, {Button3, MoveDown},
        {Button8, MoveDown},                 {Button5, MoveDown},
        {Liste_Speichern, MoveRight},        {Button4, MoveRight},
        {Button1, MoveRight},                {Button2, MoveRight},
        {Button6, MoveRight},                {Button7, MoveRight},
        {Button16, MoveRight},               {Button12, MoveRight},
        {Button14, MoveRight},               {Label11, MoveRight},
        {Label13, MoveDown},                 {Label12, MoveDown},
        {Label10, MoveDown},                 {Label9, MoveDown},
        {Label14, MoveDown},                 {Button11, MoveRight | MoveDown},
        {Image2, MoveRight},                 {Image3, MoveRight},
        {Image4, MoveRight},                 {Image5, MoveRight},
        {Image6, MoveRight},                 {DriveHeader, GrowRight | MoveDown},
    };
    for (const auto &[widget, anchor] : anchors)
        m_anchored.push_back({widget, anchor, widget->geometry()});
    m_positionCaption = Position->geometry();
    m_positionValue = Label5->geometry();
    m_positionFont = Label5->font();
    // The value editor's pieces, placed by the editor as it opens.
    m_rightSide = {Panel1, Panel2, RadioGroup1, RadioGroup2, RadioGroup3, GroupBox1, GroupBox2};

    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    WindowSettings = new QSettings(config + QStringLiteral("/zynt/window.ini"), QSettings::IniFormat, this);
    setMinimumSize(kDesignSize);
    statusBar()->setSizeGripEnabled(true);
}

void TForm1::setWindowSize(int width, int height)
{
    if (!WindowSettings) {
        resize(width, height); // the design state, before the growth is set up
        return;
    }
    if (isMaximized())
        return;
    const QSize kept = WindowSettings->value(QStringLiteral("main/size")).toSize();
    m_sizing = true;
    if (m_userSized)
        ; // the user's size of this run stays
    else if (kept.isValid())
        resize(kept.expandedTo(kDesignSize));
    else
        resize(width, height);
    m_sizing = false;
    if (!m_userSized && WindowSettings->value(QStringLiteral("main/maximized")).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (!WindowSettings)
        return;
    Growth = (size() - kDesignSize).expandedTo(QSize(0, 0));
    applyGrowth();
    if (!m_sizing && event->oldSize().isValid() && isVisible()) {
        m_userSized = true;
        WindowSettings->setValue(QStringLiteral("main/maximized"), isMaximized());
        if (!isMaximized())
            WindowSettings->setValue(QStringLiteral("main/size"), size());
    }
}

void TForm1::applyGrowth()
{
    for (const Anchored &a : m_anchored)
        a.widget->setGeometry(placed(a.design, a.anchor, Growth));
    const int dx = Growth.width() - m_applied.width();
    for (QWidget *w : m_rightSide)
        w->move(w->x() + dx, w->y());
    m_applied = Growth;
    // The value column stays beside the editor where the window is wide enough.
    const int room = kEditorLeft - StringGrid2->x() - StringGrid2->frameWidth() - kEditorGap;
    const std::array<int, 4> widths = params::gridColumnWidths(Growth.width(), room);
    for (int column = 0; column < 4; ++column)
        StringGrid2->setColumnWidth(column, widths[size_t(column)]);
    StringGrid1->setColumnWidth(1, kProgramLineWidth + Growth.width());
    placePositionDisplay();
    showDriveHeader(); // elided to its new width
}

void TForm1::placePositionDisplay()
{
    if (m_positionValue.isNull())
        return; // before the growth is set up, the design place stands
    // The room to the left reaches up to the search field beside it.
    const int leftmost = ParameterSearch->geometry().right() + 6;
    const QString value = Label5->text();
    const numberplace::Place place =
        numberplace::widened(placed(m_positionValue, MoveRight, Growth), placed(m_positionCaption, MoveRight, Growth),
                             QFontMetrics(m_positionFont).horizontalAdvance(value), leftmost);
    Position->setGeometry(place.caption);
    Label5->setGeometry(place.value);
    Label5->setFont(place.missing > 0 ? controls::fittingFont(m_positionFont, value, place.value.width(), 4)
                                      : m_positionFont);
}

std::vector<TForm1::MenuKey> TForm1::menuKeys()
{
    // One key may serve an item of each page: the page shown decides.
    return {
        {QKeySequence(Qt::Key_F5), {{nullptr, Parameter1, neulesen1, &TForm1::neulesen1Click}}},
        {QKeySequence(Qt::CTRL | Qt::Key_S),
         {{StringGrid1, Datei1, FileSpeichern1, &TForm1::FileSpeichern1Click},
          {StringGrid2, Parameter1, ParameterSpeichern1, &TForm1::ParameterSpeichern1Click}}},
        {QKeySequence(Qt::CTRL | Qt::Key_O),
         {{StringGrid1, Datei1, N1, &TForm1::N1Click},
          {StringGrid2, Parameter1, Parameterffnen1, &TForm1::Parameterffnen1Click}}},
    };
}

void TForm1::createShortcuts()
{
    // Each shortcut does what its menu item does, and only when that could
    // be chosen now. The window holds the key, not the items: a key set on
    // two items would fire neither.
    for (const MenuKey &key : menuKeys()) {
        auto *shortcut = new QShortcut(key.keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, items = key.items] {
            for (const MenuKey::Item &item : items) {
                const bool onPage = !item.page || item.page->isVisible();
                if (onPage && isEnabled() && item.menu->isEnabled() && item.action->isEnabled()
                    && item.action->isVisible()) {
                    (this->*item.run)();
                    return;
                }
            }
        });
    }
    showShortcutTexts();
}

void TForm1::showShortcutTexts()
{
    // After the caption, where a menu shows an item's own shortcut; the
    // captions come from the text table, which knows nothing of keys.
    for (const MenuKey &key : menuKeys()) {
        for (const MenuKey::Item &item : key.items)
            item.action->setText(item.action->text().section(QLatin1Char('\t'), 0, 0) + QLatin1Char('\t')
                                 + key.keys.toString(QKeySequence::NativeText));
    }
}
