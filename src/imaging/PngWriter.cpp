#include "imaging/PngWriter.h"

#include "imaging/DepthCode.h"

#include <QIODevice>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

// Everything with a destructor lives here, outside the part libpng may jump out of.
struct Job {
    QIODevice* dev = nullptr;
    QImage img;
    int code = 24;
    QByteArray buf;
    std::vector<uchar> row;
    QString error;
    bool failed = false;
};

void flushBuffer(Job& job) {
    if (!job.failed && !job.buf.isEmpty() && job.dev->write(job.buf) != job.buf.size()) {
        job.failed = true;
        job.error = job.dev->errorString();
    }
    job.buf.resize(0);
}

void onWrite(png_structp png, png_bytep data, size_t n) {
    auto* job = static_cast<Job*>(png_get_io_ptr(png));
    job->buf.append(reinterpret_cast<const char*>(data), qsizetype(n));
    if (job->buf.size() >= (1 << 20))
        flushBuffer(*job);
    if (job->failed)
        png_error(png, "write failed");
}
void onFlush(png_structp) {}

[[noreturn]] void onError(png_structp png, png_const_charp msg) {
    auto* job = static_cast<Job*>(png_get_error_ptr(png));
    if (job->error.isEmpty())
        job->error = QString::fromLatin1(msg);
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

// Rows of the depth's pixel size; 4-bit rows are packed into job.row first.
bool encode(Job& job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &job, onWrite, onFlush);
    const QImage& img = job.img;
    const int w = img.width(), h = img.height(), code = job.code;
    const int bits = code == 1 ? 1 : code == 4 || code == 40 ? 4 : 8;
    const int type = code == 24                 ? PNG_COLOR_TYPE_RGB
                     : code == 80 || code == 40 ? PNG_COLOR_TYPE_GRAY
                                                : PNG_COLOR_TYPE_PALETTE;
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), bits, type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[256];
        // An 8-bit picture keeps all 256 entries, so that it opens again as 8-bit.
        const int count = code == 8 ? 256 : std::min(img.colorCount(), 1 << bits);
        for (int i = 0; i < count; ++i) {
            const QRgb c = i < img.colorCount() ? img.color(i) : qRgb(0, 0, 0);
            palette[i] = {png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))};
        }
        png_set_PLTE(png, info, palette, std::max(count, 1));
    }
    if (img.dotsPerMeterX() > 0 && img.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(img.dotsPerMeterX()), png_uint_32(img.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        const uchar* s = img.constScanLine(y);
        if (bits == 4) {
            uchar* d = job.row.data();
            for (int x = 0; x < w; x += 2)
                d[x / 2] = uchar((s[x] & 15) << 4 | (x + 1 < w ? s[x + 1] & 15 : 0));
            s = d;
        }
        png_write_row(png, const_cast<png_bytep>(s));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(QIODevice& dev, const QImage& image, int depthCode, QString* error) {
    Job job;
    job.dev = &dev;
    job.code = depthCode;
    if (job.code != 1 && job.code != 4 && job.code != 40 && job.code != 8 && job.code != 80)
        job.code = 24;
    job.img = convertToDepthCode(image, job.code);
    if (job.img.isNull())
        return false;
    if (job.code == 1 && job.img.colorCount() < 2)
        job.img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    job.row.resize(size_t(job.img.width()) / 2 + 1);
    job.buf.reserve(1 << 20);
    const bool ok = encode(job);
    if (ok)
        flushBuffer(job);
    if (error && (!ok || job.failed))
        *error = job.error;
    return ok && !job.failed;
}

} // namespace imaging
