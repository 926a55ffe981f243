#include "core/platform/machineid.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestMachineId : public QObject
{
    Q_OBJECT

private slots:
    void derivedFromTheMachineId_data();
    void derivedFromTheMachineId();
    void sameAsSystemdForThisMachine();
};

void TestMachineId::derivedFromTheMachineId_data()
{
    QTest::addColumn<QByteArray>("machineId");
    QTest::addColumn<QString>("guid");
    // Expected value computed with Python's hmac module: HMAC-SHA256(key = id, message = app key), first 16 bytes,
    // version 4 and variant bits set.
    QTest::newRow("known id") << QByteArray("00112233445566778899aabbccddeeff")
                              << u"1b23fc35-1987-4906-865e-40bc22cc742f"_s;
    QTest::newRow("upper case and line break") << QByteArray("00112233445566778899AABBCCDDEEFF\n")
                                               << u"1b23fc35-1987-4906-865e-40bc22cc742f"_s;
    QTest::newRow("no id") << QByteArray() << QString();
    QTest::newRow("too short") << QByteArray("00112233") << QString();
    QTest::newRow("not hexadecimal") << QByteArray("0011223344556677889zaabbccddeeff") << QString();
}

void TestMachineId::derivedFromTheMachineId()
{
    QFETCH(QByteArray, machineId);
    QFETCH(QString, guid);
    const QString derived = AppSpecificMachineGuid(machineId);
    QCOMPARE(derived, guid);
    if (!derived.isEmpty())
        QVERIFY(!derived.contains(QString::fromLatin1(machineId.trimmed().toLower())));
}

void TestMachineId::sameAsSystemdForThisMachine()
{
    const QString tool = QStandardPaths::findExecutable(u"systemd-id128"_s);
    if (tool.isEmpty() || QSysInfo::machineUniqueId().isEmpty())
        QSKIP("needs systemd-id128 and a machine id");
    QProcess process;
    process.start(tool, {u"machine-id"_s, u"--app-specific="_s + QString::fromLatin1(kMachineIdAppKey), u"--uuid"_s});
    QVERIFY(process.waitForFinished(10000));
    if (process.exitCode() != 0)
        QSKIP("systemd-id128 cannot read the machine id here");
    const QString expected = QString::fromLatin1(process.readAllStandardOutput()).trimmed();
    QVERIFY(QRegularExpression(u"^[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}$"_s).match(expected).hasMatch());
    QCOMPARE(MachineGuid(), expected);
}

QTEST_GUILESS_MAIN(TestMachineId)
#include "tst_machineid.moc"
