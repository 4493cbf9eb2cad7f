#pragma once
// What a Wayland clipboard offer becomes, decided from its MIME types alone: the compositor
// names no owner. Pure but for the read it is handed, so it runs without a compositor.
#include "platform/Platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform::wayland {

// The bytes of one MIME type of the offer, or why there are none.
struct OfferData {
    std::optional<QByteArray> data;
    QString failure;
};
using ReadOffer = std::function<OfferData(const QString& mimeType)>;

// The snapshot of an offer of these MIME types, the picture (first of pictureTypes offered)
// or else the text read through read; nothing for an offer made by this program.
std::optional<ClipboardSnapshot> snapshotOfOffer(const QStringList& mimeTypes,
                                                 const QStringList& pictureTypes,
                                                 const ReadOffer& read);

// Reads fd to its end; each wait for more may last timeoutMs. At most maxBytes.
OfferData readToEnd(int fd, int timeoutMs, qint64 maxBytes);

} // namespace platform::wayland
