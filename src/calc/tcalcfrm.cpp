#include "calc/tcalcfrm.h"

#include "ui_tcalcfrm.h"

#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/inifile.h"
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

TcalcFrm::TcalcFrm(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::TcalcFrm>())
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
    FormCreate();
}

TcalcFrm::~TcalcFrm()
{
    FormDestroy();
}

void TcalcFrm::FormCreate()
{
    IniFile ini(kIni);
    const QPoint stored(ini.ReadInteger(kSection, QStringLiteral("left"), x()),
                        ini.ReadInteger(kSection, QStringLiteral("top"), y()));
    const QScreen *screen = QGuiApplication::primaryScreen();
    move(screen ? PlaceWindow(stored, frameGeometry().size(), screen->geometry()) : stored);
    ReadingSlot = false;
    ReadingToki = false;
    ci = 0;
    cimp = 0;
    StartRead = false;
}

void TcalcFrm::FormDestroy()
{
    IniFile ini(kIni);
    ini.WriteInteger(kSection, QStringLiteral("left"), x());
    ini.WriteInteger(kSection, QStringLiteral("top"), y());
    // Nothing to tell the operator at this point: the program is ending.
    ini.UpdateFile();
}

void TcalcFrm::SetFlowmeterLink(IMBComMaster *client, std::function<bool()> connected)
{
    MBCM = client;
    FPRiborConnected = std::move(connected);
}

void TcalcFrm::SetQEtalon(double x)
{
    FQEtalon = x;
    ShowNumber(ui->edtqe, x, 3);
    CalcQ();
}

void TcalcFrm::SetQIzm(double x)
{
    FQIzm = x;
    ++m_readings[0];
    ShowNumber(ui->edtqi, x, 3);
    if (StartRead) {
        if (QStat.Add(FQIzm)) {
            ShowNumber(ui->edtmaxq, QStat.Max(), 4);
            ShowNumber(ui->edtminq, QStat.Min(), 4);
            ShowNumber(ui->EdtAvgQ, QStat.Mean(), 4);
        }
        ci = 0;
    }
    CalcQ();
}

void TcalcFrm::SetIIzm(double x)
{
    FIIzm = x;
    ++m_readings[1];
    ShowNumber(ui->edtii, x, 3);
    if (ci < std::numeric_limits<qint32>::max())
        ++ci;
    CalcQ();
}

void TcalcFrm::SetVEtalon(double x)
{
    FVEtalon = x;
    ShowNumber(ui->edtVe, x, 3);
    CalcV();
}

void TcalcFrm::SetVIzm(double x)
{
    FVIzm = x;
    ++m_readings[2];
    ShowNumber(ui->edtVi, x, 3);
    cimp = 0;
    CalcV();
}

void TcalcFrm::SetImpIzm(double x)
{
    FImpIzm = x;
    ++m_readings[3];
    ShowNumber(ui->edtimp, x, 3);
    if (cimp < std::numeric_limits<qint32>::max())
        ++cimp;
    CalcV();
}

void TcalcFrm::SetSlot(int s)
{
    if (s != 0 && s != 1)
        return;
    FSlot = s;
    ReadingSlot = true;
    if (ReadingToki)
        CalcQ();
}

void TcalcFrm::SetToki(const QVariant &table)
{
    const auto numbers = CalcMath::TableFromVariant(table);
    if (!numbers)
        return;
    ReadingToki = true;
    FToki = table;
    FTokiS = *numbers;
    if (ReadingSlot)
        CalcQ();
}

void TcalcFrm::SetStatusText(const QString &text)
{
    SBPanel->setText(text);
}

QString TcalcFrm::StatusText() const
{
    return SBPanel->text();
}

void TcalcFrm::CalcQ()
{
    const auto eQ = CalcMath::RelativeErrorPercent(FQEtalon, FQIzm);
    if (!eQ)
        return;
    ShowError(ui->lblqproc, *eQ);
    if (!ReadingToki)
        return;
    const CalcMath::SlotEntries entries = CalcMath::SlotCalibration(FTokiS, FSlot);
    ShowNumber(ui->edti4, entries.i4, 3);
    ShowNumber(ui->edti20, entries.i20, 3);
    if (!ReadingSlot || ci == 0)
        return;
    const auto ic = CalcMath::ExpectedCurrent(CalcMath::NominalCurrent(FQIzm), entries.i4, entries.i20);
    if (!ic)
        return;
    ShowNumber(ui->edtie, *ic, 3);
    if (const auto eI = CalcMath::RelativeErrorPercent(*ic, FIIzm))
        ShowError(ui->lbliproc, *eI);
}

void TcalcFrm::CalcV()
{
    const auto eV = CalcMath::RelativeErrorPercent(FVEtalon, FVIzm);
    if (!eV)
        return;
    ShowError(ui->lblVproc, *eV);
    if (cimp == 0)
        return;
    const double vp = CalcMath::PulseVolume(FImpIzm);
    ui->lblimp->setText(std::isfinite(vp) ? Fmt4(vp) : kNoNumber);
    if (const auto eP = CalcMath::RelativeErrorPercent(FVIzm, vp))
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
    if (!MBCM)
        return;
    const bool connected = FPRiborConnected ? FPRiborConnected() : MBCM->Connected();
    if (!connected)
        return;
    ReadingSlot = false;
    ReadingToki = false;
    MBCM->ReadHoldRegs(QidSlotTypes, 0, kSlotTypesReg, dtUInt8, 2);
    MBCM->ReadHoldRegs(QidToki, 0, kTableReg, dtFloat32, CalcMath::TableSize);
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

std::pair<double, double> TcalcFrm::CurrentEntries() const
{
    if (!ReadingToki)
        return {4.0, 20.0};
    const CalcMath::SlotEntries e = CalcMath::SlotCalibration(FTokiS, FSlot);
    return {e.i4, e.i20};
}
