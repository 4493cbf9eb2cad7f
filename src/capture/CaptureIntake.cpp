#include "capture/CaptureIntake.h"

#include "capture/CopyIntake.h"
#include "capture/WorkFolder.h"
#include "imaging/BmpWriter.h"
#include "imaging/PictureBudget.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <atomic>
#include <cmath>
#include <thread>
#include <utility>

// What the storing thread keeps from one offer to the next: the announcement stored last,
// captures and copies alike, so that one announcement read twice is stored once (content is
// never compared: two captures of an unchanged screen are two files); and the buffers PNG
// offers are decoded into, so that an 8K capture does not pay for fresh memory each time.
struct CaptureIntake::Kept {
    platform::Announcement stored;
    imaging::PngBuffers png;
};

QImage decodeOffer(platform::ClipboardSnapshot& offer, QString* error,
                   imaging::PngBuffers* buffers) {
    // Taken out, not shared: drawing the pointer then needs no copy of a large picture.
    if (!offer.picture.isNull())
        return std::exchange(offer.picture, QImage());
    imaging::PngRows rows;
    if (buffers && offer.pictureFormat == "image/png" &&
        imaging::decodePngRows(offer.pictureBytes, *buffers, rows, nullptr) ==
            imaging::PngDecode::Done) {
        QImage img = imaging::imageOfRows(rows, true);
        if (img.isNull())
            throw std::bad_alloc();
        return img;
    }
    // Every other form, and damaged data, which Qt's reader judges as it always did.
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
    // A screen has no alpha: stored at 24 bits, held in the 32-bit form the view paints and
    // the edits work on fastest.
    if (picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    if (settings.drawPointer && !offer.pointer.image.isNull()) {
        QPainter p(&picture);
        p.drawImage(
            pointerPlacement(offer.pointer, picture.size(), settings.screen, offer.activeWindow),
            offer.pointer.image);
    }
    imaging::ImageModel model;
    model.setImage(std::move(picture), 24);
    model.resolutionX = 96;
    model.resolutionY = 96;
    model.applyResolution();
    if (settings.reductionCode != 0)
        model.convertDepth(settings.reductionCode);
    return model;
}

namespace {

constexpr int kCaptureDpi = 96;

// The pointer over the rows it covers, drawn as it is drawn into a picture; null when it
// covers none (or, for want of a few kilobytes, is left out).
QImage pointerPatch(const imaging::PngRows& rows, const QImage& pointer, QPoint at, QRect& area) {
    area = QRect(at, pointer.size()).intersected(QRect(0, 0, rows.width, rows.height));
    if (area.isEmpty())
        return {};
    QImage patch(area.size(), QImage::Format_RGB32);
    if (patch.isNull()) {
        area = {};
        return {};
    }
    for (int y = 0; y < area.height(); ++y) {
        const unsigned char* s = rows.row(area.y() + y) + qsizetype(area.x()) * rows.channels;
        auto* d = reinterpret_cast<QRgb*>(patch.scanLine(y));
        for (int x = 0; x < area.width(); ++x, s += rows.channels)
            d[x] = qRgb(s[0], s[1], s[2]);
    }
    QPainter(&patch).drawImage(at - area.topLeft(), pointer);
    return patch;
}

// A PNG capture in the form screenshot tools offer goes to the file with no 32-bit copy on
// the way: inflated into the kept buffers, then a helper thread undoes the row filters from
// the top while this one writes the rows it has finished (the blocks from the top, each at
// its place in the file), with the pointer laid over the rows it covers; the helper then
// makes the window's picture. The rows themselves stay as decoded: a row's filter is undone
// against the row above as it was. False, with nothing done, for any other offer or when
// colours are to be reduced.
bool storeCaptureDirect(platform::ClipboardSnapshot& offer, const CaptureSettings& settings,
                        imaging::PngBuffers& buffers, WorkFolder& folder, IntakeOutcome& out) {
    if (settings.reductionCode != 0 || !offer.picture.isNull() ||
        offer.pictureFormat != "image/png")
        return false;
    imaging::PngRows rows;
    if (imaging::inflatePngRows(offer.pictureBytes, buffers, rows, nullptr) !=
        imaging::PngDecode::Done)
        return false;
    const QSize size(rows.width, rows.height);
    const bool withPointer = settings.drawPointer && !offer.pointer.image.isNull();
    const QPoint at =
        withPointer ? pointerPlacement(offer.pointer, size, settings.screen, offer.activeWindow)
                    : QPoint();
    std::atomic<int> ready{0}; // rows above this one are unfiltered
    auto waitFor = [&](int n) {
        for (int r = ready.load(std::memory_order_acquire); r < n;
             r = ready.load(std::memory_order_acquire))
            ready.wait(r, std::memory_order_acquire);
    };
    QImage shown;
    {
        std::jthread helper([&] {
            constexpr int kBatch = 32;
            for (int y = 0; y < rows.height; y += kBatch) {
                const int end = std::min(y + kBatch, rows.height);
                imaging::unfilterPngRows(rows, y, end);
                ready.store(end, std::memory_order_release);
                ready.notify_one();
            }
            shown = imaging::imageOfRows(rows, false);
            if (withPointer && !shown.isNull())
                QPainter(&shown).drawImage(at, offer.pointer.image);
        });
        // The pointer's patch is made once the rows it covers are unfiltered.
        const QRect covers = withPointer ? QRect(at, offer.pointer.image.size()) : QRect();
        QRect area;
        QImage patch;
        bool patchMade = !withPointer;
        const int dpm = int(std::lround(kCaptureDpi / 0.0254));
        const WorkFolder::Stored s =
            folder.store(settings.prefix, QStringLiteral(".bmp"), [&](QIODevice& dev) {
                return imaging::writeBmp24(
                    dev, size, dpm, dpm,
                    [&](int y, uchar* bgr) {
                        waitFor(y + 1);
                        imaging::bgrFromRgb(rows.row(y), bgr, rows.width, rows.channels);
                        if (!patchMade) {
                            if (y < covers.top())
                                return;
                            waitFor(std::min(covers.bottom() + 1, rows.height));
                            patch = pointerPatch(rows, offer.pointer.image, at, area);
                            patchMade = true;
                        }
                        if (y < area.top() || y > area.bottom())
                            return;
                        const auto* p =
                            reinterpret_cast<const QRgb*>(patch.constScanLine(y - area.top()));
                        uchar* d = bgr + qsizetype(area.x()) * 3;
                        for (int x = 0; x < area.width(); ++x, d += 3) {
                            d[0] = uchar(qBlue(p[x]));
                            d[1] = uchar(qGreen(p[x]));
                            d[2] = uchar(qRed(p[x]));
                        }
                    },
                    imaging::RowOrder::TopDown);
            });
        out.kind = s.ok ? IntakeOutcome::Kind::Stored : IntakeOutcome::Kind::NotStored;
        out.path = s.path;
        out.error = s.error;
    }
    if (shown.isNull())
        throw std::bad_alloc();
    out.picture.setImage(std::move(shown), 24);
    out.picture.resolutionX = kCaptureDpi;
    out.picture.resolutionY = kCaptureDpi;
    out.picture.applyResolution();
    return true;
}

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
                                         IntakeOutcome::Source source, Kept& kept,
                                         WorkFolder& folder, const QString& prefix,
                                         const std::function<imaging::ImageModel(QImage)>& make) {
    QString why;
    QImage picture = decodeOffer(offer, &why, &kept.png);
    if (picture.isNull())
        return unreadable(source, why);
    IntakeOutcome out;
    out.source = source;
    out.picture = make(std::move(picture));
    storeModel(folder, prefix, out);
    if (out.kind == IntakeOutcome::Kind::Stored)
        kept.stored = offer.announcement;
    return out;
}

CaptureIntake::CaptureIntake(WorkFolder& folder, Done done)
    : m_folder(folder), m_done(std::move(done)), m_kept(std::make_shared<Kept>()) {}

CaptureIntake::~CaptureIntake() = default;

void CaptureIntake::takeCapture(const platform::ClipboardSnapshot& offer,
                                const CaptureSettings& settings) {
    m_queue.post<IntakeOutcome>(
        [offer = offer, settings, kept = m_kept, &folder = m_folder]() mutable {
            IntakeOutcome out;
            out.source = IntakeOutcome::Source::Capture;
            if (offer.lost)
                return unreadable(out.source, offer.lostReason);
            if (kept->stored.sameAs(offer.announcement))
                return repeat(out);
            if (!offer.hasPicture())
                return out; // Nothing
            if (storeCaptureDirect(offer, settings, kept->png, folder, out)) {
                if (out.kind == IntakeOutcome::Kind::Stored)
                    kept->stored = offer.announcement;
                return out;
            }
            return takePicture(offer, out.source, *kept, folder, settings.prefix,
                               [&](QImage picture) {
                                   return composeCapture(std::move(picture), offer, settings);
                               });
        },
        m_done);
}

void CaptureIntake::takeCopy(const platform::ClipboardSnapshot& offer, const QString& prefix) {
    m_queue.post<IntakeOutcome>(
        [offer = offer, prefix, kept = m_kept, &folder = m_folder]() mutable {
            IntakeOutcome out;
            out.source = IntakeOutcome::Source::Copy;
            if (offer.lost)
                return unreadable(out.source, offer.lostReason);
            if (kept->stored.sameAs(offer.announcement))
                return repeat(out);
            if (offer.hasPicture())
                return takePicture(offer, out.source, *kept, folder, prefix, [](QImage picture) {
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
                kept->stored = offer.announcement;
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
