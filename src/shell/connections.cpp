#include "shell/connections.h"

#include "bench/tfrminit.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "link/canalfrm.h"
#include "link/messages.h"
#include "shell/tmainfrm.h"

#include <QLineEdit>
#include <QPushButton>

Connections::Connections(TMainFrm &main) : QObject(&main), m_main(main)
{
    connect(&main.Session(), &BenchSession::BenchLinkChanged, this, &Connections::MBCMChangeConnected);
    connect(&main.Session(), &BenchSession::FlowmeterLinkChanged, this, &Connections::MBCM1ChangeConnected);
    // A link that does not open would otherwise only keep its button caption.
    const auto tell = [](IMBComMaster *client, const QString &what) {
        connect(client, &IMBComMaster::OnConnectFailed, client, [client, what](const QString &why) {
            Messages::Show(
                QStringLiteral("Не удалось подключиться к %1 (%2): %3").arg(what, client->ComPort(), why));
        });
    };
    tell(main.Session().BenchClient(), QStringLiteral("ЦТМ"));
    tell(main.Session().FlowmeterClient(), QStringLiteral("расходомеру"));
}

TCanalFrm *Connections::Canal() const
{
    return qobject_cast<TCanalFrm *>(m_main.Windows.CanalFrm.data());
}

QString Connections::PortName() const
{
    TCanalFrm *c = Canal();
    return c ? c->VarCPort : QString();
}

static void Apply(IMBComMaster *client, TCanalFrm *canal, const QString &section)
{
    if (canal) {
        canal->TitleP = section;
        canal->ReadFINI();
        client->SetAnswerDelay(canal->varAnsDel);
        client->SetLinkType(canal->varCLink);
        client->SetComPort(canal->VarCPort);
        client->SetComSpeed(canal->BaudRate());
        client->SetRetries(canal->varRet);
        client->SetInterByte(canal->varCInterval);
    }
    client->SetConnected(true);
}

void Connections::BtnConnectClick()
{
    BenchSession &session = m_main.Session();
    if (session.BenchConnected()) {
        session.BenchClient()->SetConnected(false);
        for (const char *b : {"BitBtn5", "BtnCount"})
            if (auto *w = m_main.Control<QWidget>(QString::fromLatin1(b)))
                w->setEnabled(false);
        return;
    }
    Apply(session.BenchClient(), Canal(), QStringLiteral("QTM"));
}

void Connections::BtnConnect1Click()
{
    BenchSession &session = m_main.Session();
    if (session.FlowmeterConnected()) {
        if (m_main.Windows.FlowMeterForm)
            m_main.Windows.FlowMeterForm->hide();
        if (m_main.Windows.FlowMeterFormGS)
            m_main.Windows.FlowMeterFormGS->HideAll();
        session.FreeAllFlowmeterTasks();
        session.FlowmeterClient()->SetConnected(false);
        for (const char *b : {"BitBtn7", "BtnSetup"})
            if (auto *w = m_main.Control<QWidget>(QString::fromLatin1(b)))
                w->setEnabled(false);
        return;
    }
    // Prepare the link first: the address check may end the action.
    if (TakeFlowmeterAddress())
        Apply(session.FlowmeterClient(), Canal(), QStringLiteral("PRIBOR"));
}

bool Connections::TakeFlowmeterAddress()
{
    const QString text = m_main.Control<QLineEdit>(QStringLiteral("edtadrp"))->text();
    bool ok = false;
    const int adr = text.trimmed().toInt(&ok);
    if (!ok || adr < 0 || adr > 255) {
        Messages::Show(QStringLiteral("\"%1\" не является правильным адресом прибора (0..255).").arg(text));
        return false;
    }
    // Every flowmeter request names this address when it is handed over.
    m_main.Session().PriborDev().Adr = quint8(adr);
    return true;
}

void Connections::BBParamClick()
{
    if (TCanalFrm *c = Canal()) {
        c->ShowForFlowmeter();
        TakeFlowmeterAddress();
    }
}

void Connections::MBCMChangeConnected(bool connected)
{
    for (const char *b : {"BitBtn5", "BtnCount"})
        if (auto *w = m_main.Control<QWidget>(QString::fromLatin1(b)))
            w->setEnabled(connected);
    auto *button = m_main.Control<QPushButton>(QStringLiteral("BtnConnect"));
    if (connected) {
        m_main.SetSBText(QStringLiteral("QTM on"));
        button->setText(QStringLiteral("Отключиться"));
    } else {
        m_main.SetSBText(PortName() + QStringLiteral("QTM off"));
        button->setText(QStringLiteral("Подключиться"));
    }
    if (m_main.Windows.FrmInit)
        m_main.Windows.FrmInit->Connecting = connected;
}

void Connections::MBCM1ChangeConnected(bool connected)
{
    for (const char *b : {"BitBtn7", "BtnSetup"})
        if (auto *w = m_main.Control<QWidget>(QString::fromLatin1(b)))
            w->setEnabled(connected);
    auto *button = m_main.Control<QPushButton>(QStringLiteral("BtnConnect1"));
    if (connected) {
        m_main.SetSBText(QStringLiteral("Pribor on"));
        button->setText(QStringLiteral("Отключиться"));
    } else {
        m_main.SetSBText(PortName() + QStringLiteral("Pribor off"));
        button->setText(QStringLiteral("Подключиться"));
    }
}
