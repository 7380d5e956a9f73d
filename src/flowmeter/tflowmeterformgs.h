#pragma once

#include "flowmeter/flowmeterwindow.h"

#include <QPointer>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class RadioGroup;
class TGsForm1;
namespace Ui
{
class TFlowMeterFormGS;
}

// "Расходомер" of the multi-channel model: channel, per-channel settings,
// verification mode and the way to the slot settings.
class TFlowMeterFormGS : public FlowmeterWindow
{
    Q_OBJECT
    Q_PROPERTY(int CurRegim READ CurRegim WRITE SetCurRegim)
public:
    // The flowmeter keeps settings of this many channels; a channel beyond them
    // may exist, but none of its registers is ever addressed.
    static constexpr int kStoredChannels = 4;
    // Per-channel settings, in the order "Считать" reads them.
    enum Setting { Med, Arifm, UZS, ShiftZero, Otsek, AC, SettingCount };

    explicit TFlowMeterFormGS(QWidget *parent = nullptr);
    ~TFlowMeterFormGS() override;

    QLineEdit *EdtQ() const;
    QLineEdit *EdtV() const;
    QLineEdit *EdtAc() const;
    QLabel *lblStat() const;
    RadioGroup *RgCanal() const { return m_rgCanal; }
    double Stored(Setting s, int canal) const { return m_settings[s].Values[size_t(canal)]; }
    // Value "Старт поверки"/"Стоп поверки" writes: 2 start, 1 stop, 0 before the first mode read.
    quint8 poverka = 0;

    // Operating mode last read: 0 = working, other = verification.
    int CurRegim() const { return FCurRegim; }
    void SetCurRegim(int v);

    // Shows this window with the slot windows that exist and reads the channel count.
    void ShowAll();
    void HideAll();
    void ShowValues();
    // Posted on a channel choice and after each channel count read.
    void ApplyChannel();

    TGsForm1 *GsForm1() const;
    // The current of the chosen current meter channel, for the running calibration.
    void TokIpt(double mA);
    // Ends a running calibration (its STOP is sent): the program is closing.
    void StopCalibrations();
    // While a slot calibration runs, what would restart the polling is locked: a
    // restart frees the pending point, STOP and table writes.
    void SetCalibrating(bool on);

    void SubscribeResults() override;

Q_SIGNALS:
    // The model choice of the main window restarts the polling too: its owner locks it.
    void CalibratingChanged(bool on);

public Q_SLOTS:
    void RgCanalClick();
    void Button7Click();
    void Button6Click();
    void Button1Click();
    void Button5Click();
    void Button9Click();
    void BtnSetupClick();

private:
    struct ChannelSetting {
        RegisterField Field;
        bool Input = false;
        std::array<double, kStoredChannels> Values{};
    };
    void SetChannelCount(int n);
    // The selected channel when its settings are stored, else -1.
    int StoredCanal() const;
    // The selected channel, or -1 after telling the operator there is none to act on.
    int CanalToWrite() const;
    void HideSlotWindows();

    std::unique_ptr<Ui::TFlowMeterFormGS> ui;
    RadioGroup *m_rgCanal = nullptr;
    std::array<ChannelSetting, SettingCount> m_settings;
    int FCurRegim = 0;
    QPointer<TGsForm1> m_gsForm1;
};
