// SPDX-License-Identifier: GPL-3.0-or-later
// The live plot: position and analogue value above, the in-position state,
// the outputs, the inputs and ON/OFF as lanes below, over the last minutes.
// It is fed the poll's cycles and sends nothing to the drive.
#pragma once

#include "manual/plotdata.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <array>
#include <functional>

class QAbstractAxis;
class QChart;
class QChartView;
class QComboBox;
class QLineSeries;
class QPushButton;
class QTimer;
class QValueAxis;

class TPlotWindow : public QWidget {
    Q_OBJECT
public:
    explicit TPlotWindow(QWidget *parent = nullptr);

    // A finished poll cycle. Kept while paused; drawn at the next refresh.
    void addCycle(const status::CycleSample &sample);
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    // The span shown, in seconds (the last minutes).
    void setSpan(int seconds);
    int span() const { return m_span; }
    void setLanguage(int language);
    // Draws what came since the last refresh (the timer does so once a second).
    void refresh();
    // The picture of both charts as PNG bytes.
    QByteArray picture() const;

    const plot::History &history() const { return m_history; }
    // The series of the position's newest piece of line (the one since the
    // last gap); all of its pieces, each a series.
    QLineSeries *positionSeries() const;
    QList<QLineSeries *> positionPieces() const;

    QPushButton *PauseButton = nullptr;
    QPushButton *ZoomResetButton = nullptr;
    QPushButton *SaveButton = nullptr;
    QComboBox *SpanBox = nullptr;
    // Asks where to save the picture; the window's owner shows the dialog.
    std::function<QString()> AskPictureFile;
    // Tells the user where the picture went, or why it did not.
    std::function<void(const QString &path, const QString &error)> Report;

protected:
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // One trace drawn as pieces of line, a series each, all of its colour;
    // the first stands for it in the legend.
    struct PiecedLine {
        QChart *chart = nullptr;
        QList<QAbstractAxis *> axes;
        QColor colour;
        QList<QLineSeries *> pieces;
        int used = 0;
        void replace(const plot::Trace &trace);
    };
    static PiecedLine piecedLine(QChart *chart, const QColor &colour, const QList<QAbstractAxis *> &axes);

    void savePicture();
    void zoomed();
    void updateCaptions();

    plot::History m_history;
    bool m_paused = false;
    bool m_dirty = false;
    bool m_syncing = false;
    bool m_refreshing = false;
    int m_span = 120;
    int m_language = 1;
    QChart *m_analogueChart = nullptr;
    QChart *m_laneChart = nullptr;
    QChartView *m_analogueView = nullptr;
    QChartView *m_laneView = nullptr;
    PiecedLine m_position;
    PiecedLine m_analogue;
    std::array<PiecedLine, plot::LaneCount> m_lanes {};
    QValueAxis *m_time = nullptr;
    QValueAxis *m_laneTime = nullptr;
    QValueAxis *m_positionAxis = nullptr;
    QValueAxis *m_analogueAxis = nullptr;
    QTimer *m_refresh = nullptr;
};
