#include "flowmeter/tflowmeterform.h"
#include "ui_tflowmeterform.h"

#include "link/conventions.h"
#include "link/radiogroup.h"

namespace
{
constexpr int kQidReset = 5, kQidImit = 8, kQidMode = 9, kQidOut = 12;
constexpr int kRegMode = 15, kRegOut = 21, kRegReset = 27, kCoilImit = 3;
constexpr quint8 kResetValue = 2;
constexpr int kRegQ[2] = {210, 235}, kRegV[2] = {219, 244};
// Window offset of channel 1 at 78, of channel 2 at 161.
constexpr int kRegWindow = 78, kWindowStride = 161 - 78;
} // namespace

TFlowMeterForm::TFlowMeterForm(QWidget *parent)
    : FlowmeterWindow(QStringLiteral("FlowForm"), parent), ui(new Ui::TFlowMeterForm)
{
    ui->setupUi(this);
    m_rgCanal = new RadioGroup(ui->rgCanal, this);
    m_rgWork = new RadioGroup(ui->RGWork, this);
    ui->cbxOut->setCurrentIndex(-1);
    m_shift = {ui->EdtShift, 6, 10, 24, 0, dtFloat32, dtFloat32, 3, true, QStringLiteral("Смещение нуля: ")};
    m_otsek = {ui->EdtOtsek, 7, 11, 31, 0, dtFloat32, dtFloat32, 3, true, QStringLiteral("Отсечка: ")};
    // Read signed, written as a word: -1 goes out as 65535 and comes back as -1.
    m_window = {ui->EdtWindow, 13,       14, kRegWindow, kWindowStride,
                dtInt16,       dtUInt16, 0,  false,      QStringLiteral("Смещение окна: ")};

    connect(m_rgCanal, &RadioGroup::ItemIndexChanged, this, &TFlowMeterForm::rgCanalClick);
    connect(m_rgWork, &RadioGroup::ItemIndexChanged, this, &TFlowMeterForm::RGWorkClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TFlowMeterForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TFlowMeterForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TFlowMeterForm::Button3Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TFlowMeterForm::Button5Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TFlowMeterForm::Button6Click);
    connect(ui->chbImit, &QCheckBox::clicked, this, &TFlowMeterForm::chbImitClick);
    connect(ui->cbxOut, &QComboBox::activated, this, &TFlowMeterForm::cbxOutChange);
    FormCreate(ui->SB);
}

TFlowMeterForm::~TFlowMeterForm() = default;

QLineEdit *TFlowMeterForm::EdtQ() const
{
    return ui->EdtQ;
}

QLineEdit *TFlowMeterForm::EdtV() const
{
    return ui->EdtV;
}

void TFlowMeterForm::rgCanalClick()
{
    const int k = m_rgCanal->ItemIndex();
    if (k < 0)
        return;
    Canal = k;
    ui->Button2->setEnabled(true);
    if (Pribor) {
        Pribor->RegQ = kRegQ[k];
        Pribor->RegV = kRegV[k];
    }
    if (Context.RestartPolling)
        Context.RestartPolling();
}

void TFlowMeterForm::Button1Click()
{
    if (!Connected())
        return;
    (void)Flowmeter().WriteHoldRegs(kQidReset, 0, kRegReset + (Canal == 1 ? 1 : 0), TypedValue(kResetValue, dtUInt8));
}

void TFlowMeterForm::Button6Click()
{
    ui->EdtOtsek->clear();
    ui->EdtShift->clear();
    ReadField(m_shift, 0);
    ReadField(m_otsek, 0);
    if (const int k = m_rgCanal->ItemIndex(); k >= 0)
        ReadField(m_window, k);
}

void TFlowMeterForm::chbImitClick()
{
    (void)Flowmeter().WriteHoldBins(kQidImit, 0, kCoilImit, TypedValue(ui->chbImit->isChecked(), dtBool));
}

void TFlowMeterForm::RGWorkClick()
{
    if (!Connected() || m_rgWork->ItemIndex() < 0)
        return;
    (void)Flowmeter().WriteHoldRegs(kQidMode, 0, kRegMode, TypedValue(m_rgWork->ItemIndex(), dtUInt8));
}

void TFlowMeterForm::Button5Click()
{
    if (Connected())
        WriteField(m_shift, 0);
}

void TFlowMeterForm::Button3Click()
{
    if (Connected())
        WriteField(m_otsek, 0);
}

void TFlowMeterForm::cbxOutChange()
{
    if (!Connected() || ui->cbxOut->currentIndex() < 0)
        return;
    const QVariant value = TypedValue(ui->cbxOut->currentIndex(), dtUInt16);
    SetStatus(QString());
    (void)Flowmeter().WriteHoldRegs(kQidOut, 0, kRegOut, value);
}

void TFlowMeterForm::Button2Click()
{
    if (const int k = m_rgCanal->ItemIndex(); k >= 0)
        WriteField(m_window, k);
}

void TFlowMeterForm::ShowUzsStatus(int wParam, qint32 lParam)
{
    if (wParam != 0) {
        ui->lblErr->setText(ResultText(wParam));
        return;
    }
    const int canal = m_rgCanal->ItemIndex();
    if (canal < 0)
        return;
    const quint32 words = static_cast<quint32>(lParam);
    const quint16 status = canal == 0 ? quint16(words & 0xFFFF) : quint16(words >> 16);
    constexpr quint16 kNoSignal = 8;
    ui->lblErr->setText((status & kNoSignal) ? QStringLiteral("НЕТ УЗС") : QStringLiteral("OK"));
}

void TFlowMeterForm::SubscribeResults()
{
    const auto status = [this](const QString &prefix) {
        return [this, prefix](int, const QVariant &, int result) { SetStatus(prefix + ResultText(result)); };
    };
    Subscribe(kQidReset, status(QStringLiteral("Сброс оъема: ")));
    Subscribe(kQidImit, [this](int, const QVariant &, int result) {
        SetStatus(result ? QStringLiteral("8: ") + ResultText(result)
                         : QStringLiteral("подключ. имитатора ОК"));
    });
    Subscribe(kQidMode, [this](int, const QVariant &, int result) {
        SetStatus(result ? QStringLiteral("9: ") + ResultText(result) : QStringLiteral("режим работы ОК"));
    });
    Subscribe(kQidOut, status(QStringLiteral("Импульсный выход: ")));
    for (const RegisterField *f : {&m_shift, &m_otsek, &m_window}) {
        Subscribe(f->ReadQid, [this, f](int, const QVariant &value, int result) {
            f->Edit->setText(result ? ResultText(result) : f->Text(value));
        });
        Subscribe(f->WriteQid, status(f->WriteStatus));
    }
}
