#include "platform/RegistryValue.h"
#include "support/ScriptedPrompter.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"
#include "ui/SettingsStore.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QtTest>

#include <cstring>

namespace {

QByteArray blockBytes(const TDefaultRestrictions& block) {
    return QByteArray(reinterpret_cast<const char*>(&block), sizeof block);
}

QSettings machineStore() {
    return QSettings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("nopra"),
                     QStringLiteral("Kelvora"));
}

const QString kKey = QStringLiteral("Administrator/DefaultTransponderRestrictions");

#ifdef Q_OS_WIN
const std::string kRegistryKey = "SOFTWARE\\nopra\\Kelvora\\Administrator";
const std::string kRegistryName = "DefaultTransponderRestrictions";
#endif

// The machine-wide block as other programs see it: on Windows a REG_BINARY value of exactly 57 bytes
// (anything else reads as empty), elsewhere the settings file's byte array.
QByteArray storedMachineBlock() {
#ifdef Q_OS_WIN
    const platform::BinaryValue value =
        platform::ReadBinaryValue(platform::RegistryRoot::LocalMachine, kRegistryKey, kRegistryName, 57);
    if (value.status != platform::RegistryRead::Ok)
        return {};
    return QByteArray(reinterpret_cast<const char*>(value.bytes.data()), qsizetype(value.bytes.size()));
#else
    const QVariant stored = machineStore().value(kKey);
    return stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : QByteArray();
#endif
}

void storeMachineBlock(const QByteArray& bytes) {
#ifdef Q_OS_WIN
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    QCOMPARE(platform::WriteBinaryValue(platform::RegistryRoot::LocalMachine, kRegistryKey, kRegistryName,
                                        {first, first + bytes.size()}),
             platform::RegistryWrite::Ok);
#else
    machineStore().setValue(kKey, bytes);
#endif
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodingRules_data();
    void decodingRules();
    void missingValueIsZero();
    void closeWritesTheBlockAndPlacement();
    void startReadsTheBlock();
    void placementRestored();
    void perUserFallbackWhenMachineStoreIsUnwritable();
    void treeWidthKeptWithThePlacement();
};

void TestSettings::decodingRules_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("block");
    QByteArray full(57, '\0');
    for (int i = 0; i < 57; ++i)
        full[i] = static_cast<char>(i + 1);
    QTest::newRow("57 bytes") << QVariant(full) << full;
    QTest::newRow("shorter fills the beginning")
        << QVariant(QByteArray("\x01\x12\x00", 3)) << (QByteArray("\x01\x12\x00", 3) + QByteArray(54, '\0'));
    QTest::newRow("longer is refused") << QVariant(QByteArray(58, '\x01')) << QByteArray(57, '\0');
    QTest::newRow("a string is refused") << QVariant(QStringLiteral("0102")) << QByteArray(57, '\0');
    QTest::newRow("a number is refused") << QVariant(42) << QByteArray(57, '\0');
    QTest::newRow("nothing") << QVariant() << QByteArray(57, '\0');
}

void TestSettings::decodingRules() {
    QFETCH(QVariant, value);
    QFETCH(QByteArray, block);
    QCOMPARE(blockBytes(settings::DefaultRestrictionsFromValue(value)), block);
}

void TestSettings::missingValueIsZero() {
    TempSettings temp;
    QCOMPARE(blockBytes(settings::LoadDefaultRestrictions()), QByteArray(57, '\0'));
}

void TestSettings::closeWritesTheBlockAndPlacement() {
    TempSettings temp;
    ScriptedPrompter prompter;
    {
        TMain_Dlg window(prompter);
        window.defaultRestrictions().ApplyRestr = 1;
        window.defaultRestrictions().setModuleSlot(0, 0x0012);
        window.defaultRestrictions().DayRestr = 0x81;
        window.setGeometry(40, 50, 800, 600);
        QVERIFY(window.close());
    }
    QByteArray expected(57, '\0');
    expected[0] = 1;
    expected[1] = 0x12;
    expected[56] = char(0x81);
    QCOMPARE(storedMachineBlock(), expected);

    QSettings placement(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("nopra"),
                        QStringLiteral("Kelvora compact Administrator"));
    QCOMPARE(placement.value(QStringLiteral("NormPos")).toString(), QStringLiteral("40,50,840,650"));
    QCOMPARE(placement.value(QStringLiteral("MinMaxPos")).toString(), QStringLiteral("-1,-1,-1,-1"));
    QCOMPARE(placement.value(QStringLiteral("ShowCmd")).toInt(), 1);
    QCOMPARE(placement.value(QStringLiteral("Flags")).toInt(), 0);
    QVERIFY(placement.value(QStringLiteral("PixelsPerInch")).toInt() > 0);
}

void TestSettings::startReadsTheBlock() {
    TempSettings temp;
    QByteArray stored(57, '\0');
    stored[0] = 1;
    stored[35] = char(0xFF);
    storeMachineBlock(stored);
    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    QCOMPARE(blockBytes(window.defaultRestrictions()), stored);

    // A value of the wrong type reads as zeros, silently.
    machineStore().setValue(kKey, QStringLiteral("kaputt"));
    TMain_Dlg second(prompter);
    QCOMPARE(blockBytes(second.defaultRestrictions()), QByteArray(57, '\0'));
    QVERIFY(prompter.shown.empty());
}

void TestSettings::placementRestored() {
    TempSettings temp;
    QSettings placement(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("nopra"),
                        QStringLiteral("Kelvora compact Administrator"));
    placement.setValue(QStringLiteral("NormPos"), QStringLiteral("30,20,830,620"));
    placement.sync();
    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    QCOMPARE(window.geometry(), QRect(30, 20, 800, 600));

    placement.setValue(QStringLiteral("NormPos"), QStringLiteral("30,20,100,100")); // below the minimum
    placement.sync();
    TMain_Dlg small(prompter);
    QCOMPARE(small.geometry().size(), QSize(756, 544));

    placement.setValue(QStringLiteral("NormPos"), QStringLiteral("kaputt"));
    placement.sync();
    TMain_Dlg broken(prompter);
    QCOMPARE(broken.size(), QSize(900, 600)); // the size a first start opens with

    // A position on a screen that is no longer there would hide the window: it opens centred instead.
    placement.setValue(QStringLiteral("NormPos"), QStringLiteral("-9000,-9000,-8200,-8400"));
    placement.sync();
    TMain_Dlg offScreen(prompter);
    QCOMPARE(offScreen.size(), QSize(900, 600));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.intersects(offScreen.geometry()));
}

void TestSettings::perUserFallbackWhenMachineStoreIsUnwritable() {
#ifdef Q_OS_WIN
    QSKIP("Wine lets every user write the machine's registry; tst_platform covers the per-user stand-in");
#endif
    TempSettings temp;
    // A plain file where the per-machine folder would be: nobody, not even an administrator, can write
    // there, so the block goes to the per-user store and is read back from there.
    QFile blocker(temp.path() + QStringLiteral("/blocked"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       blocker.fileName() + QStringLiteral("/system"));
    TDefaultRestrictions block{};
    block.ApplyRestr = 1;
    block.DayRestr = 0x7F;
    QVERIFY(settings::SaveDefaultRestrictions(block));
    QSettings user(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("nopra"),
                   QStringLiteral("Kelvora"));
    QCOMPARE(user.value(kKey).toByteArray(), blockBytes(block));
    QCOMPARE(blockBytes(settings::LoadDefaultRestrictions()), blockBytes(block));

    // Once the machine's store can be written again, it takes the block and the user's copy goes.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       temp.path() + QStringLiteral("/system"));
    block.DayRestr = 0x01;
    QVERIFY(settings::SaveDefaultRestrictions(block));
    QCOMPARE(machineStore().value(kKey).toByteArray(), blockBytes(block));
    user.sync();
    QVERIFY(!user.contains(kKey));
}

void TestSettings::treeWidthKeptWithThePlacement() {
    TempSettings temp;
    ScriptedPrompter prompter;
    {
        TMain_Dlg window(prompter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* splitter = Child<QSplitter>(window, QStringLiteral("Splitter1"));
        splitter->setSizes({222, 600});
        QVERIFY(window.close());
    }
    TMain_Dlg again(prompter);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(Child<QSplitter>(again, QStringLiteral("Splitter1"))->sizes().value(0), 222);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
