#include "capture/ClipFormat.h"

#include "platform/ClipClassify.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

int ClipFormat(const QMimeData* data) {
    if (!data)
        return 0;
    const QStringList formats = data->formats();
    if (std::any_of(formats.begin(), formats.end(), platform::isPictureFormat))
        return clipformat::kBitmap;
    if (std::any_of(formats.begin(), formats.end(), platform::isRichTextFormat))
        return clipformat::kRichText;
    if (data->hasText())
        return clipformat::kText;
    return 0;
}

int ClipFormat() {
    return ClipFormat(QGuiApplication::clipboard()->mimeData());
}

bool CanPasteImage() {
    return ClipFormat() == clipformat::kBitmap;
}
