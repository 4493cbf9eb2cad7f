#include "imaging/PictureBudget.h"

#include <QImage>

namespace imaging {

QString budgetProblem(qint64 width, qint64 height, qint64 bitsPerPixel) {
    const qint64 pixels = width * height;
    const qint64 bytes = (width * bitsPerPixel + 31) / 32 * 4 * height; // rows of whole words
    if (width > 0 && height > 0 && pixels <= kMaxPicturePixels && bytes <= kMaxPictureBytes)
        return {};
    static_assert(kMaxPicturePixels == 250'000'000 && kMaxPictureBytes == 1024 << 20,
                  "the message states the budget");
    return QStringLiteral("画像が大きすぎます（%1 x %2、%3 MB）。扱えるのは 1 枚 2 億 5000 万"
                          "ﾋﾟｸｾﾙ、1024 MB までです")
        .arg(width)
        .arg(height)
        .arg((bytes + (1 << 20) - 1) >> 20);
}

BoundedImageReader::BoundedImageReader(QIODevice* device, const QByteArray& format)
    : m_reader(device, format) {}

bool BoundedImageReader::read(QImage* image) {
    m_refused.clear();
    if (const QSize stated = m_reader.size(); stated.isValid()) {
        // A reader that cannot tell its form before decoding is counted at 32 bits.
        const QImage::Format form = m_reader.imageFormat();
        const int bits =
            form == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(form).bitsPerPixel();
        m_refused = budgetProblem(stated.width(), stated.height(), bits);
        if (!m_refused.isEmpty())
            return false;
    }
    if (!m_reader.read(image))
        return false;
    // A size not stated beforehand is held by Qt's allocation limit; the result still counts.
    m_refused = budgetProblem(image->width(), image->height(), image->depth());
    if (m_refused.isEmpty())
        return true;
    *image = QImage();
    return false;
}

} // namespace imaging
