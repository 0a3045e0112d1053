// SPDX-License-Identifier: GPL-3.0-or-later
// The main window that grows: what moves and what stretches when the user
// enlarges it, the size kept for the next start, and its keyboard shortcuts.
// At the design size every control stands where it always stood.
#include "shell/window/tform1.h"

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
// The designation column, which takes what the parameter grid gains in width.
constexpr int kDesignationWidth = 270;
constexpr int kProgramLineWidth = 250;

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
        {Position, MoveRight},               {Label5, MoveRight},
        {Image2, MoveRight},                 {Image3, MoveRight},
        {Image4, MoveRight},                 {Image5, MoveRight},
        {Image6, MoveRight},                 {DriveHeader, GrowRight | MoveDown},
    };
    for (const auto &[widget, anchor] : anchors)
        m_anchored.push_back({widget, anchor, widget->geometry()});
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
    StringGrid2->setColumnWidth(0, kDesignationWidth + Growth.width());
    StringGrid1->setColumnWidth(1, kProgramLineWidth + Growth.width());
    showDriveHeader(); // elided to its new width
}

void TForm1::createShortcuts()
{
    // Each shortcut does what its menu item or button does, and only when
    // that could be chosen now.
    auto add = [this](const QKeySequence &keys, std::function<void()> run) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, std::move(run));
    };
    const auto offered = [this](QMenu *menu, QAction *action) {
        return isEnabled() && menu->isEnabled() && action->isEnabled() && action->isVisible();
    };
    add(QKeySequence(Qt::Key_F5), [this, offered] {
        if (offered(Parameter1, neulesen1))
            neulesen1Click();
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_S), [this, offered] {
        if (StringGrid1->isVisible() && offered(Datei1, FileSpeichern1))
            FileSpeichern1Click();
        else if (StringGrid2->isVisible() && offered(Parameter1, ParameterSpeichern1))
            ParameterSpeichern1Click();
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_O), [this, offered] {
        if (StringGrid1->isVisible() && offered(Datei1, N1))
            N1Click();
        else if (StringGrid2->isVisible() && offered(Parameter1, Parameterffnen1))
            Parameterffnen1Click();
    });
}
