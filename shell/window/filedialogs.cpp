// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/filedialogs.h"

#include <QFileDialog>
#include <QStringList>

QString runFileDialog(const FileDialogRequest &request)
{
    // The filter comes as "name|pattern|name|pattern"; Qt wants "name;;name",
    // the patterns being part of the names.
    const QStringList parts = request.filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    QFileDialog dialog(nullptr, request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setNameFilters(filters);
    dialog.selectFile(request.fileName);
    if (request.save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
