#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui
{
class ImrTuningPage;
class DelayLineGroup;
} // namespace Ui
class BenchSession;
class ImrController;
class RadioGroup;

// The hidden group "Калибровка линии задержки" of the imitation verification page.
class DelayLineGroup : public QWidget
{
    Q_OBJECT
public:
    explicit DelayLineGroup(QWidget *parent = nullptr);
    ~DelayLineGroup() override;
    void SetDelay(const QString &text);

Q_SIGNALS:
    void CalibrateClicked();

private:
    std::unique_ptr<Ui::DelayLineGroup> ui;
};

// The ИМР parts of page "Настройка ИМР": delay-line calibration and emulation bit.
class ImrTuningPage : public QWidget
{
    Q_OBJECT
public:
    explicit ImrTuningPage(ImrController &imr, QWidget *parent = nullptr);
    ~ImrTuningPage() override;

    // Its calibration button runs the same calibration; its field copies the mean delay.
    void Attach(DelayLineGroup *group);

public Q_SLOTS:
    void Button29Click();
    void Label61Click();
    void Label30Click();
    void Button14Click();
    void Button15Click();
    void BtnFClick();
    void btnT0Click();
    void BtnT1Click();
    void BtnStartDa1Click();
    void BtnStopDa1Click();
    void BtnStartDa2Click();
    void BtnStopDa2Click();

private:
    void ShowCalibration();
    // The DA starts: link, module and idle first.
    bool ReadyForTuning();
    // Command 9 ends either converter's tuning; false (and said) when it failed.
    bool StopTuning();
    // Owns the results of its writes and of the DA1 reads.
    void Subscribe();
    // Writes a converted field without waiting; the completion enables the button again.
    void WriteField(QWidget *button, int qid, int reg, const QVariant &value);
    // The buttons whose sequences wait on the module: one runs at a time.
    QList<QWidget *> Waiting() const;

    std::unique_ptr<Ui::ImrTuningPage> ui;
    ImrController &m_imr;
    BenchSession &m_session;
    RadioGroup *m_rgDa2 = nullptr;
    // Lives on another page, which may be replaced.
    QPointer<DelayLineGroup> m_group;
    bool m_running = false;
};
