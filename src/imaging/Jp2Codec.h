#pragma once
// JPEG 2000 through OpenJPEG: Qt has no reader or writer for it.
#include <QImage>
#include <QString>

class QIODevice;

namespace imaging {

// Whether the bytes start as a JP2 file or a bare code stream.
bool looksLikeJp2(const char* data, qsizetype size);
// Reads grey, grey with alpha, RGB and RGBA pictures of up to 16 bits a sample; depthCode
// gets 80, 24 or 32. A null image and error set when the data cannot be read.
QImage readJp2(const char* data, qsizetype size, int* depthCode, QString* error);

// Writes image losslessly, grey for depth code 80 and RGB otherwise; codeStream writes a
// bare code stream (.j2k, .jpc) instead of a JP2 file.
bool writeJp2(QIODevice& dev, const QImage& image, int depthCode, bool codeStream, QString* error);

} // namespace imaging
