// The simulated bench inside a program (demo mode): served from the caller's own event loop.

#include "sim/lib/demobench.h"

#include <QModbusReply>
#include <QModbusTcpClient>
#include <QUrl>
#include <QtTest>
#include <memory>

class TestDemoBench : public QObject
{
    Q_OBJECT
private slots:
    void servesBothLinesInProcess();
    void optionsKeepTheLoopback();
};

namespace
{

QList<quint16> Read(QModbusTcpClient &c, QModbusDataUnit::RegisterType type, int addr, int count, int unit)
{
    std::unique_ptr<QModbusReply> r(c.sendReadRequest(QModbusDataUnit(type, addr, quint16(count)), unit));
    if (!r)
        return {};
    if (!r->isFinished()) {
        QSignalSpy spy(r.get(), &QModbusReply::finished);
        if (!spy.wait(3000))
            return {};
    }
    return r->error() == QModbusDevice::NoError ? r->result().values() : QList<quint16>{};
}

bool Connect(QModbusTcpClient &c, const QString &endpoint)
{
    const QUrl url(endpoint);
    c.setConnectionParameter(QModbusDevice::NetworkAddressParameter, url.host());
    c.setConnectionParameter(QModbusDevice::NetworkPortParameter, url.port());
    c.setTimeout(500);
    c.setNumberOfRetries(0);
    if (!c.connectDevice())
        return false;
    QElapsedTimer t;
    t.start();
    while (c.state() != QModbusDevice::ConnectedState && t.elapsed() < 3000)
        QTest::qWait(10);
    return c.state() == QModbusDevice::ConnectedState;
}

} // namespace

void TestDemoBench::servesBothLinesInProcess()
{
    DemoBench demo, other;
    QString error;
    QVERIFY2(demo.Start(&error), qPrintable(error));
    QVERIFY(other.Start(&error));
    QVERIFY(demo.BenchEndpoint().startsWith("tcp://127.0.0.1:"));
    QVERIFY(demo.FlowmeterEndpoint() != demo.BenchEndpoint());
    QVERIFY(other.BenchEndpoint() != demo.BenchEndpoint());
    QCOMPARE(demo.ImrAddress(), 1);
    QCOMPARE(demo.UsiAddress(), 2);
    QCOMPARE(demo.IptAddress(), 3);
    QCOMPARE(demo.FlowmeterAddress(), 1);

    QModbusTcpClient bench, meter;
    QVERIFY(Connect(bench, demo.BenchEndpoint()));
    QVERIFY(Connect(meter, demo.FlowmeterEndpoint()));
    QCOMPARE(Read(bench, QModbusDataUnit::InputRegisters, 1, 3, demo.ImrAddress()),
             (QList<quint16>{0, 0, 0}));
    QCOMPARE(Read(bench, QModbusDataUnit::HoldingRegisters, 0, 1, demo.IptAddress()), QList<quint16>{3});
    QCOMPARE(Read(meter, QModbusDataUnit::HoldingRegisters, 0, 4, demo.FlowmeterAddress()).size(), 4);
}

void TestDemoBench::optionsKeepTheLoopback()
{
    SimOptions o;
    o.bench = "tcp://0.0.0.0:1502";
    o.imrAddress = 7;
    o.model = 6;
    DemoBench demo(o);
    QString error;
    QVERIFY(demo.Start(&error));
    QVERIFY(demo.BenchEndpoint().startsWith("tcp://127.0.0.1:"));
    QVERIFY(!demo.BenchEndpoint().endsWith(":1502"));
    QCOMPARE(demo.ImrAddress(), 7);
    QModbusTcpClient meter;
    QVERIFY(Connect(meter, demo.FlowmeterEndpoint()));
    QCOMPARE(Read(meter, QModbusDataUnit::InputRegisters, 26, 1, 1),
             QList<quint16>{4}); // the multi-channel model
}

QTEST_GUILESS_MAIN(TestDemoBench)
#include "tst_demobench.moc"
