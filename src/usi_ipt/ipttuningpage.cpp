#include "usi_ipt/ipttuningpage.h"
#include "ui_ipttuningpage.h"

#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"
#include "link/mailbox.h"
#include "link/radiogroup.h"
#include "link/runguard.h"
#include "usi_ipt/iptcalibration.h"

using namespace BenchQid;

IptTuningPage::IptTuningPage(BenchSession &session, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::IptTuningPage>()), m_session(session)
{
    ui->setupUi(this);
    m_canal = new RadioGroup(ui->RgCanal, this);
    connect(ui->TbMa, &QSlider::valueChanged, this, &IptTuningPage::TbMaChange);
    connect(ui->Button1, &QPushButton::clicked, this, &IptTuningPage::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &IptTuningPage::Button2Click);
}

IptTuningPage::~IptTuningPage() = default;

bool IptTuningPage::Linked() const
{
    return m_session.BenchConnected() && m_session.IptDev().Adr != 0;
}

void IptTuningPage::TbMaChange()
{
    ui->Label4->setText(QString::number(ui->TbMa->value()));
}

void IptTuningPage::Button1Click()
{
    // Addressed to the current meter itself, and only when there is one to reach.
    if (!Linked())
        return;
    const RunGuard run(m_running, Locked());
    if (!run)
        return;
    if (!m_session.Ipt().WriteHoldRegs(WriteIptDac, 0, 0x4000,
                                       TypedValue(IptCalibration::DacCode(ui->TbMa->value()), dtUInt16)))
        return;
    if (WaitResult(m_session.Box().ResIptDac) != 0)
        Messages::Show(QStringLiteral("Не записать число в ЦАП AD420"));
}

void IptTuningPage::Button2Click()
{
    if (m_running)
        return;
    ui->PBIpt->setValue(0);
    CalibIpt();
}

QList<QWidget *> IptTuningPage::Locked() const
{
    // Whatever writes the DAC or picks the channel would spoil the two readings.
    return {ui->Button1, ui->Button2, ui->TbMa, ui->RgCanal};
}

void IptTuningPage::Pause(int ms, const QString &step)
{
    Q_EMIT StatusChanged(step);
    PauseResponsive(ms);
}

void IptTuningPage::Advance()
{
    ui->PBIpt->setValue(ui->PBIpt->value() + 1);
}

bool IptTuningPage::Write(int qid, int reg, const QVariant &value, const char *failure)
{
    BenchMailboxes &b = m_session.Box();
    Mailbox *box = qid == WriteIptDac     ? &b.ResIptDac
                   : qid == WriteIptCmd   ? &b.ResIptCmd
                   : qid == WriteIptScale ? &b.ResIptScale
                                          : &b.ResIptOffset;
    // Each write names the current meter: nothing run during a wait can re-point it.
    if (!m_session.Ipt().WriteHoldRegs(qid, 0, reg, value))
        return false;
    if (WaitResult(*box) == 0)
        return true;
    Messages::Show(QString::fromUtf8(failure));
    return false;
}

bool IptTuningPage::CalibIpt()
{
    const int n = m_canal->ItemIndex() + 1;
    if (n == 0) {
        Messages::Show(QStringLiteral("Канал-то выберите"));
        return false;
    }
    if (!Linked())
        return false;
    const RunGuard run(m_running, Locked());
    if (!run)
        return false;
    double x[2] = {0, 0};
    for (int k = 1; k <= 2; ++k) {
        const quint16 code = k == 1 ? 0 : quint16(IptCalibration::kDacFullScale);
        if (!Write(WriteIptDac, 0x4000, TypedValue(code, dtUInt16), "Не записать число в ЦАП AD420"))
            return false;
        Advance();
        // The module settles on the new current; the window keeps painting, its controls locked.
        Pause(2000, QString::number(k) + QStringLiteral(": записали код. Ждем 2 секунды"));
        Advance();
        if (!Write(WriteIptCmd, 3, TypedValue(n, dtUInt8), "Не удалось записать номер канала"))
            return false;
        Advance();
        Pause(1000, QString::number(k) + QStringLiteral(": номер канала"));
        Advance();
        if (!m_session.Ipt().ReadInputRegs(ReadIptRaw, 0, 0x8000, dtUInt32, 4))
            return false;
        if (WaitResult(m_session.Box().ResIptRaw) != 0) {
            Messages::Show(QStringLiteral("Не считать суммы из ИПТ"));
            return false;
        }
        x[k - 1] = double(m_session.Values().IptRaw[n - 1]);
        Advance();
    }
    Q_EMIT StatusChanged(QStringLiteral("Считали суммы"));
    IptCalibration::Line line;
    switch (IptCalibration::FitLine(x[0], x[1], &line)) {
    case IptCalibration::Fit::EqualSums:
        Messages::Show(QStringLiteral("temp=0"));
        return false;
    case IptCalibration::Fit::OutOfLimits:
        Messages::Show(QStringLiteral("Где-то вышли за пределы"));
        return false;
    case IptCalibration::Fit::Ok:
        break;
    }
    if (!Write(WriteIptScale, IptCalibration::ScaleRegister(n), TypedValue(line.scale, dtFloat32),
               "Не удалось записать масштаб канала"))
        return false;
    Advance();
    if (!Write(WriteIptOffset, IptCalibration::OffsetRegister(n), TypedValue(line.offset, dtFloat32),
               "Не удалось записать смещение канала"))
        return false;
    Advance();
    Messages::Show(QStringLiteral("Калибровка прошла успешно!"));
    Write(WriteIptCmd, 3, TypedValue(0, dtUInt8), "Не удалось перевести ИПТ в режим измерений");
    return true;
}
