#include "flowmeter/tflowmeterformgs.h"
#include "ui_tflowmeterformgs.h"

#include "flowmeter/tgsform1.h"
#include "link/conventions.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "link/usermessages.h"

#include <QRadioButton>
#include <QSignalBlocker>

namespace
{
const QString kChooseChannel = QStringLiteral("Выберите канал");
constexpr int kQidVerify = 16, kQidCanal = 18, kQidCount = 26, kQidReset = 27, kQidSlotTypes = 28;
constexpr int kRegCount = 26, kRegVerify = 74, kRegCanal = 75, kRegReset = 83, kRegSlotTypes = 7;
constexpr int kRegQ = 49592, kRegV = 49600, kRegAc = 16480;
constexpr int kCanalColumns = 4;
} // namespace

TFlowMeterFormGS::TFlowMeterFormGS(QWidget *parent)
    : FlowmeterWindow(QStringLiteral("FlowFormGC"), parent), ui(new Ui::TFlowMeterFormGS)
{
    ui->setupUi(this);
    m_settings[Med].Field = {ui->EdtMed, 20,      -20, 280,  1,
                             dtUInt8,    dtUInt8, 0,   true, QStringLiteral("Медианное усреднение: ")};
    m_settings[Arifm].Field = {
        ui->EdtArifm, 21,      -21, 284,  1,
        dtUInt8,      dtUInt8, 0,   true, QStringLiteral("Арифметические усреднение: ")};
    m_settings[UZS].Field = {ui->EdtUZS, 22,        -22, 49864, 2,
                             dtFloat32,  dtFloat32, 4,   true,  QStringLiteral("УЗС: ")};
    m_settings[ShiftZero].Field = {ui->EdtShift, 23,        -23, 49872, 2,
                                   dtFloat32,    dtFloat32, 4,   true,  QStringLiteral("Смещение нуля: ")};
    m_settings[Otsek].Field = {ui->EdtOtsek, 24,        -24, 49880, 2,
                               dtFloat32,    dtFloat32, 4,   true,  QStringLiteral("Измерения: ")};
    m_settings[AC].Field = {ui->EdtAc, 25, 0, kRegAc, 1, dtUInt16, dtUInt16, 0, false, QString()};
    m_settings[AC].Input = true;

    connect(ui->Button1, &QPushButton::clicked, this, &TFlowMeterFormGS::Button1Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TFlowMeterFormGS::Button5Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TFlowMeterFormGS::Button6Click);
    connect(ui->Button7, &QPushButton::clicked, this, &TFlowMeterFormGS::Button7Click);
    connect(ui->Button9, &QPushButton::clicked, this, &TFlowMeterFormGS::Button9Click);
    connect(ui->BtnSetup, &QPushButton::clicked, this, &TFlowMeterFormGS::BtnSetupClick);
    SetChannelCount(0);
    FormCreate(ui->SB);
}

TFlowMeterFormGS::~TFlowMeterFormGS() = default;

QLineEdit *TFlowMeterFormGS::EdtQ() const
{
    return ui->EdtQ;
}

QLineEdit *TFlowMeterFormGS::EdtV() const
{
    return ui->EdtV;
}

QLineEdit *TFlowMeterFormGS::EdtAc() const
{
    return ui->EdtAc;
}

QLabel *TFlowMeterFormGS::lblStat() const
{
    return ui->lblStat;
}

void TFlowMeterFormGS::SetChannelCount(int n)
{
    const int kept = m_rgCanal ? m_rgCanal->ItemIndex() : -1;
    delete m_rgCanal;
    qDeleteAll(ui->RgCanal->findChildren<QRadioButton *>());
    auto *grid = qobject_cast<QGridLayout *>(ui->RgCanal->layout());
    QList<QRadioButton *> items;
    for (int i = 0; i < n; ++i) {
        auto *b = new QRadioButton(QString::number(i + 1), ui->RgCanal);
        b->setObjectName(QStringLiteral("RgCanalItem%1").arg(i));
        // Only the stored channels have registers of their own to address.
        b->setEnabled(i < kStoredChannels);
        grid->addWidget(b, i / kCanalColumns, i % kCanalColumns);
        items << b;
    }
    m_rgCanal = new RadioGroup(items, this);
    if (kept >= 0 && kept < n) {
        const QSignalBlocker quiet(m_rgCanal);
        m_rgCanal->SetItemIndex(kept);
    }
    connect(m_rgCanal, &RadioGroup::ItemIndexChanged, this, &TFlowMeterFormGS::RgCanalClick);
}

int TFlowMeterFormGS::StoredCanal() const
{
    const int k = m_rgCanal->ItemIndex();
    return k >= 0 && k < kStoredChannels ? k : -1;
}

int TFlowMeterFormGS::CanalToWrite() const
{
    const int k = StoredCanal();
    if (k < 0)
        Messages::Show(kChooseChannel);
    return k;
}

void TFlowMeterFormGS::RgCanalClick()
{
    PostUserMessage(this, &TFlowMeterFormGS::ApplyChannel);
}

void TFlowMeterFormGS::ApplyChannel()
{
    const int k = StoredCanal();
    if (k < 0)
        return;
    Canal = k;
    if (Status() == kChooseChannel)
        SetStatus(QString());
    if (Pribor) {
        Pribor->RegQ = kRegQ + 2 * k;
        Pribor->RegV = kRegV + 2 * k;
        Pribor->RegAc = kRegAc + k;
    }
    if (Context.RestartPolling)
        Context.RestartPolling();
    (void)Flowmeter().WriteHoldRegs(kQidCanal, 0, kRegCanal, TypedValue(k, dtUInt8));
    ShowValues();
}

void TFlowMeterFormGS::ShowValues()
{
    const int k = StoredCanal();
    if (k < 0)
        return;
    for (const ChannelSetting &s : m_settings)
        s.Field.Edit->setText(s.Field.Text(s.Values[size_t(k)]));
    Session->Values().AutoCircCount = int(m_settings[AC].Values[size_t(k)]);
}

void TFlowMeterFormGS::SetCurRegim(int v)
{
    FCurRegim = v;
    if (v == 0) {
        ui->lblStat->setText(QStringLiteral("Рабочий"));
        ui->Button7->setText(QStringLiteral("Старт поверки"));
        poverka = 2;
    } else {
        ui->lblStat->setText(QStringLiteral("Поверка"));
        ui->Button7->setText(QStringLiteral("Стоп поверки"));
        poverka = 1;
    }
    if (v == 1)
        HideSlotWindows();
    ui->BtnSetup->setEnabled(v == 0);
    ui->Button7->setEnabled(true);
}

void TFlowMeterFormGS::HideSlotWindows()
{
    if (m_gsForm1)
        m_gsForm1->HideAll();
}

void TFlowMeterFormGS::Button7Click()
{
    if (!Connected())
        return;
    if (m_gsForm1 && m_gsForm1->CalibrationRunning()) {
        Messages::Show(QStringLiteral("Остановите калибровку токовых слотов"));
        return;
    }
    HideSlotWindows();
    ui->Button7->setEnabled(false);
    ui->BtnSetup->setEnabled(false);
    (void)Flowmeter().WriteHoldRegs(kQidVerify, 0, kRegVerify, TypedValue(poverka, dtUInt8));
}

void TFlowMeterFormGS::Button6Click()
{
    for (QLineEdit *e : {ui->EdtOtsek, ui->EdtShift, ui->EdtUZS, ui->EdtAc, ui->EdtMed, ui->EdtArifm})
        e->clear();
    for (const ChannelSetting &s : m_settings)
        ReadField(s.Field, 0, kStoredChannels, s.Input);
    (void)Flowmeter().ReadInputRegs(kQidCount, 0, kRegCount, dtUInt8, 1);
    (void)Flowmeter().ReadHoldRegs(kQidSlotTypes, 0, kRegSlotTypes, dtUInt8, 2);
}

void TFlowMeterFormGS::Button1Click()
{
    if (!Connected())
        return;
    const int k = CanalToWrite();
    if (k < 0)
        return;
    // All four are checked before any goes out, so a typing error never leaves
    // the channel half written.
    const Setting order[] = {Med, Otsek, UZS, Arifm};
    QVariant values[4];
    for (int i = 0; i < 4; ++i)
        if (!m_settings[order[i]].Field.Typed(&values[i]))
            return;
    for (int i = 0; i < 4; ++i) {
        const RegisterField &f = m_settings[order[i]].Field;
        (void)Flowmeter().WriteHoldRegs(f.WriteQid, 0, f.Address(k), values[i]);
    }
}

void TFlowMeterFormGS::Button5Click()
{
    if (!Connected())
        return;
    if (const int k = CanalToWrite(); k >= 0)
        WriteField(m_settings[ShiftZero].Field, k);
}

void TFlowMeterFormGS::Button9Click()
{
    if (!Connected())
        return;
    if (const int k = CanalToWrite(); k >= 0)
        (void)Flowmeter().WriteHoldRegs(kQidReset, 0, kRegReset + k, TypedValue(1, dtUInt8));
}

void TFlowMeterFormGS::SetCalibrating(bool on)
{
    ui->RgCanal->setEnabled(!on);
    ui->Button6->setEnabled(!on);
    emit CalibratingChanged(on);
}

void TFlowMeterFormGS::BtnSetupClick()
{
    if (!m_gsForm1)
        m_gsForm1 = new TGsForm1(*this, this);
    m_gsForm1->show();
    m_gsForm1->raise();
}

void TFlowMeterFormGS::ShowAll()
{
    if (m_gsForm1)
        m_gsForm1->ShowAll();
    (void)Flowmeter().ReadInputRegs(kQidCount, 0, kRegCount, dtUInt8, 1);
    show();
}

void TFlowMeterFormGS::HideAll()
{
    HideSlotWindows();
    // Its slot settings and calibration windows are windows of their own: hiding
    // this one leaves them on screen.
    const auto windows = findChildren<QWidget *>();
    for (QWidget *w : windows)
        if (w->isWindow())
            w->hide();
    hide();
}

TGsForm1 *TFlowMeterFormGS::GsForm1() const
{
    return m_gsForm1;
}

void TFlowMeterFormGS::TokIpt(double mA)
{
    if (m_gsForm1)
        m_gsForm1->TokIpt(mA);
}

void TFlowMeterFormGS::StopCalibrations()
{
    if (m_gsForm1)
        m_gsForm1->StopCalibrations();
}

void TFlowMeterFormGS::SubscribeResults()
{
    const auto status = [this](const QString &prefix) {
        return [this, prefix](int, const QVariant &, int result) { SetStatus(prefix + ResultText(result)); };
    };
    Subscribe(kQidVerify, [this](int, const QVariant &, int result) {
        ui->Button7->setEnabled(true);
        SetStatus(QStringLiteral("Старт/Стоп: ") + ResultText(result));
    });
    Subscribe(kQidCanal, [this](int, const QVariant &, int result) {
        if (result == 0)
            return;
        const QSignalBlocker quiet(m_rgCanal);
        m_rgCanal->SetItemIndex(-1);
        // The choice undone: say why.
        SetStatus(QStringLiteral("Выбор канала: ") + ResultText(result));
    });
    Subscribe(kQidCount, [this](int, const QVariant &value, int result) {
        if (result != 0) {
            SetStatus(QStringLiteral("Кол-во каналов: ") + ResultText(result));
            return;
        }
        SetChannelCount(value.toInt());
        // Without a channel the window shows nothing to work with: start on the first one.
        if (StoredCanal() < 0 && m_rgCanal->Count() > 0) {
            const QSignalBlocker quiet(m_rgCanal);
            m_rgCanal->SetItemIndex(0);
        }
        if (StoredCanal() < 0)
            SetStatus(kChooseChannel);
        PostUserMessage(this, &TFlowMeterFormGS::ApplyChannel);
    });
    Subscribe(kQidReset, status(QStringLiteral("Сброс объема: ")));
    for (ChannelSetting &s : m_settings) {
        Subscribe(s.Field.ReadQid, [this, &s](int, const QVariant &value, int result) {
            if (result != 0) {
                if (s.Input)
                    return;
                s.Field.Edit->setText(QStringLiteral("ошибка"));
                return;
            }
            const QVariantList list = value.toList();
            for (int i = 0; i < kStoredChannels && i < list.size(); ++i)
                s.Values[size_t(i)] = list.at(i).toDouble();
            if (!s.Input)
                ShowValues();
        });
        if (s.Field.WriteQid != 0)
            Subscribe(s.Field.WriteQid, status(s.Field.WriteStatus));
    }
    TGsForm1::SubscribeResults(*this, m_gsForm1);
}
