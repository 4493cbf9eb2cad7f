#include "platform/wayland/WlOffer.h"

#include "platform/ClipClassify.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace platform::wayland {

std::optional<ClipboardSnapshot> snapshotOfOffer(const QStringList& mimeTypes,
                                                 const QStringList& pictureTypes,
                                                 const ReadOffer& read) {
    // Our own offers come back from the compositor, through XWayland too, with the mark on.
    if (mimeTypes.contains(QLatin1String(kOwnOfferFormat)))
        return std::nullopt;
    ClipboardSnapshot s;
    for (const QString& type : mimeTypes) {
        const QString format = formatOfTarget(type);
        if (!s.formats.contains(format))
            s.formats << format;
    }
    s.value = classifyChange(s.formats, {});
    s.richText = std::any_of(s.formats.begin(), s.formats.end(), isRichTextFormat);

    QString picture;
    for (const QString& type : pictureTypes)
        if (mimeTypes.contains(type)) {
            picture = type;
            break;
        }
    QString text;
    for (const char* t : {"text/plain;charset=utf-8", "text/plain;charset=UTF-8", "UTF8_STRING",
                          "text/plain", "STRING", "TEXT"})
        if (mimeTypes.contains(QLatin1String(t))) {
            text = QLatin1String(t);
            break;
        }
    OfferData got;
    if (!picture.isEmpty()) {
        s.pictureFormat = picture.toLatin1();
        got = read(picture);
        if (got.data)
            s.pictureBytes = *got.data;
    } else if (!text.isEmpty()) {
        got = read(text);
        if (got.data && !got.data->isEmpty()) {
            s.hasText = true;
            s.text = text == QLatin1String("STRING") ? QString::fromLatin1(*got.data)
                                                     : QString::fromUtf8(*got.data);
        }
    } else {
        return s; // nothing we store, but classified all the same
    }
    if (!got.data || got.data->isEmpty()) {
        s.lost = true;
        s.lostReason = got.data ? QStringLiteral("空のﾃﾞｰﾀでした") : got.failure;
    }
    return s;
}

OfferData readToEnd(int fd, int timeoutMs, qint64 maxBytes) {
    OfferData out;
    QByteArray all;
    char buf[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            out.failure = ready == 0 ? QStringLiteral("応答がありません")
                                     : QStringLiteral("ﾃﾞｰﾀを読めませんでした");
            return out;
        }
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            out.failure = QStringLiteral("ﾃﾞｰﾀを読めませんでした");
            return out;
        }
        if (n == 0)
            break;
        if (all.size() + n > maxBytes) {
            out.failure = QStringLiteral("ﾃﾞｰﾀが大きすぎます");
            return out;
        }
        all.append(buf, n);
    }
    out.data = std::move(all);
    return out;
}

} // namespace platform::wayland
