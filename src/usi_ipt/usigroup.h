#pragma once

#include <QGroupBox>

#include <functional>
#include <memory>

namespace Ui
{
class UsiGroup;
}
class BenchSession;
class RadioGroup;
class TPanel;

// Group "Счетчик импульсов": the periodic read of the four counts of the pulse
// counter, their resets, the input mode of each channel and the channel whose
// count goes to the calculator. The target task moves it between pages.
class UsiGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit UsiGroup(BenchSession &session, QWidget *parent = nullptr);
    ~UsiGroup() override;

    // Starts or stops the periodic read of the counts, as "Читать" does.
    void SetPolling(bool on);

    TPanel *Panel(int channel) const; // 1..4
    RadioGroup *CalcChannel() const { return m_channel; }

public Q_SLOTS:
    void ChbCnt1Click();
    void Button6Click();
    void Button7Click();
    void PnlUsi11Click();

protected:
    bool event(QEvent *event) override;

private:
    bool Usable() const;
    void WriteCommand(int code);
    void RequestModes();
    void CountsRead(const QVariant &value, int result);
    void ModesRead(const QVariant &value, int result);

    std::unique_ptr<Ui::UsiGroup> ui;
    BenchSession &m_session;
    RadioGroup *m_channel;
};
