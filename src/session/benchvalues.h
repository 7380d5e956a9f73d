#pragma once

#include "link/mailbox.h"
#include "session/benchtypes.h"

// Result mailboxes of the bench tasks: -1 while a routine waits, else the last
// result code of their QID. All are bound to the bench link.
struct BenchMailboxes
{
    Mailbox ResAdr, ResSpeed, ResRts, ResEmulBit, ResPolarity, ResImrStatus, ResAutoCirc, ResAccTime,
        ResCalib, ResImrCmd, ResConvCount, ResPulseCount, ResImitTime, ResFosc, ResTimes, ResUsiMode,
        ResIptRaw, ResIptCur, ResIptCurCal, ResIptCmd, ResIptDac, ResIptScale, ResIptOffset;

    void BindTo(const IMBComMaster *link)
    {
        for (Mailbox *m : {&ResAdr, &ResSpeed, &ResRts, &ResEmulBit, &ResPolarity, &ResImrStatus, &ResAutoCirc,
                           &ResAccTime, &ResCalib, &ResImrCmd, &ResConvCount, &ResPulseCount, &ResImitTime,
                           &ResFosc, &ResTimes, &ResUsiMode, &ResIptRaw, &ResIptCur, &ResIptCurCal, &ResIptCmd,
                           &ResIptDac, &ResIptScale, &ResIptOffset})
            m->Bind(link);
    }
};

// Values decoded from successful bench reads; a failed read leaves them as they
// were (except ImrState, which becomes 255).
struct BenchValues
{
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
    // The flowmeter's autocirculations: read from the ИМР, or set by the model
    // and the flowmeter's own settings; 255 outside the flowmeter task.
    int AutoCircCount = 0;
};
