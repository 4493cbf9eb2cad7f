#include "platform/x11/X11ClipboardWatch.h"

#include "platform/x11/ClipClassify.h"
#include "platform/x11/XClipboardOwner.h"
#include "platform/x11/XConnection.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

namespace platform::x11 {

X11ClipboardWatch::X11ClipboardWatch(std::shared_ptr<XConnection> conn, QObject* parent)
    : ClipboardWatch(parent), m_conn(std::move(conn)) {}

X11ClipboardWatch::~X11ClipboardWatch() {
    setActive(false);
}

void X11ClipboardWatch::setActive(bool on) {
    if (on == m_active)
        return;
    m_active = on;
    if (on)
        m_hook = connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
                         &X11ClipboardWatch::onClipboardChanged);
    else
        disconnect(m_hook);
}

bool X11ClipboardWatch::isRepeatOfTaken() const {
    if (!m_lastTaken)
        return false;
    const QImage img = QGuiApplication::clipboard()->image();
    if (img.isNull())
        return false;
    // A manager may hand the picture back in another pixel format than it was first read in.
    return pictureKey(img) == m_lastTaken ||
           pictureKey(img.convertToFormat(QImage::Format_RGB32)) == m_lastTaken ||
           pictureKey(img.convertToFormat(QImage::Format_ARGB32)) == m_lastTaken;
}

std::optional<qint32> X11ClipboardWatch::classifyCurrent() {
    QClipboard* cb = QGuiApplication::clipboard();
    if (cb->ownsClipboard())
        return std::nullopt;
    const ClipboardOwner owner = m_conn ? clipboardOwner(*m_conn) : ClipboardOwner{};
    if (owner.pid && owner.pid == QCoreApplication::applicationPid())
        return std::nullopt;
    const QMimeData* data = cb->mimeData();
    const QStringList formats = data ? data->formats() : QStringList();
    // The owner went away and left nothing behind: there is no new content.
    if (!owner.window && formats.isEmpty())
        return std::nullopt;
    if (ownerKind(owner.names) == OwnerKind::ClipboardManager &&
        std::any_of(formats.begin(), formats.end(), isPictureFormat) && isRepeatOfTaken())
        return std::nullopt;
    return classifyChange(formats, owner.names);
}

void X11ClipboardWatch::onClipboardChanged() {
    // Reading the clipboard runs a nested event loop; a change that arrives meanwhile is
    // classified right after this one, never inside it, and never dropped.
    if (!m_active)
        return;
    if (m_inHandler) {
        m_again = true;
        return;
    }
    do {
        m_again = false;
        m_inHandler = true;
        const std::optional<qint32> value = classifyCurrent();
        m_inHandler = false;
        // Emitted outside the guard: what happens during the intake is the intake's business.
        if (value && m_active)
            emit changed(*value);
    } while (m_again && m_active);
}

} // namespace platform::x11
