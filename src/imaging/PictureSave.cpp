#include "imaging/BmpWriter.h"
#include "imaging/DepthCode.h"
#include "imaging/GifWriter.h"
#include "imaging/Jp2Codec.h"
#include "imaging/PcxCodec.h"
#include "imaging/PictureFiles.h"
#include "imaging/PngWriter.h"
#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

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

SaveResult savePicture(const QString& path, const QImage& picture, int depthCode) {
    SaveResult r;
    const SaveTarget target = resolveSaveTarget(path);
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
    // Written beside the target and renamed over it once complete and on the disk: a
    // failure leaves the old file as it was.
    QSaveFile file(target.path);
    if (!file.open(QIODevice::WriteOnly)) {
        r.error = failedText + file.errorString();
        return r;
    }
    QString why;
    if (!writePicture(file, target.writer, out, depth, &why) || !file.flush()) {
        file.cancelWriting();
        r.error = failedText + (why.isEmpty() ? file.errorString() : why);
        return r;
    }
    if (!platform::syncFile(int(file.handle()), &why) || !file.commit()) {
        if (why.isEmpty())
            why = file.errorString();
        file.cancelWriting();
        r.error = failedText + why;
        return r;
    }
    platform::syncFolder(QFileInfo(target.path).absolutePath());
    r.ok = true;
    r.depthCode = depth;
    r.picture = out;
    return r;
}

} // namespace imaging
