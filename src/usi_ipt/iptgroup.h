#pragma once

#include <QGroupBox>
#include <QPointer>

#include <memory>

namespace Ui
{
class IptGroup;
}
class IMBComMaster;
class IptCheckPage;
class QCheckBox;
class RadioGroup;
struct BenchShared;

// Group "Токовый выход (ИПТ)": the periodic read of the four currents of the
// current meter and the channel passed on to the calculator and to the current
// output calibration. It also fills the second view on the page "Поверка ИПТ",
// whose check box controls the same read. The target task moves it between pages.
class IptGroup : public QGroupBox
{
    Q_OBJECT
public:
    IptGroup(IMBComMaster *mbcm, BenchShared &shared, QWidget *parent = nullptr);
    ~IptGroup() override;

    // Registers the completions of the cyclic and the one-shot current reads.
    void InstallEffects();
    void Attach(IptCheckPage *page);
    RadioGroup *Channel() const { return m_channel; }

public Q_SLOTS:
    void ChbTokClick();
    void CHBTok1Click();

Q_SIGNALS:
    // The current of the chosen channel, mA: from the cyclic read for the
    // calculator, from the one-shot read for the calibration windows.
    void IIzmRead(double mA);
    void CalibrationCurrentRead(double mA);

protected:
    bool event(QEvent *event) override;

private:
    void Toggle(QCheckBox *box);
    // Shows the four currents; the chosen one, NaN on a failed read or with none chosen.
    double ShowCurrents(const QVariant &value, int result);

    std::unique_ptr<Ui::IptGroup> ui;
    IMBComMaster *m_mbcm;
    BenchShared &m_s;
    RadioGroup *m_channel;
    QPointer<IptCheckPage> m_page;
};
