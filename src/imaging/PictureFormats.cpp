#include "imaging/PictureFiles.h"

namespace imaging {

namespace {

// The formats written, in the order the save dialog offers them.
const QList<PictureFormat>& formatTable() {
    static const QList<PictureFormat> table = {
        {"BMP", FormatBmp, {}, 0},
        {"JPG", FormatJpg, {80, 24}, 24},
        {"TIF", FormatTif, {}, 0},
        {"PCX", FormatPcx, {1, 4, 40, 8, 80, 24}, 24},
        {"PNG", FormatPng, {1, 4, 40, 8, 80, 24}, 24},
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

// The writer and format code of a lower-case extension; no writer for one not written here.
SaveTarget targetOfExt(const QString& ext) {
    SaveTarget t;
    if (const PictureFormat* f = pictureFormatOfExt(ext.toUpper())) {
        t.formatCode = f->formatCode;
        t.writer = writerOfCode(f->formatCode);
    } else if (ext == u"jpeg") {
        t.writer = PictureWriter::Jpeg;
        t.formatCode = FormatJpg;
    } else if (ext == u"tiff") {
        t.writer = PictureWriter::Tiff;
        t.formatCode = FormatTif;
    } else if (ext == u"jp2") {
        t.writer = PictureWriter::Jp2;
    } else if (ext == u"j2k" || ext == u"jpc") {
        t.writer = PictureWriter::J2k;
    }
    return t;
}

// The extension of the file name itself, as written; empty without one. A dot in a folder
// name does not give one.
QString nameExt(const QString& path, qsizetype* dot) {
    *dot = path.lastIndexOf(u'.');
    return *dot > path.lastIndexOf(u'/') ? path.mid(*dot + 1) : QString();
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

SaveTarget resolveSaveTarget(const QString& path, const QString& defaultExt) {
    qsizetype dot = -1;
    const QString ext = nameExt(path, &dot).toLower();
    SaveTarget t = targetOfExt(ext);
    if (t.ok()) {
        t.path = path.left(dot + 1) + ext;
        return t;
    }
    QString add = defaultExt.toLower();
    t = targetOfExt(add);
    if (!t.ok()) {
        add = QStringLiteral("bmp");
        t = targetOfExt(add);
    }
    t.path = path + (dot >= 0 && dot == path.size() - 1 ? add : u'.' + add);
    return t;
}

SaveTarget existingSaveTarget(const QString& path) {
    qsizetype dot = -1;
    const QString ext = nameExt(path, &dot);
    SaveTarget t = targetOfExt(ext.toLower());
    t.path = path;
    if (!t.ok())
        t.error = ext.isEmpty() ? QStringLiteral("拡張子がないため、保存する形式がわかりません")
                                : QStringLiteral("%1形式では保存できません").arg(ext.toUpper());
    return t;
}

QString saveFilters() {
    QStringList filters;
    for (const PictureFormat& f : formatTable())
        filters << QLatin1String(f.ext) + QStringLiteral(" (*.") +
                       QString::fromLatin1(f.ext).toLower() + u')';
    filters << QStringLiteral("JPEG 2000 (*.jp2)");
    return filters.join(QStringLiteral(";;"));
}

QString filterExtension(const QString& filter) {
    const qsizetype star = filter.indexOf(QStringLiteral("(*."));
    if (star < 0)
        return {};
    const qsizetype end = filter.indexOf(u')', star);
    const QString ext = filter.mid(star + 3, end < 0 ? -1 : end - star - 3).section(u' ', 0, 0);
    return targetOfExt(ext.toLower()).ok() ? ext.toLower() : QString();
}

} // namespace imaging
