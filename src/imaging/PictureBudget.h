#pragma once
// How much one picture may take. Every decoder checks the size a file (or a clipboard offer)
// states against this budget before a pixel is decoded, so a small file claiming an enormous
// picture is refused at once instead of holding the program up or exhausting its memory.
#include <QImageReader>
#include <QSize>
#include <QString>

namespace imaging {

// At most 250 million pixels (so under 1 GB at 32 bits, the form a capture is stored in)
// and 1 GB in the form decoded. An 8K capture (7680 x 4320) has 33 million, three 8K screens
// side by side 100 million; a small file or offer claiming 16384 x 16384 is refused.
constexpr qint64 kMaxPicturePixels = 250'000'000;
constexpr qint64 kMaxPictureBytes = qint64(1) << 30;
// A larger file holds no picture within the budget, even uncompressed.
constexpr qint64 kMaxPictureFileBytes = qint64(2) << 30;

// Why a picture of width x height, decoded at bitsPerPixel (a decoder's own working
// memory counted in), would be over the budget, in the user's words; empty when it fits.
QString budgetProblem(qint64 width, qint64 height, qint64 bitsPerPixel);

// Qt's image reader held to the budget: the size and form a file states are checked before
// it is read, and a refusal says why in errorString(). Qt's own allocations are bounded by
// the same budget through raiseImageAllocationLimit (ImageModel.h), set once at start.
class BoundedImageReader {
public:
    explicit BoundedImageReader(QIODevice* device, const QByteArray& format = {});
    void setAutoTransform(bool enabled) { m_reader.setAutoTransform(enabled); }
    void setDecideFormatFromContent(bool ignored) { m_reader.setDecideFormatFromContent(ignored); }
    QByteArray format() const { return m_reader.format(); }
    bool read(QImage* image);
    QString errorString() const { return m_refused.isEmpty() ? m_reader.errorString() : m_refused; }

private:
    QImageReader m_reader;
    QString m_refused;
};

} // namespace imaging
