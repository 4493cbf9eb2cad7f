#include "imaging/BmpWriter.h"
#include "imaging/DepthCode.h"
#include "imaging/GifWriter.h"
#include "imaging/Jp2Codec.h"
#include "imaging/PcxCodec.h"
#include "imaging/PictureFiles.h"
#include "imaging/PngWriter.h"
#include "platform/FileSystem.h"

#include <QBuffer>
#include <QImageWriter>

namespace imaging {

namespace {

// The colour table of an 8-bit picture keeps 256 entries in the file, so that a picture of
// few colours opens again as 8-bit rather than 4-bit.
QImage withFullTable(QImage img) {
    if (img.format() == QImage::Format_Indexed8 && img.colorCount() < 256) {
        QList<QRgb> t = img.colorTable();
        t.resize(256, qRgb(0, 0, 0));
        img.setColorTable(t);
    }
    return img;
}

bool writeWithQt(QIODevice& dev, const char* format, const QImage& img, QString* error) {
    QImageWriter w(&dev, format);
    if (qstrcmp(format, "jpeg") == 0)
        w.setQuality(80);
    else if (qstrcmp(format, "tiff") == 0)
        w.setCompression(1); // LZW
    if (w.write(img))
        return true;
    if (error)
        *error = w.errorString();
    return false;
}

// The depth a JPEG 2000 file is written at: grey stays grey, the rest is RGB.
int jp2Depth(int depthCode) {
    return depthCode == 80 ? 80 : 24;
}

} // namespace

bool writePicture(QIODevice& dev, PictureWriter writer, const QImage& picture, int depthCode,
                  QString* error) {
    const auto deviceError = [&] {
        if (error)
            *error = dev.errorString();
        return false;
    };
    switch (writer) {
    case PictureWriter::Bmp:
        return writeBmp(dev, picture, depthCode) || deviceError();
    case PictureWriter::Pcx:
        return writePcx(dev, picture, depthCode) || deviceError();
    case PictureWriter::Gif:
        return writeGif(dev, picture, depthCode, error);
    case PictureWriter::Jp2:
    case PictureWriter::J2k:
        return writeJp2(dev, picture, jp2Depth(depthCode), writer == PictureWriter::J2k, error);
    case PictureWriter::Jpeg:
        return writeWithQt(dev, "jpeg", convertToDepthCode(picture, depthCode), error);
    case PictureWriter::Png:
        return writePng(dev, picture, depthCode, error);
    case PictureWriter::Tiff: {
        QImage img = convertToDepthCode(picture, depthCode);
        if (depthCode == 8)
            img = withFullTable(std::move(img));
        return writeWithQt(dev, "tiff", img, error);
    }
    case PictureWriter::None:
        break;
    }
    return false;
}

SaveResult savePicture(const SaveTarget& target, const QImage& picture, int depthCode) {
    SaveResult r;
    r.path = target.path;
    if (!target.ok()) {
        r.error = target.error;
        return r;
    }
    if (picture.isNull()) {
        r.error = QStringLiteral("保存する画像がありません");
        return r;
    }
    if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide) {
        r.error = QStringLiteral("画像が大きすぎて保存できません");
        return r;
    }
    int depth = depthCode;
    if (const PictureFormat* f = pictureFormatOfCode(target.formatCode))
        depth = saveDepthCode(*f, depthCode);
    else
        depth = jp2Depth(depthCode);
    const QImage out = depth == depthCode ? picture : convertToDepthCode(picture, depth);

    const QString failedText = QStringLiteral("保存できませんでした: %1\n").arg(target.path);
    // Encoded whole before the file is touched: where the file has to be written in place,
    // an encoding failure still leaves it as it was.
    QByteArray bytes;
    if (target.writer == PictureWriter::Bmp)
        bytes.reserve(qsizetype(out.sizeInBytes()) + 2048);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString why;
    if (!writePicture(buffer, target.writer, out, depth, &why)) {
        r.error = failedText + why;
        return r;
    }
    buffer.close();
    bool damaged = false;
    if (!platform::writeFileWhole(target.path, bytes, &why, &damaged)) {
        r.error = failedText + why;
        if (damaged)
            r.error += QStringLiteral(
                "\nﾌｧｲﾙに直接書き込んでいたため、元の内容が壊れているかもしれません");
        return r;
    }
    r.ok = true;
    r.depthCode = depth;
    r.picture = out;
    return r;
}

SaveResult savePicture(const QString& path, const QImage& picture, int depthCode) {
    return savePicture(resolveSaveTarget(path), picture, depthCode);
}

} // namespace imaging
