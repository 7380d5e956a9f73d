#include "endpoint.h"

#include "rtuendpoint.h"
#include "tcpendpoint.h"

#include <QUrl>

std::unique_ptr<Endpoint> Endpoint::Open(const QString &text, ModbusLine *line, int baud, QString *error)
{
    if (text.startsWith("tcp://")) {
        const QString rest = text.mid(6);
        const int colon = rest.lastIndexOf(':');
        bool ok = false;
        const int port = colon > 0 ? rest.mid(colon + 1).toInt(&ok) : -1;
        QHostAddress host(colon > 0 ? rest.left(colon) : QString());
        if (colon > 0 && rest.left(colon) == "localhost")
            host = QHostAddress::LocalHost;
        if (!ok || port < 0 || port > 65535 || host.isNull()) {
            if (error)
                *error = QString("неверный адрес \"%1\" (ожидается tcp://АДРЕС:ПОРТ)").arg(text);
            return nullptr;
        }
        auto tcp = std::make_unique<TcpEndpoint>(line);
        if (!tcp->Listen(host, quint16(port), error))
            return nullptr;
        return tcp;
    }
    if (text.isEmpty()) {
        if (error)
            *error = "не задан адрес линии";
        return nullptr;
    }
    auto rtu = std::make_unique<RtuEndpoint>(line);
    if (!rtu->Open(text, baud, error))
        return nullptr;
    return rtu;
}
