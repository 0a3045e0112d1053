// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/helpviewer.h"

#include "shell/datafiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace help {

QString locatePage(const QString &currentFolder, const QString &startFolder, const QString &name)
{
    const QString own = QDir(currentFolder).filePath(name);
    if (QFileInfo(own).isFile())
        return own;
    return datafiles::locate(startFolder, name);
}

QString readError(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

} // namespace help

namespace {

// The help windows alive, one per main window.
QList<QPointer<HelpViewer>> &viewers()
{
    static QList<QPointer<HelpViewer>> list;
    return list;
}

} // namespace

HelpViewer::HelpViewer(QWidget *owner)
    : QWidget(nullptr, Qt::Window)
    , m_owner(owner)
    , m_browser(new QTextBrowser(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setObjectName(QStringLiteral("HelpViewer"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);
    m_browser->document()->setDocumentMargin(12);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(760, 620);
    // The page's own title names the window, in the page's language.
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QFileInfo(page()).fileName() : title);
    });
    auto *close = new QShortcut(QKeySequence::Cancel, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    // Gone with its main window; deleted directly, since no event loop may
    // run after the main window.
    connect(owner, &QObject::destroyed, [viewer = QPointer<HelpViewer>(this)] { delete viewer.data(); });
}

HelpViewer *HelpViewer::of(const QWidget *owner)
{
    QList<QPointer<HelpViewer>> &list = viewers();
    list.removeAll(nullptr);
    for (const QPointer<HelpViewer> &viewer : list) {
        if (viewer->m_owner == owner)
            return viewer;
    }
    return nullptr;
}

HelpViewer *HelpViewer::showPage(QWidget *owner, const QString &path)
{
    HelpViewer *viewer = of(owner);
    if (!viewer) {
        viewer = new HelpViewer(owner);
        viewers().append(viewer);
    }
    viewer->load(path);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

QString HelpViewer::page() const
{
    return m_browser->source().toLocalFile();
}

void HelpViewer::load(const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (m_browser->source().adjusted(QUrl::RemoveFragment) == url)
        return;
    m_browser->clearHistory();
    m_browser->setSource(url, QTextDocument::HtmlResource);
}
