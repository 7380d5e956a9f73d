// Register images and identification replies, without a line.
#include "link/conventions.h"
#include "link/mbidentification.h"
#include "link/mbvalues.h"

#include <QTest>

using MbValues::Error;

class TMBComMasterValuesTest : public QObject
{
    Q_OBJECT
private slots:
    void encodesHighWordFirst()
    {
        QCOMPARE(MbValues::Encode(TypedValue(0x12345678, dtUInt32)), (QList<quint16>{0x1234, 0x5678}));
        QCOMPARE(MbValues::Encode(TypedValue(-2, dtInt32)), (QList<quint16>{0xFFFF, 0xFFFE}));
        QCOMPARE(MbValues::Encode(TypedValue(1.5, dtFloat32)), (QList<quint16>{0x3FC0, 0}));
        QCOMPARE(MbValues::Encode(TypedValue(-2.5, dtFloat64)), (QList<quint16>{0xC004, 0, 0, 0}));
        QCOMPARE(MbValues::Encode(TypedValue(-1, dtInt8)), QList<quint16>{0xFFFF});
        QCOMPARE(MbValues::Encode(TypedValue(300, dtUInt8)), QList<quint16>{44});
        QCOMPARE(MbValues::Encode(QVariantList{TypedValue(1, dtInt16), TypedValue(2, dtUInt32)}),
                 (QList<quint16>{1, 0, 2}));
    }
    void decodesWhatItEncodes()
    {
        for (int code : {2, 3, 4, 5, 11, 16, 17, 18, 19}) {
            const QVariantList values{TypedValue(-7, code), TypedValue(100, code)};
            Error e;
            const QVariant back = MbValues::Decode(MbValues::Encode(values), code, 2, &e);
            QCOMPARE(e, Error::None);
            QCOMPARE(back.toList(), values);
        }
        QCOMPARE(MbValues::Decode({0xFF85}, dtInt8, 1), QVariant::fromValue(qint8(-123)));
    }
    void refusesWhatItCannotImage()
    {
        Error e;
        QVERIFY(MbValues::Encode(QVariant(QStringLiteral("1")), &e).isEmpty());
        QCOMPARE(e, Error::UnknownType);
        QVERIFY(MbValues::Encode(QVariantList{TypedValue(1, dtInt16), QVariant(qint64(1))}, &e).isEmpty());
        QCOMPARE(e, Error::UnknownType);
        QVERIFY(!MbValues::Decode({1, 2}, 7, 1, &e).isValid());
        QCOMPARE(e, Error::UnknownType);
        QVERIFY(!MbValues::Decode({1, 2, 3}, dtFloat32, 2, &e).isValid());
        QCOMPARE(e, Error::TooShort);
        QVERIFY(!MbValues::DecodeBits({true}, 2, &e).isValid());
        QCOMPARE(e, Error::TooShort);
    }
    void identificationInBothOrders()
    {
        const QByteArray text = QStringLiteral("ИМР").toUtf8();
        bool ok = false;
        QCOMPARE(MbIdentificationText(char(text.size() + 2) + QByteArray("\x05\xFF") + text, &ok),
                 QStringLiteral("ИМР"));
        QVERIFY(ok);
        QCOMPARE(MbIdentificationText(char(text.size() + 1) + text + QByteArray("\x00", 1)),
                 QStringLiteral("ИМР"));
        // Windows-1251 "УСИ"
        QCOMPARE(MbIdentificationText(QByteArray("\x05\x01\x00\xD3\xD1\xC8", 6)), QStringLiteral("УСИ"));
        MbIdentificationText(QByteArray("\x09\x01\xFF"), &ok);
        QVERIFY(!ok);
        MbIdentificationText(QByteArray(), &ok);
        QVERIFY(!ok);
    }
};

QTEST_GUILESS_MAIN(TMBComMasterValuesTest)
#include "tmbcommaster_values.moc"
