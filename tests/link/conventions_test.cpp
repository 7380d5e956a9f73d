#include "link/conventions.h"
#include "link/messages.h"

#include <QTest>

#include <cmath>
#include <limits>

class ConventionsTest : public QObject
{
    Q_OBJECT

private:
    const QLocale ru{QLocale::Russian, QLocale::Russia};
    const QLocale c = QLocale::c();

private Q_SLOTS:
    void resultTextCoversEveryCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const char *texts[] = {"Ок",
                               "Прибор не отвечает",
                               "Ошибка контрольной суммы",
                               "Не удается отправить запрос",
                               "Недопустимая функция",
                               "Недопустимые данные",
                               "Прибор неисправен",
                               "Начало долговременной операции",
                               "Прибор занят",
                               "Выполнение функции невозможно",
                               "Ошибка четности",
                               "Недопустимый адрес данных",
                               "Не совпадает адрес ModBus",
                               "Не совпадает номер функции",
                               "Неизвестная ошибка",
                               "Неверный тип данных",
                               "Недостаточно данных"};
        for (int i = 0; i <= 16; ++i)
            QTest::addRow("%d", i) << i << QString::fromUtf8(texts[i]);
        QTest::newRow("99") << 99 << QStringLiteral("Неизвестная ошибка");
        QTest::newRow("-1") << -1 << QStringLiteral("Неизвестная ошибка");
        QTest::newRow("18") << 18 << QStringLiteral("Неизвестная ошибка");
        QTest::newRow("read of address 0")
            << int(kResultBroadcastRead)
            << QStringLiteral("Чтение по адресу 0 невозможно: у чтения нет широковещательной формы");
    }
    void resultTextCoversEveryCode()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(ResultText(code), text);
    }

    void typedValueCutsToWidthAndCarriesType_data()
    {
        QTest::addColumn<QVariant>("source");
        QTest::addColumn<int>("code");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("300 as byte") << QVariant(300) << 17 << QVariant::fromValue<quint8>(44);
        QTest::newRow("-1 as longword") << QVariant(-1) << 19 << QVariant::fromValue<quint32>(4294967295u);
        QTest::newRow("2^32+5 as longword")
            << QVariant(qint64(4294967301LL)) << 19 << QVariant::fromValue<quint32>(5);
        QTest::newRow("200 as shortint") << QVariant(200) << 16 << QVariant::fromValue<qint8>(-56);
        QTest::newRow("40000 as smallint") << QVariant(40000) << 2 << QVariant::fromValue<qint16>(-25536);
        QTest::newRow("70000 as smallint") << QVariant(70000) << 2 << QVariant::fromValue<qint16>(4464);
        QTest::newRow("-1 as word") << QVariant(-1) << 18 << QVariant::fromValue<quint16>(65535);
        QTest::newRow("2^31 as integer")
            << QVariant(qint64(2147483648LL)) << 3 << QVariant::fromValue<qint32>(-2147483647 - 1);
        QTest::newRow("2.5 rounds to even") << QVariant(2.5) << 17 << QVariant::fromValue<quint8>(2);
        QTest::newRow("3.5 rounds to even") << QVariant(3.5) << 18 << QVariant::fromValue<quint16>(4);
        QTest::newRow("text integer")
            << QVariant(QStringLiteral("300")) << 17 << QVariant::fromValue<quint8>(44);
        QTest::newRow("float") << QVariant(1.5) << 4 << QVariant::fromValue<float>(1.5f);
        QTest::newRow("int as double") << QVariant(7) << 5 << QVariant::fromValue<double>(7.0);
        QTest::newRow("zero is false") << QVariant(0) << 11 << QVariant::fromValue(false);
        QTest::newRow("two is true") << QVariant(2) << 11 << QVariant::fromValue(true);
        QTest::newRow("half is true") << QVariant(0.5) << 11 << QVariant::fromValue(true);
    }
    void typedValueCutsToWidthAndCarriesType()
    {
        QFETCH(QVariant, source);
        QFETCH(int, code);
        QFETCH(QVariant, expected);
        const QVariant v = TypedValue(source, code);
        QCOMPARE(v.metaType(), expected.metaType());
        QCOMPARE(v, expected);
        QCOMPARE(TypeCodeOf(v), code);
    }

    void typedValueRejectsUnknownCodes()
    {
        QVERIFY(!TypedValue(1, 7).isValid());
        QVERIFY(!TypedValue(1, 0).isValid());
        QCOMPARE(TypeCodeOf(QVariant(QStringLiteral("1"))), 0);
        QCOMPARE(TypeCodeOf(QVariant()), 0);
    }

    void edtIntKeepsOnlyDigitsMinusAndBackspace()
    {
        for (const QChar k : QStringLiteral("0123456789-\b"))
            QCOMPARE(edtInt(k), k);
        for (const QChar k : QStringLiteral("a.+, eЖ٣"))
            QVERIFY2(edtInt(k).isNull(), qPrintable(QString(k)));
    }

    void edtFloatGivesTheLocaleSeparator()
    {
        QCOMPARE(edtFloat(QChar('.'), ru), QChar(','));
        QCOMPARE(edtFloat(QChar(','), ru), QChar(','));
        QCOMPARE(edtFloat(QChar('.'), c), QChar('.'));
        QCOMPARE(edtFloat(QChar(','), c), QChar('.'));
        for (const QLocale &l : {ru, c}) {
            QCOMPARE(edtFloat(QChar('7'), l), QChar('7'));
            QCOMPARE(edtFloat(QChar('-'), l), QChar('-'));
            QCOMPARE(edtFloat(QChar('\b'), l), QChar('\b'));
            QVERIFY(edtFloat(QChar('e'), l).isNull());
            QVERIFY(edtFloat(QChar('+'), l).isNull());
            QVERIFY(edtFloat(QChar(0x044E), l).isNull()); // "ю" sits on the "." key
        }
    }

    void parseDecimalTakesEitherSeparator_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("point") << "1.5" << 1.5;
        QTest::newRow("comma") << "1,5" << 1.5;
        QTest::newRow("negative") << "-2,25" << -2.25;
        QTest::newRow("spaces") << " 3.5 " << 3.5;
        QTest::newRow("integer") << "42" << 42.0;
        QTest::newRow("exponent") << "1,5e3" << 1500.0;
    }
    void parseDecimalTakesEitherSeparator()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        for (const QLocale &l : {ru, c}) {
            bool ok = false;
            QCOMPARE(ParseDecimal(text, &ok, l), value);
            QVERIFY(ok);
        }
    }

    void parseDecimalRejectsWhatDoesNotConvert_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "abc";
        QTest::newRow("two separators") << "1,5.3";
        QTest::newRow("grouped") << "1.500,5";
        QTest::newRow("nan") << "nan";
        QTest::newRow("inf") << "inf";
        QTest::newRow("trailing junk") << "1.5x";
    }
    void parseDecimalRejectsWhatDoesNotConvert()
    {
        QFETCH(QString, text);
        for (const QLocale &l : {ru, c}) {
            bool ok = true;
            QCOMPARE(ParseDecimal(text, &ok, l), 0.0);
            QVERIFY2(!ok, qPrintable(l.name() + QLatin1Char(' ') + text));
        }
    }

    void parseDecimalReplacesOnlyTheFirstForeignSeparator()
    {
        bool ok = true;
        // "1.2.3" -> "1,2.3" under a comma locale: still not a number.
        ParseDecimal(QStringLiteral("1.2.3"), &ok, ru);
        QVERIFY(!ok);
        // Under the point locale the comma is the foreign one.
        QCOMPARE(ParseDecimal(QStringLiteral("0,125"), &ok, c), 0.125);
        QVERIFY(ok);
    }

    void decimalPatterns_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("ru");
        QTest::addColumn<QString>("c");
        QTest::newRow("rounded") << 1.23456 << 3 << "1,235"
                                 << "1.235";
        QTest::newRow("trailing zeros dropped") << 2.5 << 4 << "2,5"
                                                << "2.5";
        QTest::newRow("bare separator dropped") << 2.0 << 3 << "2"
                                                << "2";
        QTest::newRow("leading digit") << 0.125 << 3 << "0,125"
                                       << "0.125";
        QTest::newRow("no grouping") << 1234567.25 << 3 << "1234567,25"
                                     << "1234567.25";
        QTest::newRow("negative") << -1.5 << 3 << "-1,5"
                                  << "-1.5";
        QTest::newRow("negative zero") << -0.00001 << 4 << "0"
                                       << "0";
        QTest::newRow("rounds away") << 0.99996 << 4 << "1"
                                     << "1";
        QTest::newRow("five decimals") << 3.141592 << 5 << "3,14159"
                                       << "3.14159";
    }
    void decimalPatterns()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, ru);
        QFETCH(QString, c);
        QCOMPARE(FormatDecimals(value, decimals, this->ru), ru);
        QCOMPARE(FormatDecimals(value, decimals, this->c), c);
    }

    void namedPatterns()
    {
        QCOMPARE(Fmt3(1.00049, ru), QStringLiteral("1"));
        QCOMPARE(Fmt4(1.00049, ru), QStringLiteral("1,0005"));
        QCOMPARE(Fmt5(1.000049, c), QStringLiteral("1.00005"));
        QCOMPARE(FmtPercent4(12.345678, ru), QStringLiteral("12,3457%"));
        QCOMPARE(FmtPercent4(-0.5, c), QStringLiteral("-0.5%"));
        QCOMPARE(FmtPercent4(-0.00001, c), QStringLiteral("0%"));
    }

    void generalFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("ru");
        QTest::addColumn<QString>("c");
        QTest::newRow("fraction") << 1.5 << "1,5"
                                  << "1.5";
        QTest::newRow("integer") << 1000000.0 << "1000000"
                                 << "1000000";
        QTest::newRow("negative zero") << -0.0 << "0"
                                       << "0";
        QTest::newRow("sum noise") << 0.1 + 0.2 << "0,3"
                                   << "0.3";
        QTest::newRow("small") << 0.00001 << "1E-5"
                               << "1E-5";
        QTest::newRow("small mantissa") << -2.5e-7 << "-2,5E-7"
                                        << "-2.5E-7";
        QTest::newRow("large") << 1.5e20 << "1,5E20"
                               << "1.5E20";
        QTest::newRow("15 digits") << 123456789012345678.0 << "1,23456789012346E17"
                                   << "1.23456789012346E17";
        QTest::newRow("small but plain") << 0.0001 << "0,0001"
                                         << "0.0001";
    }
    void generalFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, ru);
        QFETCH(QString, c);
        QCOMPARE(FmtGeneral(value, this->ru), ru);
        QCOMPARE(FmtGeneral(value, this->c), c);
    }

    void defaultLocaleIsUsed()
    {
        QLocale::setDefault(ru);
        QCOMPARE(Fmt3(0.5), QStringLiteral("0,5"));
        QCOMPARE(edtFloat(QChar('.')), QChar(','));
        bool ok = false;
        QCOMPARE(ParseDecimal(QStringLiteral("0.5"), &ok), 0.5);
        QLocale::setDefault(c);
        QCOMPARE(Fmt3(0.5), QStringLiteral("0.5"));
        QCOMPARE(edtFloat(QChar(',')), QChar('.'));
    }

    void messagesWithoutWidgetsDoNotCrash()
    {
        // No widget application here: nothing to show, nobody to say yes.
        Messages::SetSink(nullptr);
        Messages::Show(QStringLiteral("проверка"));
        QVERIFY(!Messages::Ask(QStringLiteral("Продолжить?")));
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("1.5") << 1.5 << qint64(2);
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("-0.5") << -0.5 << qint64(0);
        QTest::newRow("-1.5") << -1.5 << qint64(-2);
        QTest::newRow("-2.5") << -2.5 << qint64(-2);
        QTest::newRow("2.4999") << 2.4999 << qint64(2);
        QTest::newRow("2.5001") << 2.5001 << qint64(3);
        QTest::newRow("-2.6") << -2.6 << qint64(-3);
        QTest::newRow("big even") << 4503599627370497.0 << qint64(4503599627370497LL);
        QTest::newRow("too big") << 1e300 << std::numeric_limits<qint64>::max();
        QTest::newRow("too small") << -1e300 << std::numeric_limits<qint64>::min();
        QTest::newRow("nan") << std::nan("") << qint64(0);
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        QCOMPARE(RoundHalfEven(value), expected);
    }
};

QTEST_GUILESS_MAIN(ConventionsTest)
#include "conventions_test.moc"
