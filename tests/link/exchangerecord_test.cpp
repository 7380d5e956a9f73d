// The exchange records of the real client against the independent pymodbus peer:
// the frames as they go over the line, one record per execution, before its event.
#include "link/conventions.h"
#include "link/tmbcommaster.h"
#include "tmbcommaster_peer.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#ifdef PEER_RTU
constexpr bool kRtu = true;
#else
constexpr bool kRtu = false;
#endif

namespace
{
constexpr int kAnswerDelay = 300;

// The expected frame: RTU with the CRC given, TCP behind the MBAP header.
QString Frame(const QString &adu, const QString &crc)
{
    if (kRtu)
        return adu + QLatin1Char(' ') + crc;
    const int length = int(adu.split(QLatin1Char(' ')).size());
    return QStringLiteral("?? ?? 00 00 00 %1 ").arg(length, 2, 16, QLatin1Char('0')).toUpper() + adu;
}
} // namespace

class ExchangeRecordTest : public QObject
{
    Q_OBJECT

    PeerProcess m_peer;
    TMBComMaster m_client;
    QList<ExchangeRecord> m_records;
    QStringList m_order; // "record qid" and "event qid", as they came

    // The record of the next execution of qid, which must come before its event.
    ExchangeRecord Run(int qid, const std::function<void()> &handOver)
    {
        m_records.clear();
        m_order.clear();
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        handOver();
        if (!QTest::qWaitFor([&] { return m_order.contains(QStringLiteral("event %1").arg(qid)); }, 5000))
            return {};
        [&] {
            QCOMPARE(m_order, (QStringList{QStringLiteral("record %1").arg(qid),
                                           QStringLiteral("event %1").arg(qid)}));
            QCOMPARE(m_records.size(), 1);
            QVERIFY(m_records.first().startMs >= before);
            QVERIFY(m_records.first().startMs <= QDateTime::currentMSecsSinceEpoch());
            QCOMPARE(m_records.first().framing,
                     kRtu ? ExchangeRecord::Framing::Rtu : ExchangeRecord::Framing::Tcp);
        }();
        return m_records.value(0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString port = m_peer.Start(kRtu);
        QVERIFY2(!port.isEmpty(), qPrintable(m_peer.Error()));
        m_client.SetComPort(port);
        m_client.SetComSpeed(19200);
        m_client.SetAnswerDelay(kAnswerDelay);
        m_client.SetRetries(0);
        connect(&m_client, &IMBComMaster::ExchangeRecorded, this, [this](const ExchangeRecord &r) {
            m_records.append(r);
            m_order.append(QStringLiteral("record %1").arg(r.qid));
        });
        connect(&m_client, &IMBComMaster::OnExchange, this,
                [this](int qid) { m_order.append(QStringLiteral("event %1").arg(qid)); });
        QSignalSpy opened(&m_client, &IMBComMaster::OnChangeConnected);
        m_client.SetConnected(true);
        QVERIFY(opened.wait(5000));
        QVERIFY(m_client.Connected());
    }
    void cleanupTestCase() { m_peer.Stop(); }

    void readAndWritesShowTheirFrames()
    {
        m_client.SetDeviceAddres(1);
        ExchangeRecord r = Run(332011, [&] { m_client.ReadInputRegs(332011, 0, 10, dtInt32, 1); });
        QCOMPARE(r.result, 0);
        QCOMPARE(r.device, 1);
        QCOMPARE(r.function, 4);
        QCOMPARE(r.qid, 332011);
        QVERIFY(r.link.isEmpty()); // named by whoever listens
        QCOMPARE(r.RequestHex(), Frame(QStringLiteral("01 04 00 0A 00 02"), QStringLiteral("51 C9")));
        QCOMPARE(r.ReplyHex(), Frame(QStringLiteral("01 04 04 FF FF FF FE"), QStringLiteral("3B D0")));
        QVERIFY(r.durationUs > 0 && r.durationUs < kAnswerDelay * 1000);

        r = Run(400051, [&] { m_client.WriteHoldRegs(400051, 0, 50, TypedValue(0x01020304, dtUInt32)); });
        QCOMPARE(r.result, 0);
        QCOMPARE(r.function, 16);
        QCOMPARE(r.RequestHex(),
                 Frame(QStringLiteral("01 10 00 32 00 02 04 01 02 03 04"), QStringLiteral("D0 6D")));
        QCOMPARE(r.ReplyHex(), Frame(QStringLiteral("01 10 00 32 00 02"), QStringLiteral("E0 07")));

        // Coils go low bit first; the peer echoes address and count.
        r = Run(11, [&] { m_client.WriteHoldBins(11, 0, 5, QVariantList{true, false, true}); });
        QCOMPARE(r.result, 0);
        QCOMPARE(r.RequestHex(), Frame(QStringLiteral("01 0F 00 05 00 03 01 05"), QStringLiteral("83 54")));
        QCOMPARE(r.ReplyHex(), Frame(QStringLiteral("01 0F 00 05 00 03"), QStringLiteral("05 CB")));
        QVERIFY(r.Answered() && !r.IsException());
    }
    void failuresShowWhatCameBack()
    {
        // Exception 2 from unit 12.
        m_client.SetDeviceAddres(12);
        ExchangeRecord r = Run(24, [&] { m_client.ReadHoldRegs(24, 0, 0, dtUInt16, 1); });
        QCOMPARE(r.result, 11);
        QVERIFY(r.IsException());
        QCOMPARE(r.RequestHex(), Frame(QStringLiteral("0C 03 00 00 00 01"), QStringLiteral("85 17")));
        QCOMPARE(r.ReplyHex(), Frame(QStringLiteral("0C 83 02"), QStringLiteral("51 32")));

        // A silent unit: the request, no reply, the whole time-out.
        m_client.SetDeviceAddres(2);
        r = Run(25, [&] { m_client.ReadHoldRegs(25, 0, 0, dtUInt16, 1); });
        QCOMPARE(r.result, 1);
        QVERIFY(r.Sent());
        QVERIFY(!r.Answered());
        QCOMPARE(r.ReplyHex(), QString());
        QVERIFY2(r.durationUs >= (kAnswerDelay - 20) * 1000, qPrintable(QString::number(r.durationUs)));

        // A task that never reaches the line.
        m_client.SetDeviceAddres(1);
        r = Run(22, [&] { m_client.ReadInputRegs(22, 0, 10, 99, 1); });
        QCOMPARE(r.result, 15);
        QVERIFY(!r.Sent());
        QCOMPARE(r.RequestHex(), QString());

        if (!kRtu)
            return; // TCP frames carry no checksum
        // Qt drops the reply with the bad CRC: only the request and the code remain.
        m_client.SetDeviceAddres(9);
        r = Run(36, [&] { m_client.ReadHoldRegs(36, 0, 0, dtUInt16, 1); });
        QCOMPARE(r.result, 2);
        QCOMPARE(r.RequestHex(), QStringLiteral("09 03 00 00 00 01 85 42"));
        QVERIFY(!r.Answered());
    }
};

QTEST_GUILESS_MAIN(ExchangeRecordTest)
#include "exchangerecord_test.moc"
