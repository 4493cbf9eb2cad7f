#pragma once
// Writes GIF pictures through giflib: Qt reads GIF but cannot write it.
#include <QImage>
#include <QString>

class QIODevice;

namespace imaging {

// Writes image at depth code 1, 4, 40, 8 or 80 (others are reduced to 8 first) as one
// GIF frame with a global colour table. error gets giflib's words on failure.
bool writeGif(QIODevice& dev, const QImage& image, int depthCode, QString* error);

} // namespace imaging
