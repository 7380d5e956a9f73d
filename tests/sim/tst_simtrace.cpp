// qtm-bench-sim --trace: the device side of every frame on standard output.
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrl>
#include <QtTest>

class TestSimTrace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framesInAndOutAreTraced()
    {
        QProcess sim;
        sim.start(qEnvironmentVariable("QTM_BINARY_DIR") + QStringLiteral("/sim/qtm-bench-sim"),
                  {QStringLiteral("--bench"), QStringLiteral("tcp://127.0.0.1:0"),
                   QStringLiteral("--flowmeter"), QStringLiteral("tcp://127.0.0.1:0"),
                   QStringLiteral("--exact"), QStringLiteral("--trace")});
        QString out;
        auto waitFor = [&](const QString &pattern) {
            const QRegularExpression re(pattern, QRegularExpression::MultilineOption);
            return QTest::qWaitFor(
                       [&] {
                           out += QString::fromUtf8(sim.readAllStandardOutput());
                           return re.match(out).hasMatch() || sim.state() == QProcess::NotRunning;
                       },
                       10000) &&
                   re.match(out).hasMatch();
        };
        QVERIFY2(waitFor(QStringLiteral("^ready bench=(\\S+) ")), qPrintable(out));
        const int port =
            QUrl(QRegularExpression(QStringLiteral("bench=(\\S+)")).match(out).captured(1)).port();

        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
        QVERIFY(socket.waitForConnected(5000));
        // Register 0 of the ИМР (address 1) holds its address; unit 9 is not on the line.
        socket.write(QByteArray::fromHex("123400000006010300000001"));
        socket.write(QByteArray::fromHex("123500000006090300000001"));
        const QString stamp = QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d bench ");
        QVERIFY2(waitFor(stamp + QStringLiteral("нет ответа: адрес 9$")), qPrintable(out));
        const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
        QCOMPARE(lines.size(), 4);
        const QStringList expected = {QStringLiteral("запрос 12 34 00 00 00 06 01 03 00 00 00 01"),
                                      QStringLiteral("ответ 12 34 00 00 00 05 01 03 02 00 01"),
                                      QStringLiteral("запрос 12 35 00 00 00 06 09 03 00 00 00 01"),
                                      QStringLiteral("нет ответа: адрес 9")};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(QRegularExpression(stamp + QRegularExpression::escape(expected[i]) + QLatin1Char('$'))
                         .match(lines[i])
                         .hasMatch(),
                     qPrintable(lines[i]));

        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimTrace)
#include "tst_simtrace.moc"
