// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the live plot and the recording: both take the
// poll's finished cycles, so neither puts anything on the line.
#include "shell/window/tform1.h"

#include "manual/window/tform2.h"
#include "manual/window/tplotwindow.h"
#include "shell/cp1252.h"

#include <QDateTime>
#include <QPushButton>

void TForm1::connectPlotAndRecording()
{
    PlotWindow = new TPlotWindow;
    PlotWindow->setFont(font());
    PlotWindow->AskPictureFile = [this] {
        return askSaveName(tr("Bild speichern"), QStringLiteral("png"),
                           QStringLiteral("PNG"));
    };
    PlotWindow->Report = [this](const QString &path, const QString &error) {
        reportSaved(path, error, tr("Bild gespeichert"));
    };
    connect(Core, &DriveCore::cycleSampled, this, [this](const status::CycleSample &sample) {
        PlotWindow->addCycle(sample);
        recordCycle(sample);
    });
    connect(Form2->PlotButton, &QPushButton::clicked, this, &TForm1::showPlot);
    connect(Form2->RecordButton, &QPushButton::clicked, this, &TForm1::toggleRecording);
}

void TForm1::showPlot()
{
    PlotWindow->setLanguage(Sprache);
    PlotWindow->show();
    PlotWindow->raise();
    PlotWindow->activateWindow();
}

void TForm1::toggleRecording()
{
    if (Recorder.running()) {
        const recording::Recorder::Result result = Recorder.stop();
        if (!result.error.isEmpty())
            errorBox(toCp1252(result.error));
        else
            statusNote(tr("Aufzeichnung gespeichert (%1 Zeilen): ").arg(result.rows) + result.path);
    } else {
        const QDateTime now = QDateTime::currentDateTime();
        const QString path = recording::freePath(recording::folder(), now, Core->DriveAddress);
        const QString error = Recorder.start(path, now.toMSecsSinceEpoch());
        if (!error.isEmpty())
            errorBox(toCp1252(error));
        else
            statusNote(tr("Aufzeichnung läuft: ") + path);
    }
    Form2->showOwnCaptions(Sprache);
}

void TForm1::recordCycle(const status::CycleSample &sample)
{
    const QString error = Recorder.append(sample);
    if (error.isEmpty())
        return;
    // The file keeps its whole rows under "<name>.part"; the user hears why.
    Form2->showOwnCaptions(Sprache);
    errorBox(toCp1252(error));
}
