#include "imr/imrtuningpage.h"

#include "imr/clicklabel.h"
#include "imr/imrcontroller.h"
#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "link/runguard.h"

#include "ui_delaylinegroup.h"
#include "ui_imrtuningpage.h"

#include <cmath>

DelayLineGroup::DelayLineGroup(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::DelayLineGroup>())
{
    ui->setupUi(this);
    connect(ui->Button20, &QPushButton::clicked, this, &DelayLineGroup::CalibrateClicked);
}

DelayLineGroup::~DelayLineGroup() = default;

void DelayLineGroup::SetDelay(const QString &text)
{
    ui->Edit10->setText(text);
}

ImrTuningPage::ImrTuningPage(ImrController &imr, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ImrTuningPage>()), m_imr(imr), m_session(imr.Session())
{
    ui->setupUi(this);
    m_rgDa2 = new RadioGroup(ui->RGDa2, this);
    m_rgDa2->SetItemIndex(0);
    connect(ui->BtnF, &QPushButton::clicked, this, &ImrTuningPage::BtnFClick);
    connect(ui->btnT0, &QPushButton::clicked, this, &ImrTuningPage::btnT0Click);
    connect(ui->BtnT1, &QPushButton::clicked, this, &ImrTuningPage::BtnT1Click);
    connect(ui->BtnStartDa1, &QPushButton::clicked, this, &ImrTuningPage::BtnStartDa1Click);
    connect(ui->BtnStopDa1, &QPushButton::clicked, this, &ImrTuningPage::BtnStopDa1Click);
    connect(ui->BtnStartDa2, &QPushButton::clicked, this, &ImrTuningPage::BtnStartDa2Click);
    connect(ui->BtnStopDa2, &QPushButton::clicked, this, &ImrTuningPage::BtnStopDa2Click);
    ui->Panel1->hide();
    connect(ui->Button29, &QPushButton::clicked, this, &ImrTuningPage::Button29Click);
    connect(ui->Button14, &QPushButton::clicked, this, &ImrTuningPage::Button14Click);
    connect(ui->Button15, &QPushButton::clicked, this, &ImrTuningPage::Button15Click);
    new ClickFilter(ui->Label61, [this] { Label61Click(); });
    new ClickFilter(ui->Label30, [this] { Label30Click(); });
    Subscribe();
}

ImrTuningPage::~ImrTuningPage() = default;

void ImrTuningPage::Attach(DelayLineGroup *group)
{
    m_group = group;
    connect(group, &DelayLineGroup::CalibrateClicked, this, &ImrTuningPage::Button29Click);
}

void ImrTuningPage::Button29Click()
{
    const RunGuard run(m_running, Waiting());
    if (run && m_imr.CalibrateDelayLine())
        ShowCalibration();
}

QList<QWidget *> ImrTuningPage::Waiting() const
{
    return {ui->Button29, ui->Button14, ui->Button15};
}

void ImrTuningPage::ShowCalibration()
{
    const BenchValues &v = m_session.Values();
    const double d0 = v.CalibData[0].D;
    const double d1 = v.CalibData[1].D;
    ui->Edit29->setText(Fmt3(v.T0));
    ui->Edit30->setText(Fmt3(v.T1));
    ui->Edit28->setText(Fmt5(double(quint32(v.Fosc)) / 1e8));
    ui->Edit31->setText(Fmt3(d0));
    ui->Edit32->setText(Fmt3(d1));
    ui->Edit33->setText(Fmt3(std::fabs(d0 + d1) / 2));
    if (m_group)
        m_group->SetDelay(ui->Edit33->text());
}

void ImrTuningPage::Label61Click()
{
    ui->Panel1->setVisible(!ui->Panel1->isVisibleTo(this));
}

void ImrTuningPage::Label30Click()
{
    m_imr.RequestEmulBit();
}

void ImrTuningPage::Button14Click()
{
    if (const RunGuard run(m_running, Waiting()); run)
        m_imr.SetEmulBit(false);
}

void ImrTuningPage::Button15Click()
{
    if (const RunGuard run(m_running, Waiting()); run)
        m_imr.SetEmulBit(true);
}

void ImrTuningPage::Subscribe()
{
    using namespace BenchQid;
    const auto written = [this](QWidget *button, const char *what) {
        return [this, button, what](int, const QVariant &, int result) {
            button->setEnabled(true);
            if (result != 0)
                Messages::Show(QString::fromUtf8(what) + ResultText(result));
        };
    };
    m_session.Subscribe(WriteFosc, this, written(ui->BtnF, "Запись Частоты не прошла! \r"));
    m_session.Subscribe(WriteT0, this, written(ui->btnT0, "Запись T0 не прошла! \r"));
    m_session.Subscribe(WriteT1, this, written(ui->BtnT1, "Запись T1 не прошла! \r"));
    // The reset of all modes frees the pending writes: no completion will enable their buttons.
    connect(&m_imr, &ImrController::AllTasksFreed, this, [this] {
        for (QWidget *button : {ui->BtnF, ui->btnT0, ui->BtnT1})
            button->setEnabled(true);
    });
    m_session.Subscribe(ReadDa1, this, [this](int, const QVariant &value, int result) {
        ui->lblDa1->setText(result != 0 ? ResultText(result)
                                        : QString::number(value.toList().value(0, value).toUInt()));
    });
}

void ImrTuningPage::WriteField(QWidget *button, int qid, int reg, const QVariant &value)
{
    // Without the ИМР nothing goes out: a write to address 0 would reach every module.
    if (m_session.Imr().WriteHoldRegs(qid, 0, reg, value))
        button->setEnabled(false);
}

void ImrTuningPage::BtnFClick()
{
    double mhz = 0;
    if (!Messages::ToDouble(ui->Edit28->text(), &mhz))
        return;
    const double units = std::nearbyint(mhz * 1e8);
    // The register holds an unsigned 32-bit count of 10^-8 MHz.
    if (!(units >= 0 && units <= 4294967295.0)) {
        Messages::Show(QStringLiteral("Частота должна быть от 0 до 42,94967295 МГц"));
        return;
    }
    WriteField(ui->BtnF, BenchQid::WriteFosc, 32774, TypedValue(quint32(units), dtUInt32));
}

void ImrTuningPage::btnT0Click()
{
    double ns = 0;
    if (Messages::ToDouble(ui->Edit29->text(), &ns))
        WriteField(ui->btnT0, BenchQid::WriteT0, 49152, TypedValue(ns, dtFloat32));
}

void ImrTuningPage::BtnT1Click()
{
    double ns = 0;
    if (Messages::ToDouble(ui->Edit30->text(), &ns))
        WriteField(ui->BtnT1, BenchQid::WriteT1, 49154, TypedValue(ns, dtFloat32));
}

bool ImrTuningPage::ReadyForTuning()
{
    return m_imr.BenchConnected() && m_session.ImrDev().Adr != 0 && m_imr.ImrToIdle();
}

void ImrTuningPage::BtnStartDa1Click()
{
    const RunGuard run(m_running);
    if (!run)
        return;
    if (!ReadyForTuning())
        return;
    if (!m_imr.WriteCommand(8)) {
        Messages::Show(QStringLiteral("Не удалось заслать команду START"));
        return;
    }
    // A failed read has told the operator already.
    if (!m_imr.ReadImrState())
        return;
    const BenchValues &v = m_session.Values();
    if (v.ImrState != 6 || v.ImrErrors != 0 || v.ImrLastCmd != 16) {
        Messages::Show(QStringLiteral("Ошибка ЦТМ."));
        return;
    }
    ui->BtnStartDa1->setEnabled(false);
    ui->BtnStopDa1->setEnabled(true);
    const ModuleLink imr = m_session.Imr();
    imr.FreeTask(BenchQid::ReadDa1);
    (void)imr.ReadInputRegs(BenchQid::ReadDa1, 500, 6, dtUInt8, 1);
}

bool ImrTuningPage::StopTuning()
{
    if (m_imr.WriteCommand(9))
        return true;
    Messages::Show(QStringLiteral("Не удалось заслать команду STOP"));
    return false;
}

void ImrTuningPage::BtnStopDa1Click()
{
    const RunGuard run(m_running);
    if (!run || !StopTuning())
        return;
    ui->BtnStartDa1->setEnabled(true);
    ui->BtnStopDa1->setEnabled(false);
    m_session.Imr().FreeTask(BenchQid::ReadDa1);
}

void ImrTuningPage::BtnStartDa2Click()
{
    const RunGuard run(m_running);
    if (!run)
        return;
    if (!ReadyForTuning())
        return;
    const bool polar = ui->ChbPolar->isChecked();
    if (m_imr.Await(m_session.Imr().WriteHoldBins(BenchQid::WritePolarity, 0, 1, TypedValue(polar, dtBool)),
                    m_session.Box().ResPolarity) != 0) {
        Messages::Show(QStringLiteral("Не удалось записать полярность "));
        return;
    }
    const int mode = qMax(0, m_rgDa2->ItemIndex());
    if (!m_imr.WriteCommand(5 + mode)) {
        Messages::Show(QStringLiteral("Не удалось заслать команду START"));
        return;
    }
    ui->BtnStartDa2->setEnabled(false);
    ui->ChbPolar->setEnabled(false);
    ui->BtnStopDa2->setEnabled(true);
}

void ImrTuningPage::BtnStopDa2Click()
{
    const RunGuard run(m_running);
    if (!run || !StopTuning())
        return;
    ui->BtnStartDa2->setEnabled(true);
    ui->ChbPolar->setEnabled(true);
    ui->BtnStopDa2->setEnabled(false);
}
