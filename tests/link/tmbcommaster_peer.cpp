#include "tmbcommaster_peer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

namespace
{
QString PeerScript()
{
    return QStringLiteral(QTM_PEER_SCRIPT);
}
} // namespace

bool PeerProcess::StartScript(const QStringList &args, const QByteArray &readyPrefix, QByteArray *line)
{
    // The system interpreter: pymodbus comes from the distribution.
    m_peer.setProcessChannelMode(QProcess::SeparateChannels);
    m_peer.start(QStringLiteral("/usr/bin/python3"), QStringList{PeerScript()} + args);
    if (!m_peer.waitForStarted(5000)) {
        m_error = QStringLiteral("peer did not start");
        return false;
    }
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (m_peer.canReadLine() || m_peer.waitForReadyRead(200)) {
            while (m_peer.canReadLine()) {
                *line = m_peer.readLine().trimmed();
                if (line->startsWith(readyPrefix))
                    return true;
            }
        }
        if (m_peer.state() == QProcess::NotRunning)
            break;
    }
    m_error = QStringLiteral("peer not ready: ") + QString::fromUtf8(m_peer.readAllStandardError());
    return false;
}

QString PeerProcess::Start(bool rtu)
{
    QByteArray line;
    if (!rtu) {
        if (!StartScript({QStringLiteral("--tcp")}, "PORT ", &line))
            return {};
        return QStringLiteral("tcp://127.0.0.1:") + QString::fromLatin1(line.mid(5));
    }
    const QString a = m_dir.filePath(QStringLiteral("client"));
    const QString b = m_dir.filePath(QStringLiteral("peer"));
    m_socat.start(QStringLiteral("socat"),
                  {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0,link=") + a,
                   QStringLiteral("pty,raw,echo=0,link=") + b});
    QDeadlineTimer deadline(5000);
    while (!(QFileInfo::exists(a) && QFileInfo::exists(b)) && !deadline.hasExpired())
        QThread::msleep(20);
    if (!QFileInfo::exists(a) || !QFileInfo::exists(b)) {
        m_error = QStringLiteral("socat gave no pty pair");
        return {};
    }
    if (!StartScript({QStringLiteral("--rtu"), b}, "READY", &line))
        return {};
    return a;
}

void PeerProcess::Kill(QProcess &p)
{
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(3000);
    }
}

void PeerProcess::Stop()
{
    Kill(m_peer);
    Kill(m_socat);
}
