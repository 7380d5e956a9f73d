#pragma once

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui
{
class ProtocolPage;
}

// The protocol settings as the operator set them; numbers as typed.
struct ProtocolSettings {
    QString SerialNumber; // of the flowmeter under test
    QString Owner;
    QString RegisterNumber; // in the state register of measuring instruments
    int Kind = 0;           // 0 "Первичная", 1 "Периодическая"
    int ProtocolType = 0;   // index in "Тип протокола"
    QString Verifier;
    bool VisualOk = true; // "соответствует"
    bool TrialOk = true;
    QString QMax;
    QString PulseWeight;
    QString Temperature, Humidity, Pressure, Voltage;
    QString LimitFlow, LimitVolume, LimitPulses, LimitCurrent;
    bool Print = false;
    bool CloseExcel = false;
};

// Page "Протокол" of the main window: protocol settings and the two parameter windows.
class ProtocolPage : public QWidget
{
    Q_OBJECT
public:
    explicit ProtocolPage(QWidget *parent = nullptr);
    ~ProtocolPage() override;

    ProtocolSettings Settings() const;
    // Shows stored settings; `verifiers` are those used before, newest first.
    void SetSettings(const ProtocolSettings &s, const QStringList &verifiers);

    // The windows the buttons open; set by the main window.
    std::function<QWidget *()> form11;
    std::function<QWidget *()> parATFrm;

public Q_SLOTS:
    void Button11Click();
    void Button12Click();

Q_SIGNALS:
    void Button13Clicked();    // "Создать протокол..."
    void StartClicked();       // automatic verification
    void PointsClicked();      // the verification points window
    void LabClicked();         // the lab and bench data

private:
    std::unique_ptr<Ui::ProtocolPage> ui;
};
