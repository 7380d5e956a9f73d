#pragma once

#include <QString>
#include <QtGlobal>

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
