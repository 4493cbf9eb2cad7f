#include "imaging/PictureFiles.h"

namespace imaging {

namespace {

const QList<PictureFormat>& formatTable() {
    static const QList<PictureFormat> table = {
        {"BMP", FormatBmp, {}, 0},
        {"JPG", FormatJpg, {80, 24}, 24},
        {"TIF", FormatTif, {}, 0},
        {"PNG", FormatPng, {1, 4, 40, 8, 80, 24}, 24},
        {"FPX", FormatFpx, {80, 24}, 24},
        {"PCX", FormatPcx, {1, 4, 40, 8, 80, 24}, 24},
        {"GIF", FormatGif, {1, 4, 40, 8, 80}, 8},
    };
    return table;
}

PictureWriter writerOfCode(int code) {
    switch (code) {
    case FormatBmp:
        return PictureWriter::Bmp;
    case FormatJpg:
        return PictureWriter::Jpeg;
    case FormatGif:
        return PictureWriter::Gif;
    case FormatTif:
        return PictureWriter::Tiff;
    case FormatPng:
        return PictureWriter::Png;
    case FormatPcx:
        return PictureWriter::Pcx;
    default:
        return PictureWriter::None;
    }
}

} // namespace

const PictureFormat* pictureFormatOfExt(const QString& upperExt) {
    for (const PictureFormat& f : formatTable())
        if (upperExt == QLatin1String(f.ext))
            return &f;
    return nullptr;
}

const PictureFormat* pictureFormatOfCode(int formatCode) {
    for (const PictureFormat& f : formatTable())
        if (f.formatCode == formatCode)
            return &f;
    return nullptr;
}

int saveDepthCode(const PictureFormat& format, int depthCode) {
    if (format.depths.isEmpty() || format.depths.contains(depthCode))
        return depthCode;
    return format.otherDepth;
}

QString fileExt(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? QString() : path.mid(dot + 1).toLower();
}

QString lowerExt(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.left(dot + 1) + path.mid(dot + 1).toLower();
}

SaveTarget resolveSaveTarget(const QString& path) {
    SaveTarget t;
    // The extension is the file name's own: a dot in a folder name does not give one.
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= slash) {
        t.path = path + QStringLiteral(".bmp");
        t.writer = PictureWriter::Bmp;
        t.formatCode = FormatBmp;
        return t;
    }
    t.path = lowerExt(path);
    const QString ext = fileExt(path);
    if (const PictureFormat* f = pictureFormatOfExt(ext.toUpper())) {
        t.formatCode = f->formatCode;
        t.writer = writerOfCode(f->formatCode);
        if (t.writer == PictureWriter::None)
            t.error = QStringLiteral("%1形式では保存できません").arg(ext.toUpper());
        return t;
    }
    if (ext == u"jpeg") {
        t.writer = PictureWriter::Jpeg;
        t.formatCode = FormatJpg;
    } else if (ext == u"tiff") {
        t.writer = PictureWriter::Tiff;
        t.formatCode = FormatTif;
    } else if (ext == u"jp2") {
        t.writer = PictureWriter::Jp2;
    } else if (ext == u"j2k" || ext == u"jpc") {
        t.writer = PictureWriter::J2k;
    } else {
        t.error = QStringLiteral("この拡張子の形式では保存できません: .%1").arg(ext);
    }
    return t;
}

} // namespace imaging
