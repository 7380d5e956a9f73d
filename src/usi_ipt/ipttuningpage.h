#pragma once

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui
{
class IptTuningPage;
}
class BenchSession;
class RadioGroup;

// Page "Настройка ИПТ, УСИ": the reference current of the current meter's AD420 and
// the two-point calibration of one of its channels.
class IptTuningPage : public QWidget
{
    Q_OBJECT
public:
    explicit IptTuningPage(BenchSession &session, QWidget *parent = nullptr);
    ~IptTuningPage() override;

public Q_SLOTS:
    void TbMaChange();
    void Button1Click();
    void Button2Click();
    // True only after the scale and the offset were both written.
    bool CalibIpt();

Q_SIGNALS:
    void StatusChanged(const QString &text); // panel 0 of the status bar

private:
    bool Linked() const;
    // Writes and waits; the message on failure. False when it failed.
    bool Write(int qid, int reg, const QVariant &value, const char *failure);
    void Advance();
    // The controls locked while a write or the calibration runs.
    QList<QWidget *> Locked() const;
    // A pause the module needs, its step shown.
    void Pause(int ms, const QString &step);

    std::unique_ptr<Ui::IptTuningPage> ui;
    BenchSession &m_session;
    RadioGroup *m_canal = nullptr;
    bool m_running = false;
};
