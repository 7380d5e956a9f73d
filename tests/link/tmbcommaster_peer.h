#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The pymodbus peer (and for RTU the socat pty pair) a test runs against; every
// process it starts is killed when it goes out of scope.
class PeerProcess
{
public:
    PeerProcess() = default;
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;
    ~PeerProcess() { Stop(); }

    // Starts the peer; returns the client's ComPort ("tcp://127.0.0.1:n" or a pty
    // path), empty on failure (see Error()).
    QString Start(bool rtu);
    void Stop();
    QString Error() const { return m_error; }

private:
    bool StartScript(const QStringList &args, const QByteArray &readyPrefix, QByteArray *line);
    static void Kill(QProcess &p);

    QProcess m_peer;
    QProcess m_socat;
    QTemporaryDir m_dir;
    QString m_error;
};
