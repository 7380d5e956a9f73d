#include "calc/tcalcfrm.h"

#include "ui_tcalcfrm.h"

#include "link/conventions.h"
#include "session/benchsession.h"
#include "session/flowmeterqids.h"
#include "link/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <limits>

namespace
{

const QString kIni = QStringLiteral("QTM.ini");
const QString kSection = QStringLiteral("CalcFrm");
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
// Shown instead of a value that is not a number, as a failed read is shown.
const QString kNoNumber = QStringLiteral("Ошибка");

constexpr int kSlotTypesReg = 7;
constexpr int kTableReg = 0xC02C;

} // namespace

TcalcFrm::TcalcFrm(BenchSession &session, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TcalcFrm>()), m_session(session), m_in(session.Calc())
{
    setWindowFlag(Qt::Window);
    ui->setupUi(this);
    SBPanel = new QLabel(ui->SB);
    SBPanel->setObjectName(QStringLiteral("SBPanel"));
    ui->SB->addWidget(SBPanel, 1);
    connect(ui->btnStart, &QPushButton::clicked, this, &TcalcFrm::btnStartClick);
    connect(ui->BtnClear, &QPushButton::clicked, this, &TcalcFrm::BtnClearClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TcalcFrm::Button1Click);
    resize(sizeHint());
    connect(&m_in, &CalcInputs::QEtalonChanged, this, [this](double x) {
        ShowNumber(ui->edtqe, x, 3);
        CalcQ();
    });
    connect(&m_in, &CalcInputs::QIzmChanged, this, &TcalcFrm::OnQIzm);
    connect(&m_in, &CalcInputs::IIzmChanged, this, &TcalcFrm::OnIIzm);
    connect(&m_in, &CalcInputs::VEtalonChanged, this, [this](double x) {
        ShowNumber(ui->edtVe, x, 3);
        CalcV();
    });
    connect(&m_in, &CalcInputs::VIzmChanged, this, &TcalcFrm::OnVIzm);
    connect(&m_in, &CalcInputs::ImpIzmChanged, this, &TcalcFrm::OnImpIzm);
    connect(&m_in, &CalcInputs::SlotChanged, this, [this] {
        if (m_in.Toki())
            CalcQ();
    });
    connect(&m_in, &CalcInputs::TokiChanged, this, [this] {
        if (m_in.Slot())
            CalcQ();
    });
    connect(&m_in, &CalcInputs::StatusTextChanged, SBPanel, &QLabel::setText);
    m_session.SubscribeFlowmeter(FlowQid::CalcSlotTypes, this,
                                 [this](int, const QVariant &value, int result) { SlotTypesRead(value, result); });
    m_session.SubscribeFlowmeter(FlowQid::CalcToki, this,
                                 [this](int, const QVariant &value, int result) { TableRead(value, result); });
    FormCreate();
}

TcalcFrm::~TcalcFrm()
{
    FormDestroy();
}

void TcalcFrm::FormCreate()
{
    PlaceTopLevel(this, ReadStoredPlace(kIni, kSection));
    ci = 0;
    cimp = 0;
    StartRead = false;
}

void TcalcFrm::FormDestroy()
{
    StorePlace(this, kIni, kSection);
}

void TcalcFrm::OnQIzm(double x)
{
    ShowNumber(ui->edtqi, x, 3);
    if (StartRead) {
        if (QStat.Add(x)) {
            ShowNumber(ui->edtmaxq, QStat.Max(), 4);
            ShowNumber(ui->edtminq, QStat.Min(), 4);
            ShowNumber(ui->EdtAvgQ, QStat.Mean(), 4);
        }
        ci = 0;
    }
    CalcQ();
}

void TcalcFrm::OnIIzm(double x)
{
    ShowNumber(ui->edtii, x, 3);
    if (ci < std::numeric_limits<qint32>::max())
        ++ci;
    CalcQ();
}

void TcalcFrm::OnVIzm(double x)
{
    ShowNumber(ui->edtVi, x, 3);
    cimp = 0;
    CalcV();
}

void TcalcFrm::OnImpIzm(double x)
{
    ShowNumber(ui->edtimp, x, 3);
    if (cimp < std::numeric_limits<qint32>::max())
        ++cimp;
    CalcV();
}

void TcalcFrm::SlotTypesRead(const QVariant &value, int result)
{
    if (result == 0)
        if (const auto slot = CalcMath::CurrentSlotFromTypes(value))
            m_in.SetSlot(*slot);
    m_in.SetStatusText(QStringLiteral("Тип доп. слотов: ") + ResultText(result));
}

void TcalcFrm::TableRead(const QVariant &value, int result)
{
    if (result == 0)
        m_in.SetToki(value);
    m_in.SetStatusText(QStringLiteral("Значения токов ") + ResultText(result));
}

QString TcalcFrm::StatusText() const
{
    return SBPanel->text();
}

void TcalcFrm::CalcQ()
{
    const auto eQ = CalcMath::RelativeErrorPercent(m_in.QEtalon(), m_in.QIzm());
    if (!eQ)
        return;
    ShowError(ui->lblqproc, *eQ);
    const auto table = m_in.Toki();
    if (!table)
        return;
    const CalcMath::SlotEntries entries = CalcMath::SlotCalibration(*table, m_in.Slot().value_or(0));
    ShowNumber(ui->edti4, entries.i4, 3);
    ShowNumber(ui->edti20, entries.i20, 3);
    if (!m_in.Slot() || ci == 0)
        return;
    const auto ic = CalcMath::ExpectedCurrent(CalcMath::NominalCurrent(m_in.QIzm()), entries.i4, entries.i20);
    if (!ic)
        return;
    ShowNumber(ui->edtie, *ic, 3);
    if (const auto eI = CalcMath::RelativeErrorPercent(*ic, m_in.IIzm()))
        ShowError(ui->lbliproc, *eI);
}

void TcalcFrm::CalcV()
{
    const auto eV = CalcMath::RelativeErrorPercent(m_in.VEtalon(), m_in.VIzm());
    if (!eV)
        return;
    ShowError(ui->lblVproc, *eV);
    if (cimp == 0)
        return;
    const double vp = CalcMath::PulseVolume(m_in.ImpIzm());
    ui->lblimp->setText(std::isfinite(vp) ? Fmt4(vp) : kNoNumber);
    if (const auto eP = CalcMath::RelativeErrorPercent(m_in.VIzm(), vp))
        ShowError(ui->lblVproc2, *eP);
}

void TcalcFrm::btnStartClick()
{
    StartRead = !StartRead;
    ui->btnStart->setText(StartRead ? QStringLiteral("Стоп") : QStringLiteral("Старт"));
}

void TcalcFrm::BtnClearClick()
{
    QStat.Reset();
}

void TcalcFrm::Button1Click()
{
    if (!m_session.FlowmeterConnected())
        return;
    m_in.ForgetSlotAndTable();
    const ModuleLink flowmeter = m_session.Flowmeter();
    (void)flowmeter.ReadHoldRegs(FlowQid::CalcSlotTypes, 0, kSlotTypesReg, dtUInt8, 2);
    (void)flowmeter.ReadHoldRegs(FlowQid::CalcToki, 0, kTableReg, dtFloat32, CalcMath::TableSize);
}

void TcalcFrm::ShowNumber(QLineEdit *edit, double value, int decimals)
{
    edit->setText(std::isfinite(value) ? FormatDecimals(value, decimals) : kNoNumber);
}

void TcalcFrm::ShowError(QLabel *label, double percent)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, CalcMath::IsOutOfTolerance(percent) ? kRed : kGreen);
    label->setPalette(p);
    label->setText(std::isfinite(percent) ? FmtPercent4(percent) : kNoNumber);
}
