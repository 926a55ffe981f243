#include "core/base/littleendian.h"

#include "core/base/errors.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestLittleEndian : public QObject
{
    Q_OBJECT

private slots:
    // Values appended and patched land least significant byte first, each in its place.
    void bytes()
    {
        QByteArray out;
        AppendUInt8(out, 0xAB);
        AppendUInt16LE(out, 0x1234);
        AppendUInt32LE(out, 0x89ABCDEF);
        AppendUInt32LE(out, 0);
        PutUInt16LE(out, 1, 0xBEEF);
        PutUInt32LE(out, 7, 0x01020304);
        QCOMPARE(out, QByteArray("\xAB\xEF\xBE\xEF\xCD\xAB\x89\x04\x03\x02\x01", 11));
    }

    void fieldValue_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("fits");

        QTest::newRow("8 bits: the largest") << 8 << qint64(255) << true;
        QTest::newRow("8 bits: one more") << 8 << qint64(256) << false;
        QTest::newRow("16 bits: zero") << 16 << qint64(0) << true;
        QTest::newRow("16 bits: the largest") << 16 << qint64(65535) << true;
        QTest::newRow("16 bits: one more") << 16 << qint64(65536) << false;
        QTest::newRow("16 bits: negative") << 16 << qint64(-1) << false;
        QTest::newRow("32 bits: the largest") << 32 << qint64(0xFFFFFFFF) << true;
        QTest::newRow("32 bits: one more") << 32 << qint64(0x100000000) << false;
    }

    // A value its field cannot hold is reported, never cut to its low bits.
    void fieldValue()
    {
        QFETCH(int, bits);
        QFETCH(qint64, value);
        QFETCH(bool, fits);
        const QString what = u"the length of a name"_s;
        try {
            const qint64 stored = bits == 8    ? FieldValue<quint8>(value, what)
                                  : bits == 16 ? FieldValue<quint16>(value, what)
                                               : FieldValue<quint32>(value, what);
            QVERIFY2(fits, "a value that does not fit was taken");
            QCOMPARE(stored, value);
        } catch (const TagscopeError& error) {
            QVERIFY2(!fits, qPrintable(error.message()));
            const QString largest = QString::number((qint64(1) << bits) - 1);
            QCOMPARE(error.message(), u"the length of a name is %1, which does not fit its field (0 to %2)."_s.arg(
                                          QString::number(value), largest));
        }
    }
};

QTEST_GUILESS_MAIN(TestLittleEndian)
#include "tst_littleendian.moc"
