// The exchange monitor's rows against the simulated bench's own trace of its line:
// the bytes of every row are the frames the devices received and sent, byte for
// byte, every try a row of its own, over Modbus TCP and over RTU on a pseudo-terminal pair.
#include "exchange/exchangelog.h"
#include "link/conventions.h"
#include "link/tmbcommaster.h"
#include "support/ptypair.h"
#include "support/simprocess.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace
{
constexpr int kAnswerDelay = 150;
constexpr int kRetries = 2;
constexpr int kSilent = 5; // no module there
constexpr int kReads = 20;

// "запрос HEX", "ответ HEX", "ответ (испорчен) HEX" or "нет ответа", as the bench traced them.
QStringList TracedFrames(const QByteArray &trace)
{
    QStringList out;
    for (const QByteArray &raw : trace.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype at = line.indexOf(QLatin1String(" bench "));
        if (at < 0)
            continue;
        const QString what = line.mid(at + 7);
        out.append(what.startsWith(QStringLiteral("нет ответа")) ? QStringLiteral("нет ответа") : what);
    }
    return out;
}

// The same from the rows of the monitor.
QStringList RowFrames(const ExchangeLog &log, QString *problems)
{
    QStringList out;
    for (int row = 0; row < log.rowCount(); ++row) {
        const ExchangeRecord &r = log.At(row);
        if (!r.RequestCaptured() || (r.Answered() && !r.ReplyCaptured()))
            problems->append(QStringLiteral("row %1 not captured; ").arg(row));
        out.append(QStringLiteral("запрос ") + r.RequestHex());
        if (!r.ReplyCaptured())
            out.append(QStringLiteral("нет ответа"));
        else if (r.note.isEmpty())
            out.append(QStringLiteral("ответ ") + r.ReplyHex());
        else
            out.append(QStringLiteral("ответ (испорчен) ") + r.ReplyHex());
    }
    return out;
}

} // namespace

class TestExchangeWire : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void rowsAreTheFramesOnTheLine_data()
    {
        QTest::addColumn<bool>("rtu");
        QTest::newRow("tcp") << false;
        QTest::newRow("rtu") << true;
    }
    void rowsAreTheFramesOnTheLine()
    {
        QFETCH(bool, rtu);
        std::unique_ptr<PtyPair> pty;
        QString bench = QStringLiteral("tcp://127.0.0.1:0");
        if (rtu) {
            if (QStandardPaths::findExecutable("socat").isEmpty())
                QSKIP("socat missing");
            pty = std::make_unique<PtyPair>();
            QVERIFY(pty->Ready());
            bench = pty->a;
        }
        // Damaged replies often enough that some tries fail and some executions give up.
        SimProcess sim({"--bench", bench, "--flowmeter", "tcp://127.0.0.1:0", "--exact", "--trace", "--fault",
                        "crc:40", "--fault", QStringLiteral("no-answer:%1").arg(kSilent)});
        QVERIFY2(sim.WaitReady(), sim.proc.readAllStandardError().constData());

        TMBComMaster client;
        client.SetComPort(rtu ? pty->b : sim.bench);
        client.SetComSpeed(9600);
        client.SetAnswerDelay(kAnswerDelay);
        client.SetRetries(kRetries);
        ExchangeLog log;
        log.Attach(&client, QStringLiteral("ЦТМ"));
        QSignalSpy opened(&client, &IMBComMaster::OnChangeConnected);
        client.SetConnected(true);
        QVERIFY(opened.wait(5000));
        QVERIFY(client.Connected());

        QSignalSpy done(&client, &IMBComMaster::OnExchange);
        // Handed over together, so each goes on the line while the one before is
        // still being handed on: its frames must stay with it.
        auto run = [&](int address, int reads) {
            client.SetDeviceAddres(address);
            const qsizetype until = done.size() + reads;
            for (int i = 0; i < reads; ++i)
                client.ReadInputRegs(300002, 0, 1, dtUInt8, 3);
            return QTest::qWaitFor([&] { return done.size() >= until; }, 5000 * reads);
        };
        QVERIFY(run(1, kReads));
        QVERIFY(run(kSilent, 1));
        log.Flush();

        QString problems;
        const QStringList rows = RowFrames(log, &problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        QVERIFY(QTest::qWaitFor([&] { return TracedFrames(sim.Output()).size() >= rows.size(); }, 5000));
        QCOMPARE(rows.join('\n').toUpper().split('\n'), TracedFrames(sim.Output()).join('\n').toUpper().split('\n'));

        // Every try a row: the silent address three times, each with its full time-out.
        int silent = 0, damaged = 0, retried = 0;
        for (int row = 0; row < log.rowCount(); ++row) {
            const ExchangeRecord &r = log.At(row);
            silent += r.device == kSilent;
            damaged += !r.note.isEmpty();
            retried += r.attempt > 1;
            if (r.device == kSilent) {
                QCOMPARE(r.result, 1);
                QCOMPARE(r.attempt, silent);
                QVERIFY2(r.durationUs >= (kAnswerDelay - 20) * 1000, qPrintable(QString::number(r.durationUs)));
            }
            if (!r.note.isEmpty())
                QCOMPARE(r.result, rtu ? 2 : 1);
        }
        QCOMPARE(silent, kRetries + 1);
        QVERIFY(damaged > 0); // 40 % of at least twenty replies
        QCOMPARE(log.CountersOf(QStringLiteral("ЦТМ")).retries, retried);
        QCOMPARE(log.CountersOf(QStringLiteral("ЦТМ")).requests, log.rowCount());
        client.SetConnected(false);
    }
};

QTEST_GUILESS_MAIN(TestExchangeWire)
#include "tst_exchangewire.moc"
