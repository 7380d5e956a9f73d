#include "usi_ipt/ipttuningpage.h"
#include "ui_ipttuningpage.h"

#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "usi_ipt/iptcalibration.h"

#include <QThread>

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
    if (!m_session.Ipt().WriteHoldRegs(WriteIptDac, 0, 0x4000,
                                       TypedValue(IptCalibration::DacCode(ui->TbMa->value()), dtUInt16)))
        return;
    ui->Button1->setEnabled(false);
    const int result = WaitResult(m_session.Box().ResIptDac);
    ui->Button1->setEnabled(true);
    if (result != 0)
        Messages::Show(QStringLiteral("Не записать число в ЦАП AD420"));
}

void IptTuningPage::Button2Click()
{
    ui->Button2->setEnabled(false);
    ui->PBIpt->setValue(0);
    CalibIpt();
    ui->Button2->setEnabled(true);
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
    double x[2] = {0, 0};
    for (int k = 1; k <= 2; ++k) {
        const quint16 code = k == 1 ? 0 : quint16(IptCalibration::kDacFullScale);
        if (!Write(WriteIptDac, 0x4000, TypedValue(code, dtUInt16), "Не записать число в ЦАП AD420"))
            return false;
        Advance();
        Q_EMIT StatusChanged(QString::number(k) + QStringLiteral(": записали код. Ждем 2 секунды"));
        // The module settles on the new current; nothing else may run meanwhile.
        QThread::msleep(2000);
        Advance();
        if (!Write(WriteIptCmd, 3, TypedValue(n, dtUInt8), "Не удалось записать номер канала"))
            return false;
        Advance();
        Q_EMIT StatusChanged(QString::number(k) + QStringLiteral(": номер канала"));
        QThread::msleep(1000);
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
