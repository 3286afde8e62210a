// Local paths and names of the backup and update operations.

#include "ops/Backup.h"
#include "ops/Update.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

class TestAdminPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void folderFile_data();
    void folderFile();
    void defaultExtension();
    void sendableNames_data();
    void sendableNames();
};

void TestAdminPaths::folderFile_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("drive root") << QStringLiteral("C:/") << QStringLiteral("C:/module.dat");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/module.dat");
    QTest::newRow("no separator") << QStringLiteral("C:/Sicherung")
                                  << QStringLiteral("C:/Sicherung/module.dat");
    QTest::newRow("trailing separator")
        << QStringLiteral("C:/Sicherung/") << QStringLiteral("C:/Sicherung/module.dat");
    QTest::newRow("two trailing separators")
        << QStringLiteral("/home/anna/Sicherung//") << QStringLiteral("/home/anna/Sicherung/module.dat");
    QTest::newRow("spaces") << QStringLiteral("C:/Eigene Dateien/Kelvora Sicherung ")
                            << QStringLiteral("C:/Eigene Dateien/Kelvora Sicherung /module.dat");
    QTest::newRow("network share") << QStringLiteral("//server/sicherung/")
                                   << QStringLiteral("//server/sicherung/module.dat");
#ifdef Q_OS_WIN
    QTest::newRow("native drive root") << QStringLiteral("C:\\") << QStringLiteral("C:/module.dat");
    QTest::newRow("native trailing separator")
        << QStringLiteral("C:\\Sicherung\\") << QStringLiteral("C:/Sicherung/module.dat");
#endif
}

void TestAdminPaths::folderFile() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(ops::FolderFile(folder, QStringLiteral("module.dat")), path);
}

void TestAdminPaths::defaultExtension() {
    QTemporaryDir dir;
    const QString bare = dir.filePath(QStringLiteral("update"));
    QCOMPARE(ops::WithDefaultExtension(bare), bare + QStringLiteral(".KLV"));
    QCOMPARE(ops::WithDefaultExtension(dir.filePath(QStringLiteral("bios.hex"))),
             dir.filePath(QStringLiteral("bios.hex")));
    // A file without an extension that is there is taken as it is.
    QVERIFY(testsupport::writeFile(bare, "x"));
    QCOMPARE(ops::WithDefaultExtension(bare), bare);
}

void TestAdminPaths::sendableNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("sendable");
    QTest::newRow("plain") << QStringLiteral("kc_v140.klv") << true;
    QTest::newRow("umlauts and sharp s") << QStringLiteral("Büro Größe.hex") << true;
    QTest::newRow("spaces") << QStringLiteral("BIOS 2.10.hex") << true;
    QTest::newRow("Greek") << QStringLiteral("Ωmega.hex") << false;
    QTest::newRow("CJK") << QStringLiteral("更新.hex") << false;
    QTest::newRow("euro sign: Windows-1252 but not Latin-1") << QStringLiteral("kc€.hex") << true;
    QTest::newRow("typographic quote") << QStringLiteral("„neu“.hex") << true;
    QTest::newRow("S caron") << QStringLiteral("Šibenik.hex") << true;
    QTest::newRow("empty") << QString() << false;
}

void TestAdminPaths::sendableNames() {
    QFETCH(QString, name);
    QFETCH(bool, sendable);
    QCOMPARE(ops::UpdateFileNameSendable(name), sendable);
}

QTEST_MAIN(TestAdminPaths)
#include "tst_AdminPaths.moc"
