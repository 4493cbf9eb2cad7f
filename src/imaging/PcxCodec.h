#pragma once
// ZSoft PCX pictures, read and written here: no maintained library reads them. Run-length
// encoded 1-bit, 16-colour (planar or packed, colours in the header), 8-bit (256 colours
// after the rows) and 24-bit (three planes); the reader takes what a file claims with
// suspicion, since pictures come from anywhere.
#include <QImage>
#include <QString>

class QIODevice;

namespace imaging {

struct PcxPicture {
    QImage image; // null when the bytes are not a picture this reader takes
    int depthCode = 0;
    int dpiX = 0;
    int dpiY = 0;
    QString error; // why a picture was refused, when it was
};

// Whether the bytes start like a PCX file.
bool looksLikePcx(const char* data, qsizetype size);
PcxPicture readPcx(const char* data, qsizetype size);

// Writes image at depth code 1, 4, 40, 8, 80 or 24 (others are written at 24).
bool writePcx(QIODevice& dev, const QImage& image, int depthCode);

} // namespace imaging
