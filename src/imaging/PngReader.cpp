#include "imaging/PictureReaders.h"

#include "imaging/PictureBudget.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>

namespace imaging {

namespace {

// Everything with a destructor lives here, outside the part libpng may jump out of.
struct Job {
    const uchar* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    QImage img;
    QList<QRgb> table;
    int depthCode = 0;
    int dpiX = 0;
    int dpiY = 0;
    QString error;
};

void onRead(png_structp png, png_bytep out, size_t n) {
    auto* job = static_cast<Job*>(png_get_io_ptr(png));
    if (n > job->size - job->pos)
        png_error(png, "truncated");
    std::memcpy(out, job->data + job->pos, n);
    job->pos += n;
}
[[noreturn]] void onError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

bool greyTable(const QList<QRgb>& t) {
    for (QRgb c : t)
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    return true;
}

// Sets up job.img for the forms read here; false leaves the file to Qt.
bool prepare(Job& job, png_structp png, png_infop info) {
    png_uint_32 w = 0, h = 0;
    int bits = 0, type = 0, interlace = 0;
    png_get_IHDR(png, info, &w, &h, &bits, &type, &interlace, nullptr, nullptr);
    if (interlace != PNG_INTERLACE_NONE || w == 0 || h == 0 || w > 16384 || h > 16384 ||
        png_get_valid(png, info, PNG_INFO_tRNS))
        return false;
    QImage::Format format = QImage::Format_Invalid;
    if (type == PNG_COLOR_TYPE_RGB && bits == 8) {
        format = QImage::Format_RGB888;
        job.depthCode = 24;
    } else if (type == PNG_COLOR_TYPE_GRAY && bits == 8) {
        format = QImage::Format_Grayscale8;
        job.depthCode = 80;
    } else if (type == PNG_COLOR_TYPE_PALETTE && (bits == 4 || bits == 8)) {
        png_colorp palette = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &palette, &count) || count <= 0)
            return false;
        for (int i = 0; i < count; ++i)
            job.table.append(qRgb(palette[i].red, palette[i].green, palette[i].blue));
        // Indexes past the palette would read outside it.
        job.table.resize(1 << bits, qRgb(0, 0, 0));
        format = QImage::Format_Indexed8;
        job.depthCode = bits == 4 ? 4 : greyTable(job.table) ? 80 : 8;
        if (bits == 4)
            png_set_packing(png);
    } else {
        return false;
    }
    job.error = budgetProblem(w, h, QImage::toPixelFormat(format).bitsPerPixel());
    if (!job.error.isEmpty())
        return false;
    job.img = QImage(int(w), int(h), format);
    if (job.img.isNull())
        return false;
    if (format == QImage::Format_Indexed8)
        job.img.setColorTable(job.table);
    png_uint_32 rx = 0, ry = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &rx, &ry, &unit) && unit == PNG_RESOLUTION_METER && rx > 0 &&
        ry > 0 && rx < 0x7FFFFFFF && ry < 0x7FFFFFFF) {
        job.img.setDotsPerMeterX(int(rx));
        job.img.setDotsPerMeterY(int(ry));
        job.dpiX = int(std::lround(rx * 0.0254));
        job.dpiY = int(std::lround(ry * 0.0254));
    }
    return true;
}

bool decode(Job& job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &job, onRead);
    png_read_info(png, info);
    if (!prepare(job, png, info)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_read_update_info(png, info);
    for (int y = 0; y < job.img.height(); ++y)
        png_read_row(png, job.img.scanLine(y), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

DecodedPicture readPngDirect(const char* data, qsizetype size) {
    DecodedPicture out;
    if (size < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data), 0, 8) != 0)
        return out;
    Job job;
    job.data = reinterpret_cast<const uchar*>(data);
    job.size = size_t(size);
    if (!decode(job)) {
        out.error = job.error;
        return out;
    }
    out.depthCode = job.depthCode;
    out.dpiX = job.dpiX;
    out.dpiY = job.dpiY;
    if (out.depthCode == 80 && job.img.format() == QImage::Format_Indexed8)
        job.img = job.img.convertToFormat(QImage::Format_Grayscale8);
    out.image = std::move(job.img);
    return out;
}

} // namespace imaging
