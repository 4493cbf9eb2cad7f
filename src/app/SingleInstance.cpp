#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QStandardPaths>

namespace {
const QByteArray kTaken = "ok\n";
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_path(std::move(socketPath)) {
    // No socket options: with them Qt makes the socket elsewhere and renames it over the
    // path, taking it from a running instance. The runtime folder is the user's alone.
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

QString SingleInstance::socketPath(const QString& programName) {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u'/' + programName +
           QStringLiteral(".socket");
}

SingleInstance::HandOver SingleInstance::handOver(const QByteArray& request, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(timeoutMs))
        return HandOver::NoneRunning;
    socket.write(request + '\n');
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(timeoutMs))
        answer += socket.readAll();
    return answer == kTaken ? HandOver::Taken : HandOver::NoAnswer;
}

bool SingleInstance::listen() {
    if (m_server.listen(m_path))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // A socket left by a process that ended without closing it answers nobody.
    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(1000))
        return false;
    QLocalServer::removeServer(m_path);
    return m_server.listen(m_path);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray request = socket->readLine().trimmed();
            socket->write(kTaken);
            socket->flush();
            socket->disconnectFromServer();
            emit requested(request);
        });
    }
}
