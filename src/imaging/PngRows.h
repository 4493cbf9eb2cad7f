#pragma once
// The PNG form screenshot tools offer (8-bit RGB or RGBA, not interlaced), decoded in one
// pass into buffers kept from one picture to the next. The whole stream is inflated at once
// (libdeflate: two to three times zlib's speed), then unfiltered in place. Other forms are
// left to the general readers.
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <cstddef>
#include <memory>

namespace imaging {

// Memory that outlives one picture: an 8K capture does not pay for fresh pages each time.
class ScratchBuffer {
public:
    // At least n bytes, contents undefined.
    unsigned char* reserve(std::size_t n);
    void release();
    std::size_t capacity() const { return m_size; }

private:
    std::unique_ptr<unsigned char[]> m_data;
    std::size_t m_size = 0;
};

struct PngBuffers {
    ScratchBuffer packed; // the image data of all chunks, when it comes in more than one
    ScratchBuffer rows;   // the rows, each behind its filter byte
};

// Decoded rows: channels 3 (R, G, B) or 4 (R, G, B, A) bytes a pixel, top row first.
struct PngRows {
    int width = 0;
    int height = 0;
    int channels = 0;
    qsizetype stride = 0;
    unsigned char* first = nullptr; // row 0; they live in the buffers given to the decoder
    int dotsPerMeterX = 0;          // from the file; 0 when it gives none
    int dotsPerMeterY = 0;

    unsigned char* row(int y) const { return first + stride * y; }
};

enum class PngDecode {
    Done,
    Other,  // a valid PNG perhaps, but not of the form decoded here
    Broken, // the form decoded here, but damaged: why says how
};

PngDecode decodePngRows(QByteArrayView png, PngBuffers& buffers, PngRows& out, QString* why);

// The same in two steps, so that rows can be used while the later ones are undone: the data
// inflated (the rows still filtered, each filter known), then rows from .. to - 1 unfiltered,
// in order from the top.
PngDecode inflatePngRows(QByteArrayView png, PngBuffers& buffers, PngRows& out, QString* why);
void unfilterPngRows(const PngRows& rows, int from, int to);

// The rows as a picture of their own: 32-bit, with the alpha channel when the rows have one
// and keepAlpha is set; null when there is no memory for it.
QImage imageOfRows(const PngRows& rows, bool keepAlpha);

} // namespace imaging
