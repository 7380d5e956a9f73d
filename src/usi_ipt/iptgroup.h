#pragma once

#include <QGroupBox>
#include <QPointer>

#include <memory>

namespace Ui
{
class IptGroup;
}
class BenchSession;
class IptCheckPage;
class QCheckBox;
class RadioGroup;

// Group "Токовый выход (ИПТ)": the periodic read of the four currents of the
// current meter and the channel passed on to the calculator and to the current
// output calibration. It also fills the second view on the page "Поверка ИПТ",
// whose check box controls the same read. The target task moves it between pages.
class IptGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit IptGroup(BenchSession &session, QWidget *parent = nullptr);
    ~IptGroup() override;

    // Starts or stops the periodic read of the currents, as "Читать токи ИПТ каждую секунду" does.
    void SetPolling(bool on);
    void Attach(IptCheckPage *page);
    RadioGroup *Channel() const { return m_channel; }

public Q_SLOTS:
    void ChbTokClick();
    void CHBTok1Click();

Q_SIGNALS:
    // The current of the chosen channel from the one-shot read, mA, for the
    // current output calibration windows (the cyclic read goes to the calculator).
    void CalibrationCurrentRead(double mA);

protected:
    bool event(QEvent *event) override;

private:
    void Toggle(QCheckBox *box);
    // Shows the four currents; the chosen one, NaN on a failed read or with none chosen.
    double ShowCurrents(const QVariant &value, int result);

    std::unique_ptr<Ui::IptGroup> ui;
    BenchSession &m_session;
    RadioGroup *m_channel;
    QPointer<IptCheckPage> m_page;
};
