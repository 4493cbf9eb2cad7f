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
}

void ImageModel::setImage(QImage image, int depthCode) {
    m_image = std::move(image);
    m_depthCode = m_image.isNull() ? 0 : depthCode;
    m_handle = g_nextHandle++;
}

void ImageModel::adopt(const ImageModel& other) {
    m_image = other.m_image;
    m_depthCode = other.m_depthCode;
    m_handle = g_nextHandle++;
    resolutionX = other.resolutionX;
    resolutionY = other.resolutionY;
    range = {};
}

void ImageModel::clear() {
    m_image = QImage();
    m_depthCode = 0;
    range = {};
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

bool ImageModel::saveBmp(QIODevice& dev) const {
    return writeBmp(dev, m_image, m_depthCode);
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
    return true;
}

} // namespace imaging
