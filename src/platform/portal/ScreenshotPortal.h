#pragma once
#include "platform/ScreenGrab.h"

#include <QString>
#include <QVariantMap>

namespace platform {

// org.freedesktop.portal.Screenshot on the session bus: the desktop takes the picture (and,
// when asked to be interactive, lets the user choose what) and answers with a file.
class ScreenshotPortal : public ScreenshotService {
    Q_OBJECT
public:
    using ScreenshotService::ScreenshotService;

    void request(bool interactive) override;

private slots:
    // The portal's answer on the request object (QtDBus connects signals by slot name).
    void answered(uint response, const QVariantMap& results);

private:
    void stopListening();

    QString m_requestPath; // the request being answered; empty when none is
    int m_requests = 0;
};

} // namespace platform
