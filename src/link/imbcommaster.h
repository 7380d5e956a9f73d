#pragma once

#include "link/exchangerecord.h"

#include <QObject>
#include <QString>
#include <QVariant>

// The client side of a Modbus task server: tasks are handed over with an integer
// QID and every execution ends in exactly one OnExchange, delivered later from the
// event loop. Written values carry their register type in the QVariant's metatype
// (see TypedValue): qint8/quint8/qint16/quint16 take one register, qint32/quint32/
// float two, double four; a QVariantList writes consecutive values.
class IMBComMaster : public QObject
{
    Q_OBJECT
public:
    explicit IMBComMaster(QObject *parent = nullptr) : QObject(parent) {}
    ~IMBComMaster() override = default;

    // Link parameters; they take effect at the next SetConnected(true).
    QString ComPort() const { return m_comPort; }
    void SetComPort(const QString &port) { m_comPort = port; }
    int ComSpeed() const { return m_comSpeed; }
    void SetComSpeed(int baud) { m_comSpeed = baud; }
    int LinkType() const { return m_linkType; } // 0 = RS232, 1 = RS485
    void SetLinkType(int type) { m_linkType = type; }
    int AnswerDelay() const { return m_answerDelay; } // reply time-out, ms
    void SetAnswerDelay(int ms) { m_answerDelay = ms; }
    int Retries() const { return m_retries; }
    void SetRetries(int n) { m_retries = n; }
    int InterByte() const { return m_interByte; }
    void SetInterByte(int v) { m_interByte = v; }

    // Address of the device for the tasks handed over from now on; 0 = broadcast.
    int DeviceAddres() const { return m_deviceAddres; }
    void SetDeviceAddres(int addr) { m_deviceAddres = addr; }

    virtual bool Connected() const = 0;
    // Opens or closes the link; the outcome is reported by OnChangeConnected, and an
    // opening that fails by OnConnectFailed.
    virtual void SetConnected(bool on) = 0;

    virtual void ReadInputRegs(int qid, int period, int regAddres, int dataType, int dataCount) = 0;
    virtual void ReadHoldRegs(int qid, int period, int regAddres, int dataType, int dataCount) = 0;
    virtual void WriteHoldRegs(int qid, int period, int regAddres, const QVariant &value) = 0;
    virtual void WriteHoldBins(int qid, int period, int binAddres, const QVariant &value) = 0;
    virtual void ReadHoldBins(int qid, int period, int binAddres, int dataCount) = 0;
    virtual void GetDeviceName(int qid) = 0;
    virtual void FreeTask(int qid) = 0;
    virtual void FreeAllTasks() = 0;

    // Time within which the link completes one execution whatever the device does:
    // every try waits AnswerDelay after the request and the longest reply have
    // passed the line, plus a margin for the event loop.
    virtual int ExecutionBoundMs() const;
    // Time within which every task handed over until now has had its execution
    // (those queued ahead of it included). Waits take their deadline from it.
    virtual int CompletionBoundMs() const { return ExecutionBoundMs(); }
    static int ExecutionBoundFor(int answerDelay, int retries, int baud, bool serial);

    // Executions are tagged in the order they are queued. While OnExchange is being
    // emitted, ExchangeTag() names the execution it reports; it is 0 otherwise and
    // for clients that do not tag.
    quint64 LastExecutionTag() const { return m_lastTag; }
    quint64 ExchangeTag() const { return m_exchangeTag; }

Q_SIGNALS:
    void OnChangeConnected(bool connected);
    // An opening ended without an open link; why, in Russian.
    void OnConnectFailed(const QString &reason);
    void OnExchange(int qid, int mbAddr, int funNumber, const QVariant &value, int result);
    // What went over the line for one execution, emitted just before its OnExchange
    // by clients that see their line, and only while something is connected to it.
    void ExchangeRecorded(const ExchangeRecord &record);

protected:
    quint64 NewExecutionTag() { return ++m_lastTag; }
    // Emits OnExchange on behalf of the execution with that tag.
    void EmitExchange(quint64 tag, int qid, int mbAddr, int funNumber, const QVariant &value, int result);

private:
    quint64 m_lastTag = 0;
    quint64 m_exchangeTag = 0;
    QString m_comPort = QStringLiteral("COM1");
    int m_comSpeed = 19200;
    int m_linkType = 0;
    int m_answerDelay = 500;
    int m_retries = 5;
    int m_interByte = 20;
    int m_deviceAddres = 1;
};
