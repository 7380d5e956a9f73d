// The real client against an independent pymodbus peer, over loopback TCP or
// (when built with PEER_RTU) RTU through a socat pty pair.
#include "link/conventions.h"
#include "link/mailbox.h"
#include "link/tmbcommaster.h"
#include "tmbcommaster_peer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#ifdef PEER_RTU
constexpr bool kRtu = true;
#else
constexpr bool kRtu = false;
#endif

namespace
{
constexpr int kUnit = 1;
constexpr int kCp1251Unit = 4;
constexpr int kSilentUnit = 2;
constexpr int kShortUnit = 5;
constexpr int kBadCrcUnit = 9;
constexpr int kAnswerDelay = 300;

struct Exchange {
    int qid = 0;
    int mbAddr = 0;
    int fun = 0;
    QVariant value;
    int result = -1;
};
} // namespace

class TMBComMasterTest : public QObject
{
    Q_OBJECT

private:
    // Waits for the next exchange of qid; result -1 when none came in time.
    Exchange Next(int qid, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            for (qsizetype i = 0; i < m_spy->size(); ++i) {
                const QList<QVariant> a = m_spy->at(i);
                if (a.at(0).toInt() == qid) {
                    m_spy->removeAt(i);
                    return {a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3), a.at(4).toInt()};
                }
            }
            if (t.elapsed() > ms)
                return {};
            m_spy->wait(qMax(1, int(ms - t.elapsed())));
        }
    }
    int CountOf(int qid) const
    {
        int n = 0;
        for (const QList<QVariant> &a : *m_spy)
            n += a.at(0).toInt() == qid;
        return n;
    }
    bool Open(TMBComMaster &client)
    {
        QSignalSpy changed(&client, &IMBComMaster::OnChangeConnected);
        client.SetConnected(true);
        return changed.wait(5000) && changed.first().first().toBool() && client.Connected();
    }

    PeerProcess m_peer;
    QString m_port;
    std::unique_ptr<TMBComMaster> m_client;
    std::unique_ptr<QSignalSpy> m_spy;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        m_port = m_peer.Start(kRtu);
        QVERIFY2(!m_port.isEmpty(), qPrintable(m_peer.Error()));
        m_client = std::make_unique<TMBComMaster>();
        m_client->SetComPort(m_port);
        m_client->SetComSpeed(19200);
        m_client->SetAnswerDelay(kAnswerDelay);
        m_client->SetRetries(0);
        // A pty has no RS-485 mode: the request for it must be ignored.
        m_client->SetLinkType(kRtu ? 1 : 0);
        m_spy = std::make_unique<QSignalSpy>(m_client.get(), &IMBComMaster::OnExchange);
        QVERIFY(Open(*m_client));
    }
    void init()
    {
        m_client->SetDeviceAddres(kUnit);
        m_spy->clear();
    }
    void cleanupTestCase()
    {
        m_spy.reset();
        m_client.reset();
        m_peer.Stop();
    }

    void readsEveryTypeHighWordFirst_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("address");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("int32") << int(dtInt32) << 10 << QVariant::fromValue(qint32(-2));
        QTest::newRow("float") << int(dtFloat32) << 12 << QVariant::fromValue(1.5f);
        QTest::newRow("double") << int(dtFloat64) << 14 << QVariant(-2.5);
        QTest::newRow("uint32") << int(dtUInt32) << 18 << QVariant::fromValue(quint32(0x12345678));
        QTest::newRow("int16") << int(dtInt16) << 20 << QVariant::fromValue(qint16(-123));
        QTest::newRow("int8") << int(dtInt8) << 20 << QVariant::fromValue(qint8(-123));
        QTest::newRow("uint8") << int(dtUInt8) << 20 << QVariant::fromValue(quint8(0x85));
        QTest::newRow("uint16") << int(dtUInt16) << 21 << QVariant::fromValue(quint16(0x8000));
        QTest::newRow("bool") << int(dtBool) << 21 << QVariant(true);
    }
    void readsEveryTypeHighWordFirst()
    {
        QFETCH(int, type);
        QFETCH(int, address);
        QFETCH(QVariant, expected);
        m_client->ReadInputRegs(332000, 0, address, type, 1);
        const Exchange e = Next(332000);
        QCOMPARE(e.result, 0);
        QCOMPARE(e.mbAddr, kUnit);
        QCOMPARE(e.fun, 4);
        QCOMPARE(e.value.metaType(), expected.metaType());
        QCOMPARE(e.value, expected);
    }
    void readsSeveralValuesAsList()
    {
        m_client->ReadInputRegs(7, 0, 10, dtUInt16, 4);
        const Exchange words = Next(7);
        QCOMPARE(words.result, 0);
        QCOMPARE(words.value.toList(),
                 (QVariantList{QVariant::fromValue(quint16(0xFFFF)), QVariant::fromValue(quint16(0xFFFE)),
                               QVariant::fromValue(quint16(0x3FC0)), QVariant::fromValue(quint16(0))}));
        // Consecutive 32-bit values lie two addresses apart.
        m_client->ReadInputRegs(8, 0, 10, dtInt32, 2);
        const Exchange pair = Next(8);
        QCOMPARE(pair.result, 0);
        QCOMPARE(pair.value.toList().size(), 2);
        QCOMPARE(pair.value.toList().at(0).toInt(), -2);
        QCOMPARE(pair.value.toList().at(1).toInt(), 0x3FC00000);
    }
    void writesRegistersHighWordFirst()
    {
        m_client->WriteHoldRegs(400051, 0, 50, TypedValue(0x01020304, dtUInt32));
        const Exchange w = Next(400051);
        QCOMPARE(w.result, 0);
        QCOMPARE(w.value, QVariant());
        m_client->ReadHoldRegs(400052, 0, 50, dtUInt16, 2);
        QCOMPARE(Next(400052).value.toList(),
                 (QVariantList{QVariant::fromValue(quint16(0x0102)), QVariant::fromValue(quint16(0x0304))}));

        m_client->WriteHoldRegs(1, 0, 60,
                                QVariantList{TypedValue(-2.25, dtFloat64), TypedValue(7.5, dtFloat64)});
        QCOMPARE(Next(1).result, 0);
        m_client->ReadHoldRegs(2, 0, 60, dtFloat64, 2);
        QCOMPARE(Next(2).value.toList(), (QVariantList{QVariant(-2.25), QVariant(7.5)}));

        m_client->WriteHoldRegs(3, 0, 70, TypedValue(-5, dtInt16));
        const Exchange single = Next(3);
        QCOMPARE(single.result, 0);
        QCOMPARE(single.fun, 6);
        m_client->ReadHoldRegs(4, 0, 70, dtInt16, 1);
        QCOMPARE(Next(4).value, QVariant::fromValue(qint16(-5)));
    }
    void writesAndReadsCoils()
    {
        m_client->WriteHoldBins(11, 0, 5, QVariantList{true, false, true});
        QCOMPARE(Next(11).result, 0);
        m_client->ReadHoldBins(-11, 0, 5, 3);
        const Exchange three = Next(-11);
        QCOMPARE(three.result, 0);
        QCOMPARE(three.fun, 1);
        QCOMPARE(three.value.toList(), (QVariantList{true, false, true}));

        m_client->WriteHoldBins(11, 0, 5, false);
        QCOMPARE(Next(11).fun, 5);
        m_client->ReadHoldBins(-11, 0, 5, 1);
        QCOMPARE(Next(-11).value, QVariant(false));
    }
    void valuesWithoutRegisterTypeAreRefused()
    {
        m_client->WriteHoldRegs(21, 0, 80, QVariant(QStringLiteral("12")));
        m_client->ReadInputRegs(22, 0, 10, 99, 1);
        QCOMPARE(m_spy->size(), 0); // never inside the hand-over
        QCOMPARE(Next(21).result, 15);
        QCOMPARE(Next(22).result, 15);
    }
    void readsPastTheDataGiveInvalidAddress()
    {
        m_client->ReadInputRegs(23, 0, 190, dtUInt16, 20);
        QCOMPARE(Next(23).result, 11);
    }
    void exceptionRepliesMapped_data()
    {
        QTest::addColumn<int>("exception");
        QTest::addColumn<int>("result");
        const int map[] = {4, 11, 5, 6, 7, 8, 9, 10};
        for (int c = 1; c <= 8; ++c)
            QTest::addRow("exception %d", c) << c << map[c - 1];
    }
    void exceptionRepliesMapped()
    {
        QFETCH(int, exception);
        QFETCH(int, result);
        m_client->SetDeviceAddres(10 + exception);
        m_client->ReadHoldRegs(24, 0, 0, dtUInt16, 1);
        const Exchange e = Next(24);
        QCOMPARE(e.result, result);
        QCOMPARE(e.mbAddr, 10 + exception);
    }
    void silentUnitTimesOut()
    {
        m_client->SetDeviceAddres(kSilentUnit);
        m_client->ReadHoldRegs(25, 0, 0, dtUInt16, 1);
        m_client->SetDeviceAddres(kUnit); // the event keeps the address of the hand-over
        m_client->ReadHoldRegs(26, 0, 0, dtUInt16, 1);
        const Exchange e = Next(25);
        QCOMPARE(e.result, 1);
        QCOMPARE(e.mbAddr, kSilentUnit);
        const Exchange after = Next(26);
        QCOMPARE(after.result, 0);
        QCOMPARE(after.mbAddr, kUnit);
    }
    void shortReplyGivesNotEnoughData()
    {
        m_client->SetDeviceAddres(kShortUnit);
        m_client->ReadHoldRegs(38, 0, 0, dtFloat64, 1);
        QCOMPARE(Next(38).result, 16);
    }
    void badChecksumGivesCrcCode()
    {
        if (!kRtu)
            QSKIP("TCP frames carry no checksum");
        m_client->SetDeviceAddres(kBadCrcUnit);
        m_client->ReadHoldRegs(36, 0, 0, dtUInt16, 1);
        QCOMPARE(Next(36).result, 2);
    }
    void identificationTexts()
    {
        m_client->GetDeviceName(17);
        const Exchange utf8 = Next(17);
        QCOMPARE(utf8.result, 0);
        QCOMPARE(utf8.value.toString(), QStringLiteral("Модуль ИМР v1.2"));
        m_client->SetDeviceAddres(kCp1251Unit);
        m_client->GetDeviceName(17);
        QCOMPARE(Next(17).value.toString(), QStringLiteral("Счетчик УСИ"));
    }
    void broadcastCompletesOnceSent()
    {
        m_client->SetDeviceAddres(0);
        QElapsedTimer took;
        took.start();
        m_client->WriteHoldRegs(-1, 0, 0, TypedValue(9, dtUInt16));
        QCOMPARE(m_spy->size(), 0);
        const Exchange e = Next(-1, 2000);
        QCOMPARE(e.result, 0);
        QCOMPARE(e.mbAddr, 0);
        // Done when sent (RTU: after the turnaround delay), not by waiting for a reply.
        QVERIFY2(took.elapsed() < kAnswerDelay, qPrintable(QString::number(took.elapsed())));
    }
    void periodicRepeatsUntilFreed()
    {
        m_client->ReadInputRegs(332011, 100, 10, dtInt32, 1);
        QTRY_VERIFY_WITH_TIMEOUT(CountOf(332011) >= 4, 3000);
        m_client->FreeTask(332011);
        const int atFree = CountOf(332011);
        QTest::qWait(400);
        QCOMPARE(CountOf(332011), atFree);
        for (const QList<QVariant> &a : *m_spy)
            QCOMPARE(a.at(4).toInt(), 0);
    }
    void periodicDoesNotPileUp()
    {
        // Each execution takes the whole time-out, six periods.
        m_client->SetDeviceAddres(kSilentUnit);
        m_client->ReadHoldRegs(27, 50, 0, dtUInt16, 1);
        QTest::qWait(3 * kAnswerDelay + 100);
        // Piled-up executions would now stand in the queue before this one.
        m_client->SetDeviceAddres(kUnit);
        QElapsedTimer waited;
        waited.start();
        m_client->ReadHoldRegs(28, 0, 0, dtUInt16, 1);
        QCOMPARE(Next(28).result, 0);
        QVERIFY2(waited.elapsed() < 3 * kAnswerDelay, qPrintable(QString::number(waited.elapsed())));
        const int seen = CountOf(27);
        QVERIFY2(seen >= 2 && seen <= 5, qPrintable(QString::number(seen)));

        m_client->FreeTask(27); // also drops the execution on the line
        QTest::qWait(kAnswerDelay + 200);
        QCOMPARE(CountOf(27), seen);
    }
    void handlerMayWaitForAnotherTask()
    {
        // The program's handlers hand over a task and wait for it from inside an event.
        Mailbox inner;
        int innerSeen = -1;
        QVariant innerValue;
        QMetaObject::Connection c = connect(m_client.get(), &IMBComMaster::OnExchange, this,
                                            [&](int qid, int, int, const QVariant &value, int result) {
                                                if (qid == 41) {
                                                    innerValue = value;
                                                    inner = result;
                                                } else if (qid == 40) {
                                                    m_client->ReadInputRegs(41, 0, 12, dtFloat32, 1);
                                                    innerSeen = WaitResult(inner, 3000);
                                                }
                                            });
        m_client->ReadInputRegs(40, 0, 10, dtInt32, 1);
        QTRY_COMPARE_WITH_TIMEOUT(innerSeen, 0, 5000);
        disconnect(c);
        QCOMPARE(innerValue, QVariant::fromValue(1.5f));
        QCOMPARE(Next(40).result, 0);
    }
    void freeAllTasksSilencesEverything()
    {
        m_client->ReadInputRegs(29, 50, 10, dtInt16, 1);
        m_client->ReadInputRegs(30, 0, 10, dtInt16, 1);
        m_client->FreeAllTasks();
        QTest::qWait(300);
        QCOMPARE(m_spy->size(), 0);
    }
    void unopenablePortGivesNoEvent()
    {
        TMBComMaster other;
        other.SetComPort(kRtu ? QStringLiteral("/nonexistent/ttyQTM") : QStringLiteral("tcp://127.0.0.1:1"));
        QSignalSpy changed(&other, &IMBComMaster::OnChangeConnected);
        QSignalSpy exchanges(&other, &IMBComMaster::OnExchange);
        other.SetConnected(true);
        other.ReadHoldRegs(31, 0, 0, dtUInt16, 1);
        QVERIFY(exchanges.wait(2000));
        QCOMPARE(exchanges.first().at(4).toInt(), 3);
        QTest::qWait(300);
        for (const QList<QVariant> &a : changed)
            QVERIFY(!a.first().toBool());
        QVERIFY(!other.Connected());
    }
    void closingFailsPendingTasks()
    {
        m_client->SetDeviceAddres(kSilentUnit);
        m_client->ReadHoldRegs(32, 0, 0, dtUInt16, 1);
        m_client->SetDeviceAddres(kUnit);
        m_client->ReadHoldRegs(33, 0, 0, dtUInt16, 1);
        QSignalSpy changed(m_client.get(), &IMBComMaster::OnChangeConnected);
        QTest::qWait(50); // the first is on the line now
        m_client->SetConnected(false);
        QVERIFY(changed.wait(3000));
        QCOMPARE(changed.first().first().toBool(), false);
        QVERIFY(!m_client->Connected());
        QCOMPARE(Next(32, 100).result, 3);
        QCOMPARE(Next(33, 100).result, 3);

        m_client->ReadHoldRegs(34, 0, 0, dtUInt16, 1);
        QCOMPARE(m_spy->size(), 0);
        QCOMPARE(Next(34, 1000).result, 3);
        QTest::qWait(kAnswerDelay + 100); // the dropped reply brings nothing
        QCOMPARE(m_spy->size(), 0);

        QVERIFY(Open(*m_client));
        m_client->ReadHoldRegs(35, 0, 0, dtUInt16, 1);
        QCOMPARE(Next(35).result, 0);
    }
    void lostPeerFailsPendingTasks()
    {
        m_client->SetDeviceAddres(kSilentUnit);
        m_client->ReadHoldRegs(37, 0, 0, dtUInt16, 1);
        QSignalSpy changed(m_client.get(), &IMBComMaster::OnChangeConnected);
        QTest::qWait(50);
        m_peer.Stop();
        const Exchange e = Next(37, 3000);
        if (kRtu) {
            // A serial line does not notice a silent peer: the task just times out.
            QCOMPARE(e.result, 1);
            return;
        }
        QCOMPARE(e.result, 3);
        QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, 3000);
        QCOMPARE(changed.first().first().toBool(), false);
        QVERIFY(!m_client->Connected());
    }
};

QTEST_GUILESS_MAIN(TMBComMasterTest)
#include "tmbcommaster_test.moc"
