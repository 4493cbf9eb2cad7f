#include "platform/portal/ScreenshotPortal.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

namespace platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
} // namespace

std::unique_ptr<ScreenshotService> createScreenshotPortal() {
    return std::make_unique<ScreenshotPortal>();
}

void ScreenshotPortal::request(bool interactive) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit missing();
        return;
    }
    stopListening();
    // The request object's path is known from our name and the token, so its answer is
    // listened for before the call: a quick portal may answer before the call returns.
    const QString token = QStringLiteral("tolvik%1").arg(++m_requests);
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    m_requestPath =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus.connect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                SLOT(answered(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QString() // no parent window: ours is an X window the portal cannot name
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), interactive},
                        {QStringLiteral("modal"), true}};
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, path = m_requestPath](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (path != m_requestPath)
                    return; // a newer request took over
                if (reply.isError()) {
                    stopListening();
                    const QDBusError::ErrorType e = reply.error().type();
                    if (e == QDBusError::ServiceUnknown || e == QDBusError::UnknownInterface ||
                        e == QDBusError::UnknownObject || e == QDBusError::UnknownMethod)
                        emit missing();
                    else
                        emit failed(reply.error().message());
                    return;
                }
                // Portals before version 0.9 choose the path themselves.
                const QString given = reply.value().path();
                if (given != m_requestPath) {
                    stopListening();
                    m_requestPath = given;
                    QDBusConnection::sessionBus().connect(kService, m_requestPath, kRequest,
                                                          QStringLiteral("Response"), this,
                                                          SLOT(answered(uint, QVariantMap)));
                }
            });
}

void ScreenshotPortal::stopListening() {
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(kService, m_requestPath, kRequest,
                                             QStringLiteral("Response"), this,
                                             SLOT(answered(uint, QVariantMap)));
    m_requestPath.clear();
}

void ScreenshotPortal::answered(uint response, const QVariantMap& results) {
    stopListening();
    if (response == 1) {
        emit cancelled();
        return;
    }
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (response != 0 || !uri.isLocalFile()) {
        emit failed(QStringLiteral("the portal answered %1 without a picture").arg(response));
        return;
    }
    const QImage picture(uri.toLocalFile());
    if (picture.isNull()) {
        emit failed(QStringLiteral("cannot read %1").arg(uri.toLocalFile()));
        return;
    }
    emit taken(picture);
}

} // namespace platform
