// SPDX-License-Identifier: GPL-3.0-or-later
// Files the user names: what opening refuses before reading, what a failed
// save says and leaves, and the names backups get.
#include "shell/datafiles.h"
#include "tests/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestDataFiles : public QObject {
    Q_OBJECT
private slots:
    void userFileRefusals_data();
    void userFileRefusals();
    void failedSaveNamesTheReason();
    void fullDiskIsNeverSaved();
    void exclusivePlacing();
    void folderTakesItsNameWhole();
    void backupNamesKeepApart();

private:
    QTemporaryDir m_dir;
};

void TestDataFiles::userFileRefusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: read whole
    QTest::newRow("ordinary file") << "file" << "";
    QTest::newRow("line of exactly the bound") << "bound line" << "";
    QTest::newRow("FIFO") << "fifo" << "not a regular file";
    QTest::newRow("character device") << "device" << "not a regular file";
    QTest::newRow("folder") << "folder" << "not a regular file";
    QTest::newRow("oversize") << "oversize" << "more than any such file holds";
    QTest::newRow("long line, named") << "long line" << "line 3 is 1025 characters long";
    QTest::newRow("long last line without end") << "long last line" << "line 2 is 2000 characters long";
    QTest::newRow("missing") << "missing" << "No such file";
}

void TestDataFiles::userFileRefusals()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString path = m_dir.filePath(kind.replace(' ', '-') + ".prg");
    QByteArray bytes = "ref\r\nW=1\r\ne\r\n";
    if (kind == "bound-line")
        bytes = "a\r\n" + QByteArray(datafiles::kMaxUserLineLength, 'x') + "\r\n";
    if (kind == "long-line")
        bytes = "a\r\nb\r\n" + QByteArray(datafiles::kMaxUserLineLength + 1, 'x') + "\r\n";
    if (kind == "long-last-line")
        bytes = "a\n" + QByteArray(2000, 'x');
    if (kind == "oversize")
        bytes = QByteArray(datafiles::kMaxUserFileBytes + 1, '\n');
    if (kind == "fifo")
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    else if (kind == "device")
        path = QStringLiteral("/dev/zero");
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind != "missing") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    // A FIFO with no writer would block a plain read for ever; this must not.
    const datafiles::ReadResult read =
        datafiles::readUserFile(path, datafiles::kMaxUserFileBytes, datafiles::kMaxUserLineLength);
    if (reason.isEmpty()) {
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.bytes, bytes);
    } else {
        QVERIFY(read.bytes.isEmpty());
        QVERIFY2(read.error.contains(reason), qPrintable(read.error));
        QVERIFY2(read.error.contains(QFileInfo(path).fileName()), qPrintable(read.error));
    }
}

void TestDataFiles::failedSaveNamesTheReason()
{
    // No permission, even for root: the system's reason is named.
    const QString denied = QStringLiteral("/sys/zynt-test.par");
    const QString error = datafiles::saveFile(denied, "ZYNT-Parameter\r\n");
    QVERIFY2(error.contains(QStringLiteral("/sys/zynt-test.par")), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("Unknown error")), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("ermission")) || error.contains(QStringLiteral("erweigert")),
             qPrintable(error));

    // A device is never replaced by a file, nor is a folder.
    const QString device = datafiles::saveFile(QStringLiteral("/dev/null"), "new\r\n");
    QVERIFY2(device.contains(QStringLiteral("not a regular file")), qPrintable(device));
    struct stat info {};
    QVERIFY(::stat("/dev/null", &info) == 0 && S_ISCHR(info.st_mode));
    QVERIFY(!datafiles::saveFile(m_dir.path(), "new\r\n").isEmpty());

    // A save over an existing file replaces it whole.
    const QString path = m_dir.filePath(QStringLiteral("keep.prg"));
    QVERIFY(datafiles::saveFile(path, "old\r\nlonger\r\n").isEmpty());
    QVERIFY(datafiles::saveFile(path, "new\r\n").isEmpty());
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("new\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.prg*")}, QDir::Files), QStringList {"keep.prg"});
}

void TestDataFiles::fullDiskIsNeverSaved()
{
    // A file size limit fails the write the way a full disk does, at the
    // flush of a buffered write or at the write itself: the old file stays,
    // nothing is left beside it, and the reason is named.
    const QString path = m_dir.filePath(QStringLiteral("full.par"));
    QVERIFY(datafiles::saveFile(path, "ZYNT-Parameter\r\nold\r\n").isEmpty());
    QString small, large;
    {
        const FileSizeLimit full(4096);
        QVERIFY(full.ok());
        small = datafiles::saveFile(path, QByteArray(8000, 'x'));   // within one buffer
        large = datafiles::saveFile(path, QByteArray(100000, 'y')); // past it
    }
    for (const QString &error : {small, large}) {
        QVERIFY2(error.contains(QStringLiteral("full.par")), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("large")) || error.contains(QStringLiteral("groß")), qPrintable(error));
    }
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("ZYNT-Parameter\r\nold\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*full.par*")}, QDir::Files | QDir::Hidden),
             QStringList {"full.par"});
}

void TestDataFiles::exclusivePlacing()
{
    const QString path = m_dir.filePath(QStringLiteral("record.ini"));
    QVERIFY(datafiles::writeAside(path, "first\r\n", datafiles::Placing::Exclusive).isEmpty());
    const QString taken = datafiles::writeAside(path, "second\r\n", datafiles::Placing::Exclusive);
    QVERIFY2(!taken.isEmpty(), "a second exclusive write took the name");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("first\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*record.ini*")}, QDir::Files | QDir::Hidden),
             QStringList {"record.ini"});
    // A new file gets the mode an ordinary save gives, not the aside file's 0600.
    const mode_t mask = ::umask(022);
    const QString fresh = m_dir.filePath(QStringLiteral("fresh.prg"));
    const QString error = datafiles::saveFile(fresh, "e\r\n");
    ::umask(mask);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    struct stat info {};
    QVERIFY(::stat(QFile::encodeName(fresh).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0644));
}

void TestDataFiles::folderTakesItsNameWhole()
{
    const QString folder = m_dir.filePath(QStringLiteral("saved/COM1-1"));
    const auto read = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    };
    QVERIFY(datafiles::saveFolder(folder, {{QStringLiteral("a.par"), "old a\r\n"}, {QStringLiteral("b.prg"), "old b\r\n"}})
                .isEmpty());
    // A second one that fails in the middle (its second file does not fit
    // on the disk) leaves the first as it was, and nothing beside it.
    QString error;
    {
        const FileSizeLimit full(1000);
        QVERIFY(full.ok());
        error = datafiles::saveFolder(folder, {{QStringLiteral("a.par"), "new a\r\n"},
                                               {QStringLiteral("b.prg"), QByteArray(5000, 'b')}});
    }
    QVERIFY2(error.contains(QStringLiteral("b.prg")), qPrintable(error));
    QCOMPARE(read(folder + QStringLiteral("/a.par")), QByteArray("old a\r\n"));
    QCOMPARE(read(folder + QStringLiteral("/b.prg")), QByteArray("old b\r\n"));
    const QStringList entries = QDir(m_dir.filePath(QStringLiteral("saved")))
                                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(entries, QStringList {"COM1-1"});
    // One that works replaces it whole: no file of the old one stays.
    QVERIFY(datafiles::saveFolder(folder, {{QStringLiteral("a.par"), "new a\r\n"}}).isEmpty());
    QCOMPARE(read(folder + QStringLiteral("/a.par")), QByteArray("new a\r\n"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/b.prg")));
    QCOMPARE(QDir(m_dir.filePath(QStringLiteral("saved"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList {"COM1-1"});
}

void TestDataFiles::backupNamesKeepApart()
{
    const QString folder = m_dir.filePath(QStringLiteral("backups"));
    QVERIFY(QDir().mkpath(folder));
    const QDateTime time(QDate(2026, 12, 9), QTime(14, 3, 7));
    const QString first = datafiles::uniqueBackupStem(folder, time, "3");
    QCOMPARE(first, QDir(folder).filePath(QStringLiteral("20261209-140307-address3")));
    QVERIFY(datafiles::saveFile(first + ".prg", "e\r\n").isEmpty());
    // Within the same second, a parameter backup of the same drive keeps apart too.
    const QString second = datafiles::uniqueBackupStem(folder, time, "3");
    QCOMPARE(second, first + QStringLiteral("-2"));
    QVERIFY(datafiles::saveFile(second + ".par", "ZYNT-Parameter\r\n").isEmpty());
    QCOMPARE(datafiles::uniqueBackupStem(folder, time, "3"), first + QStringLiteral("-3"));
    QCOMPARE(datafiles::uniqueBackupStem(folder, time, "4"), QDir(folder).filePath(QStringLiteral("20261209-140307-address4")));
}

QTEST_APPLESS_MAIN(TestDataFiles)
#include "test_datafiles.moc"
