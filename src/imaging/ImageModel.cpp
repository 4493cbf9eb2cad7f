#include "imaging/ImageModel.h"

#include "imaging/BmpWriter.h"
#include "imaging/DepthCode.h"
#include "imaging/PictureBudget.h"
#include "imaging/PictureFiles.h"

#include <QFile>
#include <QImageReader>

#include <atomic>
#include <cmath>

namespace imaging {

namespace {
std::atomic<quint64> g_nextHandle{1};

int dpmFromDpi(int dpi) {
    return int(std::lround(dpi / 0.0254));
}
} // namespace

void raiseImageAllocationLimit() {
    // No more than one picture may take; a converted copy counts as a picture of its own.
    QImageReader::setAllocationLimit(int(kMaxPictureBytes >> 20));
}

void ImageModel::setImage(QImage image) {
    m_image = std::move(image);
    m_depthCode = depthCodeOf(m_image);
    m_handle = g_nextHandle++;
    refreshInfo();
}

void ImageModel::setImage(QImage image, int depthCode) {
    m_image = std::move(image);
    m_depthCode = m_image.isNull() ? 0 : depthCode;
    m_handle = g_nextHandle++;
    refreshInfo();
}

void ImageModel::adopt(const ImageModel& other) {
    m_image = other.m_image;
    m_depthCode = other.m_depthCode;
    m_handle = g_nextHandle++;
    resolutionX = other.resolutionX;
    resolutionY = other.resolutionY;
    range = {};
    refreshInfo();
}

void ImageModel::clear() {
    m_image = QImage();
    m_depthCode = 0;
    range = {};
    refreshInfo();
}

bool ImageModel::load(const QString& path, QString* error) {
    const LoadedPicture loaded = loadPicture(path);
    if (error)
        *error = loaded.error;
    return take(loaded);
}

bool ImageModel::loadFromData(const QByteArray& bytes, const char* format) {
    return take(
        loadPictureData(bytes, format ? QStringLiteral("x.") + QLatin1String(format) : QString()));
}

bool ImageModel::take(const LoadedPicture& loaded) {
    if (!loaded.ok || loaded.picture.isNull())
        return false;
    setImage(loaded.picture, loaded.depthCode);
    resolutionX = loaded.dpiX;
    resolutionY = loaded.dpiY;
    return true;
}

bool ImageModel::save(const QString& path, int formatCode) const {
    if (m_image.isNull())
        return false;
    const PictureFormat* format = pictureFormatOfCode(formatCode);
    // A format code names the format; the extension of the path plays no part here.
    const PictureWriter writer =
        !format ? PictureWriter::None
        : formatCode == FormatBmp
            ? PictureWriter::Bmp
            : resolveSaveTarget(QStringLiteral("x.") + QLatin1String(format->ext)).writer;
    if (writer == PictureWriter::None)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const int depth = saveDepthCode(*format, m_depthCode);
    const bool ok =
        writer == PictureWriter::Bmp
            ? saveBmp(f)
            : writePicture(f, writer, convertToDepthCode(m_image, depth), depth, nullptr);
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

bool ImageModel::saveBmp(QIODevice& dev) const {
    return writeBmp(dev, m_image, m_depthCode);
}

void ImageModel::refreshInfo() {
    m_info.width = m_image.width();
    m_info.height = m_image.height();
    m_info.depthCode = m_depthCode;
    m_info.bitsPerPixel = m_image.isNull() ? 0 : bitsOfDepthCode(m_depthCode);
    // From the form alone: scanning every pixel of a large capture costs too much here.
    m_info.grey = isGreyDepthCode(m_depthCode) || m_image.format() == QImage::Format_Grayscale8;
}

void ImageModel::applyResolution() {
    if (m_image.isNull())
        return;
    m_image.setDotsPerMeterX(dpmFromDpi(resolutionX));
    m_image.setDotsPerMeterY(dpmFromDpi(resolutionY));
}

bool ImageModel::convertDepth(int depthCode) {
    if (m_image.isNull() || !isDepthCode(depthCode))
        return false;
    QImage out = convertToDepthCode(m_image, depthCode);
    if (out.isNull())
        return false;
    out.setDotsPerMeterX(m_image.dotsPerMeterX());
    out.setDotsPerMeterY(m_image.dotsPerMeterY());
    m_image = std::move(out);
    m_depthCode = depthCode;
    m_handle = g_nextHandle++;
    refreshInfo();
    return true;
}

} // namespace imaging
