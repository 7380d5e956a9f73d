#include "imr/poverqpage.h"

#include "imr/imrcontroller.h"
#include "imr/verifypoint.h"
#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "link/runguard.h"

#include "ui_poverqpage.h"

#include <QLayout>
#include <QRadioButton>

namespace
{
enum Command {
    cmdCheckPulsesOnce = 10,
    cmdCheckPulsesStart = 11,
    cmdCheckPulsesEnd = 12,
    cmdCheckLineUndelayed = 13,
};
constexpr int kModeOnce = 6;
constexpr int kModeContinuous = 5;
constexpr int kLastCmdCheckDone = 19;
const QString kPulsesNotWritten = QStringLiteral("Не удалось записать количество задержанных импульсов");
} // namespace

PoverQPage::PoverQPage(ImrController &imr, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::PoverQPage>()), m_imr(imr)
{
    ui->setupUi(this);
    m_points = new RadioGroup(ui->rgPover, this);
    m_nepr = new RadioGroup(ui->RGNepr, this);
    m_control = new RadioGroup(ui->RGControl, this);
    connect(ui->BtnStartPover, &QPushButton::clicked, this, &PoverQPage::BtnStartPoverClick);
    connect(ui->BtnStopPover, &QPushButton::clicked, this, &PoverQPage::BtnStopPoverClick);
    connect(ui->btnPover1, &QPushButton::clicked, this, &PoverQPage::btnPover1Click);
    const auto chosen = [this](RadioGroup *group, void (PoverQPage::*handler)()) {
        connect(group, &RadioGroup::ItemIndexChanged, this, [this, handler](int index) {
            if (!m_quiet && index >= 0)
                (this->*handler)();
        });
    };
    chosen(m_points, &PoverQPage::rgPoverClick);
    chosen(m_nepr, &PoverQPage::RGNeprClick);
    chosen(m_control, &PoverQPage::RGControlClick);
    connect(&m_imr, &ImrController::CalibratingChanged, this, &PoverQPage::LockForCalibration);
}

PoverQPage::~PoverQPage() = default;

void PoverQPage::AdoptDelayLineGroup(QWidget *group)
{
    if (!group)
        return;
    group->setParent(ui->DelayLineHost);
    ui->DelayLineHost->layout()->addWidget(group);
    group->hide();
}

int PoverQPage::SelectedPoint() const
{
    const int index = m_points->ItemIndex();
    return index < 0 ? 0 : m_points->Button(index)->text().toInt();
}

void PoverQPage::EnableChecks(bool on)
{
    ui->rgPover->setEnabled(on);
    ui->RGNepr->setEnabled(on);
    ui->RGControl->setEnabled(on);
}

QList<QWidget *> PoverQPage::Checks() const
{
    return {ui->rgPover, ui->RGNepr, ui->RGControl, ui->btnPover1, ui->BtnStopPover};
}

void PoverQPage::LockForCalibration(bool on)
{
    // A check chosen inside the calibration would write its command between the calibration's.
    const QList<QWidget *> locked{ui->rgPover, ui->RGNepr, ui->RGControl, ui->btnPover1};
    if (on) {
        if (m_calibrations++ > 0)
            return;
        m_enabledBeforeCalibration.clear();
        for (QWidget *w : locked) {
            m_enabledBeforeCalibration << w->isEnabled();
            w->setEnabled(false);
        }
    } else if (m_calibrations > 0 && --m_calibrations == 0) {
        for (qsizetype i = 0; i < locked.size() && i < m_enabledBeforeCalibration.size(); ++i)
            locked[i]->setEnabled(m_enabledBeforeCalibration[i]);
    }
}

int PoverQPage::Command(int code)
{
    return m_imr.Command(code);
}

bool PoverQPage::SetVerifyPoint(int q)
{
    const VerifyPointResult r = ComputeVerifyPoint(q, m_imr.DelayStep());
    if (m_imr.WritePulseCount(r.n) != 0) {
        Messages::Show(kPulsesNotWritten);
        return false;
    }
    m_imr.SetImitQ(r.ImitQ);
    ui->edtQReal_Imited->setText(Fmt3(r.ImitQ));
    ui->edtDPN->setText(QString::number(r.n));
    VerifyPulses = r.n;
    return true;
}

void PoverQPage::BtnStartPoverClick()
{
    if (!m_imr.BenchConnected())
        return;
    if (m_imr.ImrMode() != 0) {
        Messages::Show(QStringLiteral("Отмените работу других режимов"));
        return;
    }
    const RunGuard run(m_running);
    if (!run)
        return;
    // Nested clicks while the calibration waits must not start a second run.
    ui->BtnStartPover->setEnabled(false);
    if (!m_imr.CalibrateDelayLine()) {
        ui->BtnStartPover->setEnabled(true);
        return;
    }
    m_imr.SetVerifyMode(true);
    SetVerifyPoint(SelectedPoint());
    EnableChecks(true);
    ui->btnPover1->setEnabled(true);
    ui->BtnStartPover->setEnabled(false);
    ui->BtnStopPover->setEnabled(true);
}

void PoverQPage::rgPoverClick()
{
    if (const RunGuard run(m_running, Checks()); run)
        SetVerifyPoint(SelectedPoint());
}

void PoverQPage::RGNeprClick()
{
    // One check at a time: a choice inside this one's wait would leave the mode
    // kept here and the module's state apart.
    const RunGuard run(m_running, Checks());
    if (!run)
        return;
    if (m_nepr->ItemIndex() == 0) {
        ui->btnPover1->show();
        if (Command(cmdCheckPulsesEnd) != 0) {
            Messages::Show(QStringLiteral("Не прошла команда STOP задержанных импульсов"));
            return;
        }
        Q_EMIT StatusChanged(QString());
        m_imr.SetImrMode(kModeOnce);
    } else if (m_nepr->ItemIndex() == 1) {
        ui->btnPover1->hide();
        const int result = Command(cmdCheckPulsesStart);
        if (result != 0) {
            Messages::Show(QStringLiteral("Не прошла команда поверка числа задержанных импульсов") +
                           QString::number(result));
            return;
        }
        Q_EMIT StatusChanged(QStringLiteral("Идет поверка числа задержанных импульсов."));
        m_imr.SetImrMode(kModeContinuous);
    }
}

void PoverQPage::btnPover1Click()
{
    const RunGuard run(m_running, Checks());
    if (!run)
        return;
    if (!m_imr.ImrToIdle()) {
        Messages::Show(QStringLiteral("Ошибка : попробуйте еще раз"));
        return;
    }
    Q_EMIT StatusChanged(QStringLiteral("Запись количества задержанных импульсов"));
    // The module counts from zero in the one-shot check; a point never written gives 0.
    const int count = qMax(0, VerifyPulses - 1);
    if (m_imr.WritePulseCount(count) != 0) {
        Messages::Show(kPulsesNotWritten);
        return;
    }
    Q_EMIT StatusChanged(QStringLiteral("Команда : произвести поверку числа зад.имп. "));
    if (Command(cmdCheckPulsesOnce) != 0) {
        Messages::Show(QStringLiteral("Не прошла команда поверка числа задержанных импульсов."));
        return;
    }
    if (!m_imr.ReadImrState())
        return;
    const BenchValues &v = m_imr.Session().Values();
    if (v.ImrState != 0)
        Messages::Show(QStringLiteral("Прибор не вошел в режим поверки задержанных импульсов."));
    else if (v.ImrErrors != 0)
        Messages::Show(QStringLiteral("Прибор ответил ошибкой автомата имитиции."));
    else if (v.ImrLastCmd != kLastCmdCheckDone)
        Messages::Show(QStringLiteral("Прибор выдает результат последней операции как-то не так."));
    else
        Q_EMIT StatusChanged(QStringLiteral("Поверка числа задержанных импульсов выполнена"));
}

void PoverQPage::RGControlClick()
{
    const RunGuard run(m_running, Checks());
    if (!run)
        return;
    ui->btnPover1->hide();
    if (!m_imr.ImrToIdle())
        return;
    if (Command(cmdCheckLineUndelayed + (m_control->ItemIndex() == 1 ? 1 : 0)) != 0)
        Messages::Show(QStringLiteral("Не удалось выполнить запись команды:") + ResultText(m_imr.Session().Box().ResImrCmd));
}

void PoverQPage::BtnStopPoverClick()
{
    // The checks, "Проверить" and "Стоп" end locked unless the module stays out of idle.
    bool stopped = false;
    const RunGuard run(m_running, Checks(), [&stopped] { return !stopped; });
    if (!run)
        return;
    if (!m_imr.ImrToIdle())
        return;
    stopped = true;
    Q_EMIT StatusChanged(QStringLiteral("Поверка ЦТМ остановлена"));
    m_imr.SetImrMode(0);
    EnableChecks(false);
    m_quiet = true;
    m_nepr->SetItemIndex(-1);
    m_control->SetItemIndex(-1);
    m_quiet = false;
    ui->BtnStartPover->setEnabled(true);
    ui->BtnStopPover->setEnabled(false);
}
