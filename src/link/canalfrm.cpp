#include "link/canalfrm.h"
#include "ui_canalfrm.h"

#include "link/inifile.h"
#include "link/keyfilters.h"
#include "link/messages.h"
#include "link/radiogroup.h"
#include "link/windowplacement.h"

#include <QLineEdit>
#include <QSerialPortInfo>
#include <QShowEvent>

#include <algorithm>
#include <array>

namespace
{

constexpr std::array<int, 5> kBauds = {19200, 9600, 4800, 2400, 1200};

const QString kIni = QStringLiteral("QTM.ini");
const QString kPort = QStringLiteral("Comm Port");
const QString kBaud = QStringLiteral("Baud Rate");
const QString kLink = QStringLiteral("Link Type");
const QString kInterval = QStringLiteral("Interval");
const QString kDelay = QStringLiteral("Receive Delay");
const QString kRetries = QStringLiteral("Error Retriers");

QStringList ComputerPorts()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

// A non-negative integer from an edit field, or a message and false.
bool FieldInteger(const QLineEdit *edit, int *out)
{
    const QString text = edit->text();
    int v = 0;
    if (!Messages::ToInteger(text, &v))
        return false;
    if (v < 0) {
        Messages::Show(QStringLiteral("Значение \"%1\" не может быть отрицательным").arg(text));
        return false;
    }
    *out = v;
    return true;
}

// An integer field within [low, high], or the message that states the bounds.
bool FieldInRange(const QLineEdit *edit, int low, int high, const QString &outOfRange, int *out)
{
    int v = 0;
    if (!FieldInteger(edit, &v))
        return false;
    if (v < low || v > high) {
        Messages::Show(outOfRange.arg(low).arg(high));
        return false;
    }
    *out = v;
    return true;
}

const QString kDelayBounds = QStringLiteral("Задержка должна быть от %1 до %2 мс");
const QString kRetriesBounds = QStringLiteral("Число попыток при сбоях должно быть целым числом от %1 до %2");
const QString kIntervalBounds =
    QStringLiteral("Межбайтовый интервал должен быть от %1 до %2 мс: не больше задержки");

} // namespace

int BaudOfSpeedIndex(int index)
{
    return index >= 0 && index < int(kBauds.size()) ? kBauds[size_t(index)] : kBauds[0];
}

int SpeedIndexOfBaud(int baud)
{
    const auto it = std::find(kBauds.begin(), kBauds.end(), baud);
    return it == kBauds.end() ? 0 : int(it - kBauds.begin());
}

QStringList SortedPortNames(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

int PortItemIndex(const QStringList &items, const QString &port)
{
    // The item with the stored name itself: picking by the name's digit would turn
    // a stored COM2 into whatever port sorts second (COM10 before COM2).
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).compare(port, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

TCanalFrm::TCanalFrm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      ui(new Ui::TCanalFrm), m_ports(ComputerPorts)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    PlaceTopLevel(this, std::nullopt);
    m_speed = new RadioGroup(ui->rgrCSpeed, this);
    m_link = new RadioGroup(ui->RgrLink, this);
    if (auto *edit = ui->UDRet->findChild<QLineEdit *>())
        edit->setObjectName(QStringLiteral("edtRet"));
    InstallFloatFilter(ui->edtInterval);
    InstallIntFilter(ui->edtAnsDel);
    ui->UDRet->setRange(kRetriesMin, kRetriesMax);
    connect(ui->btnUse, &QPushButton::clicked, this, &TCanalFrm::btnUseClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TCanalFrm::btnCancelClick);
}

TCanalFrm::~TCanalFrm() = default;

void TCanalFrm::SetPortSource(std::function<QStringList()> source)
{
    m_ports = source ? std::move(source) : std::function<QStringList()>(ComputerPorts);
}

void TCanalFrm::ReadFINI()
{
    const IniFile ini(kIni);
    if (!ini.Exists()) {
        VarCPort = QStringLiteral("COM1");
        varCSpeed = 0;
        varCLink = 0;
        varCInterval = 20;
        varAnsDel = 500;
        varRet = 5;
        return;
    }
    VarCPort = ini.ReadString(TitleP, kPort, QStringLiteral("COM1"));
    varCSpeed = SpeedIndexOfBaud(ini.ReadInteger(TitleP, kBaud, 19200));
    varCLink = ini.ReadInteger(TitleP, kLink, 0) == 1 ? 1 : 0;
    // A file edited by hand cannot make a link wait for ever.
    varCInterval = std::clamp(ini.ReadInteger(TitleP, kInterval, 20), kIntervalMin, kIntervalMaxMs);
    varAnsDel = std::clamp(ini.ReadInteger(TitleP, kDelay, 500), kAnswerDelayMinMs, kAnswerDelayMaxMs);
    varRet = std::clamp(ini.ReadInteger(TitleP, kRetries, 5), kRetriesMin, kRetriesMax);
}

bool TCanalFrm::WriteFINI()
{
    IniFile ini(kIni);
    ini.WriteString(TitleP, kPort, VarCPort);
    ini.WriteInteger(TitleP, kInterval, varCInterval);
    ini.WriteString(TitleP, kBaud, QString::number(BaudRate()));
    ini.WriteInteger(TitleP, kLink, varCLink);
    ini.WriteInteger(TitleP, kDelay, varAnsDel);
    ini.WriteInteger(TitleP, kRetries, varRet);
    return ini.Save();
}

void TCanalFrm::ShowForBench()
{
    varCLink = 1;
    m_link->SetItemIndex(1);
    TitleP = QStringLiteral("QTM");
    show();
    raise();
}

void TCanalFrm::ShowForFlowmeter()
{
    TitleP = QStringLiteral("Pribor");
    show();
    raise();
}

void TCanalFrm::showEvent(QShowEvent *event)
{
    // Restoring a minimised dialog keeps what the operator has typed.
    if (!event->spontaneous()) {
        FillPorts();
        ReadFINI();
        ShowFields();
    }
    QWidget::showEvent(event);
}

void TCanalFrm::FillPorts()
{
    ui->cbxPort->clear();
    ui->cbxPort->addItems(SortedPortNames(m_ports()));
}

void TCanalFrm::SelectPort()
{
    QStringList items;
    for (int i = 0; i < ui->cbxPort->count(); ++i)
        items << ui->cbxPort->itemText(i);
    const int index = PortItemIndex(items, VarCPort);
    ui->cbxPort->setCurrentIndex(index);
    // A port the computer does not list (a tcp:// endpoint, an unplugged adapter)
    // stays as the typed text, so confirming keeps it.
    if (index < 0)
        ui->cbxPort->setEditText(VarCPort);
}

void TCanalFrm::ShowFields()
{
    SelectPort();
    m_link->SetItemIndex(varCLink);
    m_speed->SetItemIndex(varCSpeed);
    ui->edtInterval->setText(QString::number(varCInterval));
    ui->edtAnsDel->setText(QString::number(varAnsDel));
    ui->UDRet->setValue(varRet);
}

void TCanalFrm::btnUseClick()
{
    // Everything is checked before any field changes, so a refused entry leaves
    // the fields equal to the file.
    int delay = 0;
    int interval = 0;
    if (!FieldInRange(ui->edtAnsDel, kAnswerDelayMinMs, kAnswerDelayMaxMs, kDelayBounds, &delay))
        return;
    const QString port = ui->cbxPort->currentText().trimmed();
    if (port.isEmpty()) {
        Messages::Show(QStringLiteral("Не выбран COM порт"));
        return;
    }
    if (!FieldInRange(ui->edtInterval, kIntervalMin, std::min(kIntervalMaxMs, delay), kIntervalBounds,
                      &interval))
        return;
    // The spin box keeps its last good value under a text it cannot take (an empty
    // field, a number out of range): that text is refused, not silently replaced.
    bool retriesOk = false;
    const int retries = ui->UDRet->cleanText().trimmed().toInt(&retriesOk);
    if (!retriesOk || retries < kRetriesMin || retries > kRetriesMax) {
        Messages::Show(kRetriesBounds.arg(kRetriesMin).arg(kRetriesMax));
        return;
    }

    varAnsDel = delay;
    varRet = retries;
    VarCPort = port;
    varCLink = std::max(0, m_link->ItemIndex());
    varCSpeed = std::max(0, m_speed->ItemIndex());
    varCInterval = interval;
    if (WriteFINI())
        hide();
}

void TCanalFrm::btnCancelClick()
{
    SelectPort();
    m_speed->SetItemIndex(varCSpeed);
    ui->edtInterval->setText(QString::number(varCInterval));
    ui->edtAnsDel->setText(QString::number(varAnsDel));
    ui->UDRet->setValue(varRet);
    m_link->SetItemIndex(0);
    hide();
}
