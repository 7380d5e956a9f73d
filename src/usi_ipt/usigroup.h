#pragma once

#include <QGroupBox>

#include <functional>
#include <memory>

namespace Ui
{
class UsiGroup;
}
class IMBComMaster;
class RadioGroup;
class TPanel;
struct BenchShared;

// Group "Счетчик импульсов": the periodic read of the four counts of the pulse
// counter, their resets, the input mode of each channel and the channel whose
// count goes to the calculator. The target task moves it between pages.
class UsiGroup : public QGroupBox
{
    Q_OBJECT
public:
    UsiGroup(IMBComMaster *mbcm, BenchShared &shared, QWidget *parent = nullptr);
    ~UsiGroup() override;

    // Registers the completions of the count and input-mode reads.
    void InstallEffects();
    // The bench link flag of the main window.
    std::function<bool()> serverConnected;

    TPanel *Panel(int channel) const; // 1..4
    RadioGroup *CalcChannel() const { return m_channel; }

public Q_SLOTS:
    void ChbCnt1Click();
    void Button6Click();
    void Button7Click();
    void PnlUsi11Click();

Q_SIGNALS:
    // The count of the channel chosen for the calculator.
    void ImpIzmRead(double pulses);

protected:
    bool event(QEvent *event) override;

private:
    bool Usable() const;
    void WriteCommand(int code);
    void RequestModes();
    void CountsRead(const QVariant &value, int result);
    void ModesRead(const QVariant &value, int result);

    std::unique_ptr<Ui::UsiGroup> ui;
    IMBComMaster *m_mbcm;
    BenchShared &m_s;
    RadioGroup *m_channel;
};
