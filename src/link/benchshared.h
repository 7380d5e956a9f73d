#pragma once

#include "link/mailbox.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <functional>

class QTimer;

// Module descriptor; Adr 0 = module not present.
struct TPQTM
{
    quint8 Adr = 0;
    QString Name;
    quint32 SerNum = 0;
    quint8 RTSDelay = 0;
    qint32 Reg = 0;
};

// Flowmeter register layout; -1 = the flowmeter has no such register.
struct TPribor
{
    QString Name; // at most 50 characters
    qint32 RegAc = -1;
    qint32 RegQ = -1;
    qint32 RegV = -1;
};

// One channel of a delay-line calibration: the five sums the ИМР returns and
// what is derived from them.
struct TCalibChannel
{
    quint32 S0 = 0;
    quint32 S1 = 0;
    quint32 S2 = 0;
    quint32 S3 = 0;
    quint32 S4 = 0;
    double A = 0;
    double Xm = 0;
    double sX2 = 0;
    double Ym = 0;
    double sY2 = 0;
    double D = 0;
    bool unstable = false;
};

// Pages of the main window, in the order SetShow knows them.
// nsProtocol, the page "Протокол", follows the others so their values stay as known.
enum TNames { nsConfig, nsImitV, nsImitQ, nsPoverV, nsPoverQ, nsIMR, nsIPT, nsIPT2, nsUSI, nsProtocol };

// What a feature does with one bench result after the mailbox is stored and the
// value decoded: (mbAddr, value, result).
using BenchEffect = std::function<void(int mbAddr, const QVariant &value, int result)>;

// Process-wide values of the bench, owned by the main window so each main
// window (and each test) starts with fresh ones.
struct BenchShared
{
    BenchShared() = default;
    BenchShared(const BenchShared &) = delete;
    BenchShared &operator=(const BenchShared &) = delete;

    TPQTM ImrDev;
    TPQTM UsiDev;
    TPQTM IptDev;
    TPQTM PriborDev;

    double ImitQ = 0;      // imitated flow rate, m3/h
    double DelayStep = 0;  // ns per delayed pulse; 0 until a calibration succeeds
    int ImrMode = 0;
    int VerifyMode = 0;
    int PribType = -1;     // -1 while no flowmeter model is selected
    int AutoCircCount = 0;
    int TargetTask = 0;
    bool OldBench = false;
    int SearchPending = 0;

    // Result mailboxes of the bench tasks.
    Mailbox ResAdr, ResSpeed, ResRts, ResEmulBit, ResPolarity, ResImrStatus, ResAutoCirc,
        ResAccTime, ResCalib, ResImrCmd, ResConvCount, ResPulseCount, ResImitTime, ResFosc,
        ResTimes, ResUsiMode, ResIptRaw, ResIptCur, ResIptCurCal, ResIptCmd, ResIptDac,
        ResIptScale, ResIptOffset;

    // Binds every mailbox above to the bench client, so their waits follow its link.
    void BindMailboxes(const IMBComMaster *mbcm)
    {
        for (Mailbox *m : {&ResAdr, &ResSpeed, &ResRts, &ResEmulBit, &ResPolarity, &ResImrStatus,
                           &ResAutoCirc, &ResAccTime, &ResCalib, &ResImrCmd, &ResConvCount,
                           &ResPulseCount, &ResImitTime, &ResFosc, &ResTimes, &ResUsiMode, &ResIptRaw,
                           &ResIptCur, &ResIptCurCal, &ResIptCmd, &ResIptDac, &ResIptScale, &ResIptOffset})
            m->Bind(mbcm);
    }

    // Values decoded from bench reads.
    qint32 ImrState = 0;
    qint32 ImrErrors = 0;
    qint32 ImrLastCmd = 0;
    qint32 AccTimeMs = 0;
    TCalibChannel CalibData[2];
    qint32 Fosc = 0;
    double T0 = 0;
    double T1 = 0;
    bool EmulBit = false;
    qint32 IptRaw[4] = {0, 0, 0, 0};

    // The main window's volume accumulation timer (started and stopped by the
    // volume imitation); read by the accumulated-time result.
    QTimer *Timer1 = nullptr;

    // Feature effects per bench QID, run by MBCMExchange after it has stored the
    // mailbox and decoded the value. A feature sets its own entries.
    QHash<int, BenchEffect> Effects;
};
