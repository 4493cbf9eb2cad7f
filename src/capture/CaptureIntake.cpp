#include "capture/CaptureIntake.h"

#include "capture/CopyIntake.h"
#include "capture/WorkFolder.h"
#include "imaging/PictureBudget.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <utility>

// The announcement stored last, captures and copies alike, so that one announcement read
// twice is stored once. Content is never compared: two captures of an unchanged screen are
// two files.
struct CaptureIntake::Seen {
    platform::Announcement stored;
};

QImage decodeOffer(platform::ClipboardSnapshot& offer, QString* error) {
    // Taken out, not shared: drawing the pointer then needs no copy of a large picture.
    if (!offer.picture.isNull())
        return std::exchange(offer.picture, QImage());
    QBuffer buffer;
    buffer.setData(offer.pictureBytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray type =
        offer.pictureFormat.startsWith("image/") ? offer.pictureFormat.mid(6) : QByteArray();
    imaging::BoundedImageReader reader(&buffer, type == "x-bmp" ? QByteArray("bmp") : type);
    reader.setAutoTransform(false);
    QImage img;
    if (!reader.read(&img) || img.isNull()) {
        if (error)
            *error = QStringLiteral("画像を読めませんでした (%1): %2")
                         .arg(QString::fromLatin1(offer.pictureFormat), reader.errorString());
        return {};
    }
    return img;
}

QPoint pointerPlacement(const platform::PointerSnapshot& pointer, QSize picture, QSize screen,
                        const QRect& activeWindow) {
    QPoint at = pointer.pos - (pointer.hasHotspot ? pointer.hotspot : QPoint(6, 8));
    const bool fullScreen =
        picture.width() >= screen.width() && picture.height() >= screen.height();
    if (!fullScreen)
        at -= activeWindow.topLeft();
    return at;
}

imaging::ImageModel composeCapture(QImage picture, const platform::ClipboardSnapshot& offer,
                                   const CaptureSettings& settings) {
    // A capture is opaque; keep it in the 32-bit form that is stored without conversion.
    if (picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    if (settings.drawPointer && !offer.pointer.image.isNull()) {
        QPainter p(&picture);
        p.drawImage(
            pointerPlacement(offer.pointer, picture.size(), settings.screen, offer.activeWindow),
            offer.pointer.image);
    }
    imaging::ImageModel model;
    model.setImage(std::move(picture));
    model.resolutionX = 96;
    model.resolutionY = 96;
    model.applyResolution();
    if (settings.reductionCode != 0)
        model.convertDepth(settings.reductionCode);
    return model;
}

namespace {

IntakeOutcome repeat(IntakeOutcome out) {
    out.kind = IntakeOutcome::Kind::Repeat;
    return out;
}

IntakeOutcome unreadable(IntakeOutcome::Source source, const QString& why) {
    IntakeOutcome out;
    out.source = source;
    out.kind = IntakeOutcome::Kind::Unreadable;
    out.error = why;
    return out;
}

void storeModel(WorkFolder& folder, const QString& prefix, IntakeOutcome& out) {
    const imaging::ImageModel& model = out.picture;
    const WorkFolder::Stored s = folder.store(prefix, QStringLiteral(".bmp"),
                                              [&](QIODevice& dev) { return model.saveBmp(dev); });
    out.kind = s.ok ? IntakeOutcome::Kind::Stored : IntakeOutcome::Kind::NotStored;
    out.path = s.path;
    out.error = s.error;
}

} // namespace

IntakeOutcome CaptureIntake::takePicture(platform::ClipboardSnapshot& offer,
                                         IntakeOutcome::Source source, Seen& seen,
                                         WorkFolder& folder, const QString& prefix,
                                         const std::function<imaging::ImageModel(QImage)>& make) {
    QString why;
    QImage picture = decodeOffer(offer, &why);
    if (picture.isNull())
        return unreadable(source, why);
    IntakeOutcome out;
    out.source = source;
    out.picture = make(std::move(picture));
    storeModel(folder, prefix, out);
    if (out.kind == IntakeOutcome::Kind::Stored)
        seen.stored = offer.announcement;
    return out;
}

CaptureIntake::CaptureIntake(WorkFolder& folder, Done done)
    : m_folder(folder), m_done(std::move(done)), m_seen(std::make_shared<Seen>()) {}

CaptureIntake::~CaptureIntake() = default;

void CaptureIntake::takeCapture(const platform::ClipboardSnapshot& offer,
                                const CaptureSettings& settings) {
    m_queue.post<IntakeOutcome>(
        [offer = offer, settings, seen = m_seen, &folder = m_folder]() mutable {
            IntakeOutcome out;
            out.source = IntakeOutcome::Source::Capture;
            if (offer.lost)
                return unreadable(out.source, offer.lostReason);
            if (seen->stored.sameAs(offer.announcement))
                return repeat(out);
            if (!offer.hasPicture())
                return out; // Nothing
            return takePicture(offer, out.source, *seen, folder, settings.prefix,
                               [&](QImage picture) {
                                   return composeCapture(std::move(picture), offer, settings);
                               });
        },
        m_done);
}

void CaptureIntake::takeCopy(const platform::ClipboardSnapshot& offer, const QString& prefix) {
    m_queue.post<IntakeOutcome>(
        [offer = offer, prefix, seen = m_seen, &folder = m_folder]() mutable {
            IntakeOutcome out;
            out.source = IntakeOutcome::Source::Copy;
            if (offer.lost)
                return unreadable(out.source, offer.lostReason);
            if (seen->stored.sameAs(offer.announcement))
                return repeat(out);
            if (offer.hasPicture())
                return takePicture(offer, out.source, *seen, folder, prefix, [](QImage picture) {
                    // Stored as copied: no pointer, no resolution of ours.
                    imaging::ImageModel model;
                    model.setImage(std::move(picture));
                    return model;
                });
            if (!offer.hasText)
                return out; // Nothing: a copy we do not keep
            out.isText = true;
            // Only the plain form of rich text or HTML is kept.
            out.text = offer.text;
            const QByteArray bytes = encodeTextFile(offer.text);
            const WorkFolder::Stored s =
                folder.store(prefix, QStringLiteral(".txt"),
                             [&bytes](QIODevice& dev) { return dev.write(bytes) == bytes.size(); });
            out.kind = s.ok ? IntakeOutcome::Kind::Stored : IntakeOutcome::Kind::NotStored;
            out.path = s.path;
            out.error = s.error;
            if (s.ok)
                seen->stored = offer.announcement;
            return out;
        },
        m_done);
}

void CaptureIntake::storeInWorkFolder(const imaging::ImageModel& picture, const QString& prefix) {
    m_queue.post<IntakeOutcome>(
        [picture, prefix, &folder = m_folder] {
            IntakeOutcome out;
            out.source = IntakeOutcome::Source::WorkFolderSave;
            out.picture = picture;
            folder.ScanWorkFolder(prefix);
            storeModel(folder, prefix, out);
            return out;
        },
        m_done);
}

void CaptureIntake::scan(const QString& prefix) {
    m_queue.post<int>(
        [prefix, &folder = m_folder] {
            folder.ScanWorkFolder(prefix);
            return 0;
        },
        nullptr);
}

void CaptureIntake::emptyWorkFolder(std::function<void()> done) {
    m_queue.post<int>(
        [&folder = m_folder] {
            folder.empty();
            return 0;
        },
        [done = std::move(done)](int) { done(); });
}
