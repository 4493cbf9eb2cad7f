#pragma once
// One collector per user: the first start listens on a local socket in the user's runtime
// folder, and a later start hands its request (raise the window, take a capture) over to it
// instead of running a second collector.
#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class HandOver {
        Taken,       // the running instance took the request
        NoneRunning, // nobody listens: become the running one
        NoAnswer,    // something listens but did not take it
    };

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    // The socket of the program of that name for this user.
    static QString socketPath(const QString& programName);

    HandOver handOver(const QByteArray& request, int timeoutMs = 5000);
    // Listens for later starts; false when another start became the running one first or
    // the socket cannot be made.
    bool listen();

signals:
    // A later start's request (empty: raise the window).
    void requested(const QByteArray& request);

private:
    void accept();

    QString m_path;
    QLocalServer m_server;
};
