#include "bench/tfrminit.h"
#include "ui_tfrminit.h"

#include "session/benchqids.h"
#include "session/benchsession.h"
#include "link/conventions.h"
#include "link/imbcommaster.h"

#include <QEventLoop>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

namespace
{
const int kSpeeds[] = {1200, 2400, 4800, 9600, 19200};
} // namespace

TFrmInit::TFrmInit(QWidget *parent) : QDialog(parent), ui(new Ui::TFrmInit)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui->Label1->setText(
        QStringLiteral("Установка настроек связи\r\nпо умолчанию.\r\nВыключите все другие приборы,\r\n"
                       "находящиеся в одной сети RS485\r\nс ЦТМ и нажмите \"СТАРТ\""));
    connect(ui->Button1, &QPushButton::clicked, this, &TFrmInit::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TFrmInit::Button2Click);
}

TFrmInit::~TFrmInit() = default;

void TFrmInit::Bind(BenchSession *session)
{
    if (m_session)
        return;
    m_session = session;
    m_mbcm = session->BenchClient();
    connect(session, &BenchSession::BenchLinkChanged, this, [this](bool connected) {
        Connecting = connected;
        Wake();
    });
    m_session->Subscribe(BenchQid::WriteDefaults, this, [this](int, const QVariant &, int result) {
        writing = result != 0 ? 2 : 1;
        Wake();
    });
}

void TFrmInit::Wake()
{
    m_woken = true;
    if (m_loop)
        m_loop->quit();
}

template <class Done> bool TFrmInit::WaitFor(Done done)
{
    while (!done() && !InitStop) {
        QEventLoop loop;
        QEventLoop *outer = m_loop;
        m_loop = &loop;
        m_woken = false;
        loop.exec();
        m_loop = outer;
        // Ended by no event of ours: the program is quitting.
        if (!m_woken)
            InitStop = true;
    }
    return !InitStop;
}

bool TFrmInit::Pause(int ms)
{
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &TFrmInit::Wake);
    timer.start(ms);
    return WaitFor([&timer] { return !timer.isActive(); });
}

void TFrmInit::Add(const QString &line)
{
    ui->Memo1->appendPlainText(line);
}

void TFrmInit::Button1Click()
{
    if (!m_mbcm)
        return;
    ui->Memo1->clear();
    InitStop = false;
    // One run at a time: the waits below let clicks through.
    ui->Button1->setEnabled(false);
    const auto finish = qScopeGuard([this] { ui->Button1->setEnabled(true); });
    for (const int speed : kSpeeds) {
        if (Connecting) {
            m_mbcm->SetConnected(false);
            WaitFor([this] { return !Connecting; });
        }
        if (InitStop)
            return;
        m_mbcm->SetComSpeed(speed);
        Add(QStringLiteral("Скорость=") + QString::number(m_mbcm->ComSpeed()) + QStringLiteral("..."));
        Connecting = false;
        m_mbcm->SetConnected(true);
        if (!WaitFor([this] { return Connecting; }))
            return;
        Add(QStringLiteral("Ok"));
        const QVariantList defaults = {TypedValue(0, dtUInt8), TypedValue(3, dtUInt8),
                                       TypedValue(0, dtUInt8)};
        // The one write meant for every module on the line.
        writing = -1;
        (void)m_session->BenchBroadcast().WriteHoldRegs(BenchQid::WriteDefaults, 0, 0, defaults);
        Add(QStringLiteral("Запись адреса..."));
        if (!WaitFor([this] { return writing != -1; }))
            return;
        // The modules take their new settings; nothing else is sent meanwhile.
        if (!Pause(kPauseMs))
            return;
    }
    Add(QStringLiteral("Завершено."));
    m_mbcm->SetConnected(false);
}

void TFrmInit::Button2Click()
{
    InitStop = true;
    Wake();
    hide();
}

void TFrmInit::reject()
{
    Button2Click();
}
