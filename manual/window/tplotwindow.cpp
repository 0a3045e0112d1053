// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual/window/tplotwindow.h"

#include "shell/datafiles.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRefreshMs = 1000;
const int kSpans[] = {30, 60, 120, 300, 600};

// Lane colours: the state in green, outputs red, inputs blue, ON black.
QColor laneColour(int lane)
{
    if (lane == plot::InPosition)
        return QColor(0, 140, 0);
    if (lane <= plot::Output4)
        return QColor(200, 40, 40);
    if (lane <= plot::Input8)
        return QColor(30, 80, 200);
    return Qt::black;
}

// The y range that shows every value with a little room.
std::pair<double, double> rangeOf(const plot::Trace &trace)
{
    double low = 0, high = 0;
    bool any = false;
    for (const QVector<QPointF> &piece : trace) {
        for (const QPointF &p : piece) {
            low = any ? std::min(low, p.y()) : p.y();
            high = any ? std::max(high, p.y()) : p.y();
            any = true;
        }
    }
    if (!any)
        return {-1, 1};
    const double room = std::max((high - low) * 0.05, 1.0);
    return {low - room, high + room};
}

} // namespace

TPlotWindow::TPlotWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    resize(760, 560);

    m_analogueChart = new QChart;
    m_analogueChart->legend()->setAlignment(Qt::AlignTop);
    m_analogueChart->setMargins(QMargins(4, 4, 4, 4));
    m_time = new QValueAxis;
    m_time->setLabelFormat(QStringLiteral("%.0f"));
    m_time->setTickCount(7);
    m_positionAxis = new QValueAxis;
    m_positionAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_analogueAxis = new QValueAxis;
    m_analogueAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_analogueChart->addAxis(m_time, Qt::AlignBottom);
    m_analogueChart->addAxis(m_positionAxis, Qt::AlignLeft);
    m_analogueChart->addAxis(m_analogueAxis, Qt::AlignRight);
    m_position = piecedLine(m_analogueChart, QColor(0, 0, 160), {m_time, m_positionAxis});
    m_analogue = piecedLine(m_analogueChart, QColor(200, 120, 0), {m_time, m_analogueAxis});

    m_laneChart = new QChart;
    m_laneChart->legend()->hide();
    m_laneChart->setMargins(QMargins(4, 4, 4, 4));
    m_laneTime = new QValueAxis;
    m_laneTime->setLabelFormat(QStringLiteral("%.0f"));
    m_laneTime->setTickCount(7);
    auto *laneAxis = new QCategoryAxis;
    QFont small = laneAxis->labelsFont();
    small.setPointSizeF(7);
    laneAxis->setLabelsFont(small);
    laneAxis->setTruncateLabels(false);
    // Each lane's band reaches from a quarter under its low level to a
    // quarter over its high one; its name stands in the middle.
    laneAxis->setStartValue(-0.25);
    laneAxis->setRange(-0.25, int(plot::LaneCount) * 1.5 - 0.25);
    m_laneChart->addAxis(m_laneTime, Qt::AlignBottom);
    m_laneChart->addAxis(laneAxis, Qt::AlignLeft);
    for (int lane = 0; lane < plot::LaneCount; ++lane) {
        laneAxis->append(QString::fromLatin1(plot::laneName(lane)), lane * 1.5 + 1.25);
        m_lanes[size_t(lane)] = piecedLine(m_laneChart, laneColour(lane), {m_laneTime, laneAxis});
    }
    laneAxis->setGridLineVisible(false);

    m_analogueView = new QChartView(m_analogueChart);
    m_laneView = new QChartView(m_laneChart);
    for (QChartView *view : {m_analogueView, m_laneView}) {
        view->setRenderHint(QPainter::Antialiasing, false);
        view->setRubberBand(QChartView::HorizontalRubberBand);
    }

    PauseButton = new QPushButton(this);
    ZoomResetButton = new QPushButton(this);
    SaveButton = new QPushButton(this);
    SpanBox = new QComboBox(this);
    for (int seconds : kSpans)
        SpanBox->addItem(QString(), seconds);
    auto *bar = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *> {PauseButton, ZoomResetButton, SpanBox, SaveButton})
        bar->addWidget(w);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_analogueView, 3);
    layout->addWidget(m_laneView, 4);

    connect(PauseButton, &QPushButton::clicked, this, [this] { setPaused(!m_paused); });
    connect(ZoomResetButton, &QPushButton::clicked, this, [this] {
        m_analogueChart->zoomReset();
        m_laneChart->zoomReset();
        setPaused(false);
    });
    connect(SaveButton, &QPushButton::clicked, this, &TPlotWindow::savePicture);
    connect(SpanBox, &QComboBox::activated, this, [this](int index) { setSpan(SpanBox->itemData(index).toInt()); });
    // A zoom on either chart holds the view and shows the same time in both.
    for (const auto &axes : {std::pair {m_time, m_laneTime}, std::pair {m_laneTime, m_time}}) {
        QValueAxis *to = axes.second; // a named copy: clang 14 cannot capture a structured binding
        connect(axes.first, &QValueAxis::rangeChanged, this, [this, to](qreal min, qreal max) {
            if (m_syncing)
                return;
            m_syncing = true;
            to->setRange(min, max);
            m_syncing = false;
            zoomed();
        });
    }

    m_refresh = new QTimer(this);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &TPlotWindow::refresh);
    setSpan(m_span);
    updateCaptions();
}

TPlotWindow::PiecedLine TPlotWindow::piecedLine(QChart *chart, const QColor &colour,
                                                const QList<QAbstractAxis *> &axes)
{
    PiecedLine line {chart, axes, colour, {}, 0};
    line.replace(plot::Trace {QVector<QPointF>()}); // its first series, named in the legend
    line.used = 0;
    return line;
}

void TPlotWindow::PiecedLine::replace(const plot::Trace &trace)
{
    while (pieces.size() < trace.size()) {
        auto *series = new QLineSeries;
        chart->addSeries(series);
        // After adding: the chart's theme gives a series its own colour, and
        // takes a plain black pen for one not chosen.
        series->setColor(colour);
        for (QAbstractAxis *axis : std::as_const(axes))
            series->attachAxis(axis);
        if (!pieces.isEmpty()) {
            for (QLegendMarker *marker : chart->legend()->markers(series))
                marker->setVisible(false);
        }
        pieces.append(series);
    }
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i < trace.size())
            pieces[i]->replace(trace[i]);
        else if (i < used)
            pieces[i]->clear();
    }
    used = int(trace.size());
}

QLineSeries *TPlotWindow::positionSeries() const
{
    return m_position.pieces[std::max(0, m_position.used - 1)];
}

QList<QLineSeries *> TPlotWindow::positionPieces() const
{
    return m_position.pieces.mid(0, m_position.used);
}

void TPlotWindow::addCycle(const status::CycleSample &sample)
{
    m_history.add(sample);
    m_dirty = true;
}

void TPlotWindow::setPaused(bool paused)
{
    m_paused = paused;
    updateCaptions();
    if (!paused) {
        m_dirty = true;
        refresh();
    }
}

void TPlotWindow::setSpan(int seconds)
{
    m_span = std::max(1, seconds);
    const int index = SpanBox->findData(m_span);
    if (index >= 0)
        SpanBox->setCurrentIndex(index);
    m_dirty = true;
    if (!m_paused)
        refresh();
}

void TPlotWindow::setLanguage(int language)
{
    m_language = language;
    updateCaptions();
}

void TPlotWindow::updateCaptions()
{
    setWindowTitle(tr("ZYNT Verlauf"));
    PauseButton->setText(m_paused ? tr("Weiter") : tr("Anhalten"));
    ZoomResetButton->setText(tr("Ganzer Zeitraum"));
    SaveButton->setText(tr("Als PNG speichern"));
    for (int i = 0; i < SpanBox->count(); ++i) {
        const int seconds = SpanBox->itemData(i).toInt();
        SpanBox->setItemText(i, seconds < 60 ? QStringLiteral("%1 s").arg(seconds)
                                             : QStringLiteral("%1 min").arg(seconds / 60));
    }
    m_position.pieces.front()->setName(QStringLiteral("Position"));
    m_analogue.pieces.front()->setName(tr("ADC (rechts)"));
}

void TPlotWindow::zoomed()
{
    // A range the refresh set is no zoom of the user's.
    if (!m_syncing && !m_refreshing && !m_paused)
        setPaused(true);
}

void TPlotWindow::refresh()
{
    if (m_paused || !m_dirty || !isVisible())
        return;
    m_dirty = false;
    const double end = std::max(m_history.lastSeconds(), double(m_span));
    const double from = end - m_span;
    m_refreshing = true;
    const plot::Trace position = m_history.position(from);
    const plot::Trace analogue = m_history.analogue(from);
    m_position.replace(position);
    m_analogue.replace(analogue);
    for (int lane = 0; lane < plot::LaneCount; ++lane)
        m_lanes[size_t(lane)].replace(m_history.lane(lane, from));
    const auto [low, high] = rangeOf(position);
    m_positionAxis->setRange(low, high);
    m_positionAxis->applyNiceNumbers();
    const auto [aLow, aHigh] = rangeOf(analogue);
    m_analogueAxis->setRange(aLow, aHigh);
    m_analogueAxis->applyNiceNumbers();
    m_analogueAxis->setVisible(!analogue.isEmpty());
    m_time->setRange(from, end);
    m_laneTime->setRange(from, end);
    m_refreshing = false;
}

QByteArray TPlotWindow::picture() const
{
    QImage image(m_analogueView->width(), m_analogueView->height() + m_laneView->height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    m_analogueView->render(&painter, QRectF(0, 0, m_analogueView->width(), m_analogueView->height()));
    m_laneView->render(&painter, QRectF(0, m_analogueView->height(), m_laneView->width(), m_laneView->height()));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void TPlotWindow::savePicture()
{
    if (!AskPictureFile)
        return;
    const QString path = AskPictureFile();
    if (path.isEmpty())
        return;
    // Whatever the view shows at the moment of the click.
    const QString error = datafiles::saveFile(path, picture());
    if (Report)
        Report(path, error);
}

void TPlotWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_refresh->start();
    m_dirty = true;
    refresh();
}

void TPlotWindow::hideEvent(QHideEvent *event)
{
    // Hidden, it draws nothing; the cycles are still kept.
    m_refresh->stop();
    QWidget::hideEvent(event);
}
