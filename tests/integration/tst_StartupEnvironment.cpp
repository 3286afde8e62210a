// kelvora-admin with a malformed network override: it must stop at once with a clear message and exit
// code 2, before it sends anything, instead of falling back to the real broadcast.

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

class tst_StartupEnvironment : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void malformedOverrideStops_data();
    void malformedOverrideStops();
};

void tst_StartupEnvironment::malformedOverrideStops_data() {
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("display"); // offscreen platform; without: no display at all
    QTest::addColumn<QString>("reason");

    const QString target = QStringLiteral("Erwartet wird IPv4-Adresse:Port, zum Beispiel 127.0.0.1:18001.");
    const QString port = QStringLiteral("Erwartet wird eine Portnummer von 1 bis 65535.");
    const QString discovery = QStringLiteral("KELVORA_DISCOVERY_TARGET");
    QTest::newRow("host name") << discovery << QStringLiteral("localhost:18001") << true << target;
    QTest::newRow("no port") << discovery << QStringLiteral("127.0.0.1") << true << target;
    QTest::newRow("port 0") << discovery << QStringLiteral("127.0.0.1:0") << true << target;
    QTest::newRow("garbage") << discovery << QStringLiteral("xyz") << true << target;
    QTest::newRow("command port") << QStringLiteral("KELVORA_COMMAND_PORT") << QStringLiteral("0") << true
                                  << port;
#ifdef Q_OS_WIN
    // Windows always has a display: the message box would wait for somebody to press OK.
    QTest::newRow("FTP port") << QStringLiteral("KELVORA_FTP_PORT") << QStringLiteral("21x") << true << port;
#else
    QTest::newRow("garbage, no display") << discovery << QStringLiteral("xyz") << false << target;
    QTest::newRow("FTP port") << QStringLiteral("KELVORA_FTP_PORT") << QStringLiteral("21x") << false << port;
#endif
}

void tst_StartupEnvironment::malformedOverrideStops() {
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QFETCH(bool, display);
    QFETCH(QString, reason);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"KELVORA_DISCOVERY_TARGET", "KELVORA_COMMAND_PORT", "KELVORA_FTP_PORT",
                             "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Whatever the checked variable, the search could only go to loopback.
    if (variable != QLatin1String("KELVORA_DISCOVERY_TARGET"))
        environment.insert(QStringLiteral("KELVORA_DISCOVERY_TARGET"), QStringLiteral("127.0.0.1:9"));
    environment.insert(variable, value);
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));

    QProcess admin;
    admin.setProcessEnvironment(environment);
    admin.start(QStringLiteral(KELVORA_ADMIN_PATH), QStringList());
    QVERIFY(admin.waitForFinished(60000));
    QCOMPARE(admin.exitStatus(), QProcess::NormalExit);
    QCOMPARE(admin.exitCode(), 2);
    const QString expected =
        QStringLiteral("Die Umgebungsvariable %1 hat den ungültigen Wert \u201E%2\u201C: %3\n"
                       "Das Programm wird beendet.\n")
            .arg(variable, value, reason);
    // In the system's 8-bit code page (UTF-8 on Linux, Windows-1252 on a German Windows), lines ended
    // with CR LF on Windows; Qt may add notes of its own after it.
    const QString printed = QString::fromLocal8Bit(admin.readAllStandardError())
                                .replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(printed.left(expected.size()), expected);
}

QTEST_GUILESS_MAIN(tst_StartupEnvironment)
#include "tst_StartupEnvironment.moc"
