#include "capture/ClipFormat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

int ClipFormat(const QMimeData* data) {
    if (!data)
        return 0;
    const QStringList formats = data->formats();
    for (const QString& f : formats)
        if (f.startsWith(QLatin1String("image/")) || f == QLatin1String("application/x-qt-image"))
            return clipformat::kBitmap;
    for (const QString& f : formats)
        if (f == QLatin1String("text/html") || f == QLatin1String("text/rtf") ||
            f == QLatin1String("text/richtext") || f == QLatin1String("application/rtf"))
            return clipformat::kRichText;
    if (data->hasText())
        return clipformat::kText;
    return 0;
}

int ClipFormat() {
    return ClipFormat(QGuiApplication::clipboard()->mimeData());
}

bool CanPasteImage() {
    const int f = ClipFormat();
    return f == clipformat::kBitmap || f == clipformat::kDib || f == clipformat::kMetafile;
}
