#pragma once
// Writes PNG pictures through libpng at the depth of their depth code: Qt's writer stores
// 16-colour pictures with 8-bit indexes and 16-level grey as 256-level grey, which open
// again at another depth code. Fast compression: screenshots pack well at any level.
#include <QImage>
#include <QString>

class QIODevice;

namespace imaging {

// Writes image at depth code 1, 4, 40, 8, 80 or 24 (others are written at 24).
bool writePng(QIODevice& dev, const QImage& image, int depthCode, QString* error);

} // namespace imaging
