#include "bench/tpropertyfrm.h"
#include "ui_tpropertyfrm.h"

#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"
#include "link/keyfilters.h"
#include "link/messages.h"
#include "link/runguard.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace
{
const int kSpeeds[] = {1200, 2400, 4800, 9600};
constexpr int kMaxSlave = 247;

// The integer of a field within lo..hi, or a message and false.
bool FieldValue(const QString &text, int lo, int hi, const QString &what, int *out)
{
    if (!Messages::ToInteger(text, out))
        return false;
    if (*out >= lo && *out <= hi)
        return true;
    Messages::Show(QStringLiteral("%1 должен быть от %2 до %3").arg(what).arg(lo).arg(hi));
    return false;
}
} // namespace

TPropertyFrm::TPropertyFrm(QWidget *parent) : QDialog(parent), ui(new Ui::TPropertyFrm)
{
    ui->setupUi(this);
    InstallIntFilter(ui->EdtAdr);
    InstallIntFilter(ui->EdtRts);
    connect(ui->Button2, &QPushButton::clicked, this, &TPropertyFrm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TPropertyFrm::Button3Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TPropertyFrm::Button5Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TPropertyFrm::Button1Click);
}

TPropertyFrm::~TPropertyFrm() = default;

void TPropertyFrm::Bind(BenchSession *session)
{
    m_session = session;
    m_mbcm = session->BenchClient();
}

void TPropertyFrm::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
    FormActivate();
    QDialog::showEvent(event);
}

void TPropertyFrm::FormActivate()
{
    if (!Prib)
        return;
    ui->EdtAdr->setText(QString::number(Prib->Adr));
    ui->EdtRts->setText(QString::number(Prib->RTSDelay));
    if (!m_mbcm)
        return;
    const int baud = m_mbcm->ComSpeed();
    for (int i = 0; i < 4; ++i)
        if (kSpeeds[i] == baud)
            ui->CBSpeed->setCurrentIndex(i);
    // 19200 has no item here: the list shows no speed rather than a wrong one.
    if (baud == 19200)
        ui->CBSpeed->setCurrentIndex(-1);
}

bool TPropertyFrm::WriteByte(int qid, int reg, int value, Mailbox &mailbox)
{
    // The wait pumps the event loop: a second click would write again inside the first.
    const RunGuard run(m_writing, {ui->Button2, ui->Button3, ui->Button5});
    if (!run)
        return false;
    if (!m_session->BenchModule(*Prib).WriteHoldRegs(qid, 0, reg, TypedValue(value, dtUInt8)))
        return false;
    const int result = WaitResult(mailbox);
    if (result != 0)
        Messages::Show(ResultText(result));
    return result == 0;
}

void TPropertyFrm::Button2Click()
{
    int adr = 0;
    if (!Prib || !m_mbcm ||
        !FieldValue(ui->EdtAdr->text(), 1, kMaxSlave, QStringLiteral("Адрес прибора"), &adr))
        return;
    if (WriteByte(BenchQid::WriteModuleAddress, 0, adr, m_session->Box().ResAdr))
        Prib->Adr = quint8(adr);
}

void TPropertyFrm::Button3Click()
{
    int rts = 0;
    if (!Prib || !m_mbcm || !FieldValue(ui->EdtRts->text(), 0, 255, QStringLiteral("Задержка RTS"), &rts))
        return;
    WriteByte(BenchQid::WriteModuleRts, 2, rts, m_session->Box().ResRts);
}

void TPropertyFrm::Button5Click()
{
    if (!Prib || !m_mbcm)
        return;
    const int code = ui->CBSpeed->currentIndex();
    if (code < 0) {
        Messages::Show(QStringLiteral("Не выбрана скорость"));
        return;
    }
    WriteByte(BenchQid::WriteModuleSpeed, 1, code, m_session->Box().ResSpeed);
}

void TPropertyFrm::Button1Click()
{
    // Only a written address is adopted (by "Записать"): a typed one the module
    // refused or never got would send every later command to the wrong module.
    hide();
}

void TPropertyFrm::reject()
{
    // Escape closes as "Закрыть" does.
    Button1Click();
}
