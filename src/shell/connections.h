#pragma once

#include <QObject>

class TMainFrm;
class TCanalFrm;

// Opening and closing of the bench and flowmeter links from the main window's
// buttons, and the link state in its captions and status bars.
class Connections : public QObject
{
    Q_OBJECT
public:
    explicit Connections(TMainFrm &main);

    void BtnConnectClick();
    void BtnConnect1Click();
    // "Параметры" of the flowmeter group: the link dialog for the flowmeter, then its address.
    void BBParamClick();
    void MBCMChangeConnected(bool connected);
    void MBCM1ChangeConnected(bool connected);

private:
    TCanalFrm *Canal() const;
    QString PortName() const;
    // The flowmeter address of the field into PriborDev; says so and
    // gives false when it is not an address.
    bool TakeFlowmeterAddress();

    TMainFrm &m_main;
};
