// SPDX-License-Identifier: GPL-3.0-or-later
// Program files through the menu: saving the grid, loading a file into it,
// the name display, and files that cannot be read or written.
#include "programfixture.h"

#include "program/programfile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestProgramFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveAndLoadBack();
    void loadPlacesLinesByPosition_data();
    void loadPlacesLinesByPosition();
    void loadWithTraceOn();
    void loadWithoutDrive();
    void nameDisplay_data();
    void nameDisplay();
    void cancelledDialogs();
    void fileThatCannotBeOpened();
    void readErrorInTheMiddle();
    void filesThatAreNotWhatTheyClaim_data();
    void filesThatAreNotWhatTheyClaim();
    void fileThatCannotBeWritten();

private:
    QString path(const QString &name) const { return fx->shell.dir.filePath(name); }
    // Loads through the menu, the dialog answered with the file's name.
    void load(const QString &name);

    ProgramFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestProgramFiles::init()
{
    fx = new ProgramFixture;
    QVERIFY2(fx->start(), "could not start the window with the simulated drive");
    f = fx->f;
}

void TestProgramFiles::cleanup()
{
    delete fx;
    fx = nullptr;
    f = nullptr;
}

void TestProgramFiles::load(const QString &name)
{
    fx->nextFileName = name;
    f->N1->trigger();
}

void TestProgramFiles::saveAndLoadBack()
{
    f->BitBtn1->click();
    QVERIFY(fx->typeLine(1, QStringLiteral("ref")));
    QVERIFY(fx->typeLine(2, QStringLiteral("W=1000")));
    QVERIFY(fx->typeLine(5, QStringLiteral("Wäge")));
    f->ConfirmOverwrite = false;
    const QString name = path(QStringLiteral("three.prg"));
    fx->nextFileName = name;
    f->FileSpeichern1->trigger();
    QCOMPARE(fx->fileDialogs, (QList<bool> {true}));
    const FileDialogRequest &asked = fx->dialogRequests.value(0);
    QCOMPARE(asked.title, QStringLiteral("Save"));
    QCOMPARE(asked.defaultSuffix, QStringLiteral("prg"));
    QCOMPARE(asked.fileName, QStringLiteral("*.prg"));
    QCOMPARE(asked.filter, QStringLiteral("ZYNT Programm Files (*.prg)|*.prg|") + fromCp1252(f->Texte[1][75]) +
                               QStringLiteral(" (*.*)|*.*"));
    QCOMPARE(fileBytes(name), QByteArray("ref\r\nW=1000\r\nW\xe4ge\r\n"));
    QCOMPARE(f->Label11->text(), program::fileNameCaption(name));
    QVERIFY(!f->ConfirmOverwrite); // a save does not touch the flag
    QVERIFY(fx->sent().isEmpty());  // nor the drive

    fx->setLines(ProgramFixture::numbered(300, "old"));
    load(name);
    QCOMPARE(fx->fileDialogs, (QList<bool> {true, false}));
    QCOMPARE(fx->rows(1, 4), (QByteArrayList {"ref", "W=1000", "W\xe4ge", ""}));
    QCOMPARE(f->StringGrid1->item(3, 1)->text(), QStringLiteral("Wäge"));
    QVERIFY(f->Program[300].isEmpty());
    QVERIFY(fx->gridShowsModel());
    QVERIFY(f->ConfirmOverwrite);
    QCOMPARE(f->HelpContext, 1);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r"}));
    QVERIFY(fx->messages().isEmpty());
}

void TestProgramFiles::loadPlacesLinesByPosition_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("rows");   // rows 1.. as loaded
    QTest::addColumn<QByteArray>("overflow");   // row 300

    QByteArray lines305;
    for (int i = 1; i <= 305; ++i)
        lines305 += "T" + QByteArray::number(i) + "\r\n";
    QByteArrayList rows299;
    for (int i = 1; i <= 299; ++i)
        rows299.append("T" + QByteArray::number(i));
    QTest::newRow("305 lines") << lines305 << rows299 << QByteArray("T300");
    QTest::newRow("empty file") << QByteArray() << QByteArrayList {""} << QByteArray();
    QTest::newRow("empty second line") << QByteArray("ref\r\n\r\ne\r\n") << QByteArrayList {"ref", "", "e", ""}
                                       << QByteArray();
    QTest::newRow("bare line ends, no last one") << QByteArray("a\nb\rc") << QByteArrayList {"a", "b", "c", ""}
                                                 << QByteArray();
}

void TestProgramFiles::loadPlacesLinesByPosition()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, rows);
    QFETCH(QByteArray, overflow);

    const QString name = path(QStringLiteral("in.prg"));
    QVERIFY(writeFile(name, file));
    fx->setLines(ProgramFixture::numbered(300, "old"));
    load(name);
    QCOMPARE(fx->rows(1, int(rows.size())), rows);
    for (int row = int(rows.size()) + 1; row < 300; ++row)
        QVERIFY(f->Program[size_t(row)].isEmpty());
    QCOMPARE(f->Program[300], overflow);
    QVERIFY(fx->gridShowsModel());
    QVERIFY(f->StringGrid1->isVisible());
    QVERIFY(f->Label11->isVisible());

    if (QTest::currentDataTag() == QByteArray("empty second line")) {
        // Writing it sends row 1 only: the empty row ends the program.
        QVERIFY(fx->idle());
        fx->line().clearReceived();
        QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
        QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden(), kWait);
        QVERIFY(fx->idle());
        // The drive's program is read for the backup before, and read back
        // after, to check it.
        QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r", "#1p1028=8\r", "#1list\r", "#1TROFF\r", "#1S\r",
                                                 "#1new\r", "#1ref\r", "#1quit\r", "#1TROFF\r", "#1p1028=8\r",
                                                 "#1list\r"}));
    }
}

void TestProgramFiles::loadWithTraceOn()
{
    const QString name = path(QStringLiteral("t.prg"));
    QVERIFY(writeFile(name, "ref\r\n"));
    f->Core->TraceMode = true;
    f->Button14->show();
    f->Label9->show();
    load(name);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r", "#1s\r"}));
    QVERIFY(!f->Core->TraceMode);
    QVERIFY(f->Button14->isHidden());
    QVERIFY(f->Label9->isHidden());
    QCOMPARE(f->Button12->text(), fx->shell.german(155));
}

void TestProgramFiles::loadWithoutDrive()
{
    const QString name = path(QStringLiteral("nodrive.prg"));
    QVERIFY(writeFile(name, "ref\r\ne\r\n"));
    f->Core->DriveConnected = 0;
    load(name);
    QCOMPARE(fx->rows(1, 2), (QByteArrayList {"ref", "e"}));
    QVERIFY(f->ConfirmOverwrite);
}

void TestProgramFiles::nameDisplay_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("50 characters") << 50 << false;
    QTest::newRow("51 characters") << 51 << true;
}

void TestProgramFiles::nameDisplay()
{
    QFETCH(int, length);
    QFETCH(bool, shortened);
    // A file name whose full path has exactly this many characters.
    const QString folder = fx->shell.dir.path() + QStringLiteral("/");
    const int stem = length - int(folder.size()) - 4;
    QVERIFY2(stem >= 1, "the temporary folder's path is too long for this test");
    const QString name = folder + QString(stem, QLatin1Char('n')) + QStringLiteral(".prg");
    QCOMPARE(name.size(), length);

    fx->setLines({"ref"});
    fx->nextFileName = name;
    f->FileSpeichern1->trigger();
    const QString expected = shortened ? QStringLiteral("\\...") + name.right(50) : name;
    QCOMPARE(f->Label11->text(), expected);
    f->Label11->clear();
    load(name);
    QCOMPARE(f->Label11->text(), expected);
}

void TestProgramFiles::cancelledDialogs()
{
    fx->setLines({"keep"});
    f->Label11->setText(QStringLiteral("before"));
    fx->nextFileName.clear();
    f->FileSpeichern1->trigger();
    f->N1->trigger();
    QCOMPARE(fx->fileDialogs, (QList<bool> {true, false}));
    QCOMPARE(f->Program[1], QByteArray("keep"));
    QCOMPARE(f->Label11->text(), QStringLiteral("before"));
    QVERIFY(!f->ConfirmOverwrite);
    QVERIFY(QDir(fx->shell.dir.path()).entryList({QStringLiteral("*.prg")}).isEmpty());
}

void TestProgramFiles::fileThatCannotBeOpened()
{
    fx->setLines({"keep", "these"});
    load(path(QStringLiteral("missing.prg")));
    QCOMPARE(fx->messages().size(), 1);
    QVERIFY2(fx->messages().first().contains(QStringLiteral("missing.prg")), qPrintable(fx->messages().first()));
    QVERIFY2(fx->messages().first().contains(QStringLiteral("No such file")), qPrintable(fx->messages().first()));
    QCOMPARE(fx->rows(1, 2), (QByteArrayList {"keep", "these"}));
    QVERIFY(!f->ConfirmOverwrite);
    QVERIFY(fx->sent().isEmpty());
}

void TestProgramFiles::readErrorInTheMiddle()
{
    // This file opens, but reading it fails at once: nothing was read, so
    // the grid keeps what it showed.
    if (!QFileInfo(QStringLiteral("/proc/self/mem")).exists())
        QSKIP("no file here that fails on reading");
    fx->setLines({"old"});
    load(QStringLiteral("/proc/self/mem"));
    QCOMPARE(fx->messages().size(), 1);
    QVERIFY2(fx->messages().first().contains(QStringLiteral("/proc/self/mem")), qPrintable(fx->messages().first()));
    QCOMPARE(fx->rows(1, 2), (QByteArrayList {"old", ""}));
    QVERIFY(fx->gridShowsModel());
    QVERIFY(!f->ConfirmOverwrite);
}

void TestProgramFiles::filesThatAreNotWhatTheyClaim_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo" << "not a regular file";
    QTest::newRow("character device") << "device" << "not a regular file";
    QTest::newRow("oversize") << "oversize" << "more than any such file holds";
    QTest::newRow("long line") << "long" << "line 2 is";
}

void TestProgramFiles::filesThatAreNotWhatTheyClaim()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString name = path(kind + QStringLiteral(".prg"));
    if (kind == "fifo")
        QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0600) == 0);
    else if (kind == "device")
        name = QStringLiteral("/dev/zero");
    else if (kind == "oversize")
        QVERIFY(writeFile(name, QByteArray(2 << 20, 'W')));
    else
        QVERIFY(writeFile(name, "ref\r\n" + QByteArray(2000, 'W') + "\r\ne\r\n"));
    fx->setLines({"keep", "these"});
    load(name); // a FIFO read as a file would never return
    QCOMPARE(fx->messages().size(), 1);
    QVERIFY2(fx->messages().first().contains(QFileInfo(name).fileName()), qPrintable(fx->messages().first()));
    QVERIFY2(fx->messages().first().contains(reason), qPrintable(fx->messages().first()));
    QCOMPARE(fx->rows(1, 3), (QByteArrayList {"keep", "these", ""}));
    QVERIFY(fx->sent().isEmpty());
}

void TestProgramFiles::fileThatCannotBeWritten()
{
    const QString name = path(QStringLiteral("no/such/folder/out.prg"));
    fx->setLines({"ref"});
    f->Label11->setText(QStringLiteral("before"));
    fx->nextFileName = name;
    f->FileSpeichern1->trigger();
    QCOMPARE(fx->messages().size(), 1);
    QVERIFY2(fx->messages().first().contains(QStringLiteral("out.prg")), qPrintable(fx->messages().first()));
    QCOMPARE(f->Label11->text(), QStringLiteral("before"));
    QCOMPARE(f->Program[1], QByteArray("ref"));

    // A name that is a folder cannot become a program file either.
    QVERIFY(QDir(fx->shell.dir.path()).mkdir(QStringLiteral("folder.prg")));
    fx->nextFileName = path(QStringLiteral("folder.prg"));
    f->FileSpeichern1->trigger();
    QCOMPARE(fx->messages().size(), 2);
    QVERIFY(QFileInfo(path(QStringLiteral("folder.prg"))).isDir());
    QCOMPARE(f->Label11->text(), QStringLiteral("before"));
}

QTEST_MAIN(TestProgramFiles)
#include "test_programfiles.moc"
