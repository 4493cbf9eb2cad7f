#include "imaging/Jp2Codec.h"

#include "imaging/PictureBudget.h"

#include <QIODevice>
#include <QThread>

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace imaging {

namespace {

constexpr int kMaxSide = 16384;

struct CodecFree {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamFree {
    void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageFree {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};
using Codec = std::unique_ptr<opj_codec_t, CodecFree>;
using Stream = std::unique_ptr<opj_stream_t, StreamFree>;
using Image = std::unique_ptr<opj_image_t, ImageFree>;

// OpenJPEG's complaints: kept, the last one names the cause.
void keepMessage(const char* msg, void* client) {
    auto* s = static_cast<QString*>(client);
    *s = QString::fromLocal8Bit(msg).trimmed();
}
void ignoreMessage(const char*, void*) {}

void quiet(opj_codec_t* c, QString* error) {
    opj_set_error_handler(c, keepMessage, error);
    opj_set_warning_handler(c, ignoreMessage, nullptr);
    opj_set_info_handler(c, ignoreMessage, nullptr);
}

struct Memory {
    const uchar* data;
    OPJ_OFF_T size;
    OPJ_OFF_T pos = 0;
};

OPJ_SIZE_T memRead(void* buf, OPJ_SIZE_T n, void* user) {
    auto* m = static_cast<Memory*>(user);
    const OPJ_OFF_T left = m->size - m->pos;
    if (left <= 0)
        return OPJ_SIZE_T(-1);
    const OPJ_SIZE_T k = std::min<OPJ_SIZE_T>(n, OPJ_SIZE_T(left));
    std::memcpy(buf, m->data + m->pos, k);
    m->pos += OPJ_OFF_T(k);
    return k;
}
OPJ_OFF_T memSkip(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<Memory*>(user);
    const OPJ_OFF_T to = std::clamp<OPJ_OFF_T>(m->pos + n, 0, m->size);
    const OPJ_OFF_T moved = to - m->pos;
    m->pos = to;
    return moved;
}
OPJ_BOOL memSeek(OPJ_OFF_T to, void* user) {
    auto* m = static_cast<Memory*>(user);
    if (to < 0 || to > m->size)
        return OPJ_FALSE;
    m->pos = to;
    return OPJ_TRUE;
}

OPJ_SIZE_T devWrite(void* buf, OPJ_SIZE_T n, void* user) {
    const qint64 k = static_cast<QIODevice*>(user)->write(static_cast<const char*>(buf), qint64(n));
    return k < 0 ? OPJ_SIZE_T(-1) : OPJ_SIZE_T(k);
}
OPJ_OFF_T devSkip(OPJ_OFF_T n, void* user) {
    auto* d = static_cast<QIODevice*>(user);
    return d->seek(d->pos() + n) ? n : -1;
}
OPJ_BOOL devSeek(OPJ_OFF_T to, void* user) {
    return static_cast<QIODevice*>(user)->seek(to) ? OPJ_TRUE : OPJ_FALSE;
}

const uchar kJp2Signature[] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
const uchar kCodeStream[] = {0xFF, 0x4F, 0xFF, 0x51};

int threadCount() {
    return opj_has_thread_support() ? std::max(1, QThread::idealThreadCount()) : 1;
}

// One sample as 8 bits.
inline int sample8(const opj_image_comp_t& c, qsizetype i) {
    int v = c.data[i];
    if (c.sgnd)
        v += 1 << (c.prec - 1);
    if (c.prec > 8)
        v >>= c.prec - 8;
    else if (c.prec < 8)
        v = v * 255 / ((1 << c.prec) - 1);
    return std::clamp(v, 0, 255);
}

} // namespace

bool looksLikeJp2(const char* data, qsizetype size) {
    return (size >= qsizetype(sizeof kJp2Signature) &&
            std::memcmp(data, kJp2Signature, sizeof kJp2Signature) == 0) ||
           (size >= qsizetype(sizeof kCodeStream) &&
            std::memcmp(data, kCodeStream, sizeof kCodeStream) == 0);
}

QImage readJp2(const char* data, qsizetype size, int* depthCode, QString* error) {
    QString message;
    auto fail = [&](const QString& why) {
        if (error)
            *error = message.isEmpty() ? why : message;
        return QImage();
    };
    if (!looksLikeJp2(data, size))
        return fail(QStringLiteral("not JPEG 2000"));
    const bool file = std::memcmp(data, kJp2Signature, 4) == 0;
    Codec codec(opj_create_decompress(file ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    quiet(codec.get(), &message);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (!opj_setup_decoder(codec.get(), &params))
        return fail(QStringLiteral("decoder setup"));
    opj_codec_set_threads(codec.get(), threadCount());

    Memory mem{reinterpret_cast<const uchar*>(data), OPJ_OFF_T(size)};
    Stream stream(opj_stream_create(1 << 16, OPJ_TRUE));
    opj_stream_set_user_data(stream.get(), &mem, nullptr);
    opj_stream_set_user_data_length(stream.get(), OPJ_UINT64(size));
    opj_stream_set_read_function(stream.get(), memRead);
    opj_stream_set_skip_function(stream.get(), memSkip);
    opj_stream_set_seek_function(stream.get(), memSeek);

    opj_image_t* raw = nullptr;
    if (!opj_read_header(stream.get(), codec.get(), &raw))
        return fail(QStringLiteral("bad header"));
    Image img(raw);
    const qint64 w = qint64(img->x1) - img->x0, h = qint64(img->y1) - img->y0;
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide)
        return fail(QStringLiteral("picture too large"));
    if (img->numcomps < 1 || img->numcomps > 4)
        return fail(QStringLiteral("unsupported components"));
    // OpenJPEG decodes every component to 32-bit samples before the picture is made.
    if (const QString over = budgetProblem(w, h, 32 * qint64(img->numcomps)); !over.isEmpty())
        return fail(over);
    if (!opj_decode(codec.get(), stream.get(), img.get()) ||
        !opj_end_decompress(codec.get(), stream.get()))
        return fail(QStringLiteral("decoding failed"));
    const int n = int(img->numcomps);
    for (int i = 0; i < n; ++i) {
        const opj_image_comp_t& c = img->comps[i];
        if (!c.data || c.w != OPJ_UINT32(w) || c.h != OPJ_UINT32(h) || c.prec < 1 || c.prec > 16)
            return fail(QStringLiteral("unsupported component layout"));
    }

    const opj_image_comp_t* c = img->comps;
    const bool alpha = n == 2 || n == 4;
    QImage out(int(w), int(h),
               n == 1 ? QImage::Format_Grayscale8
                      : (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888));
    if (out.isNull())
        return fail(QStringLiteral("out of memory"));
    for (int y = 0; y < int(h); ++y) {
        uchar* d = out.scanLine(y);
        const qsizetype base = qsizetype(y) * w;
        for (int x = 0; x < int(w); ++x) {
            const qsizetype i = base + x;
            if (n == 1) {
                d[x] = uchar(sample8(c[0], i));
            } else if (n == 3) {
                d[3 * x] = uchar(sample8(c[0], i));
                d[3 * x + 1] = uchar(sample8(c[1], i));
                d[3 * x + 2] = uchar(sample8(c[2], i));
            } else {
                const int g = sample8(c[0], i);
                reinterpret_cast<QRgb*>(d)[x] =
                    n == 2 ? qRgba(g, g, g, sample8(c[1], i))
                           : qRgba(g, sample8(c[1], i), sample8(c[2], i), sample8(c[3], i));
            }
        }
    }
    if (depthCode)
        *depthCode = n == 1 ? 80 : alpha ? 32 : 24;
    return out;
}

bool writeJp2(QIODevice& dev, const QImage& image, int depthCode, bool codeStream, QString* error) {
    QString message;
    auto fail = [&](const QString& why) {
        if (error)
            *error = message.isEmpty() ? why : message;
        return false;
    };
    const bool grey = depthCode == 80;
    const QImage src =
        image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (src.isNull())
        return fail(QStringLiteral("no picture"));
    const int w = src.width(), h = src.height(), n = grey ? 1 : 3;

    opj_image_cmptparm_t cp[3];
    std::memset(cp, 0, sizeof cp);
    for (int i = 0; i < n; ++i) {
        cp[i].dx = cp[i].dy = 1;
        cp[i].w = OPJ_UINT32(w);
        cp[i].h = OPJ_UINT32(h);
        cp[i].prec = 8;
        cp[i].sgnd = 0;
    }
    Image img(opj_image_create(OPJ_UINT32(n), cp, grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
    if (!img)
        return fail(QStringLiteral("out of memory"));
    img->x1 = OPJ_UINT32(w);
    img->y1 = OPJ_UINT32(h);
    for (int y = 0; y < h; ++y) {
        const uchar* s = src.constScanLine(y);
        const qsizetype base = qsizetype(y) * w;
        for (int x = 0; x < w; ++x)
            for (int i = 0; i < n; ++i)
                img->comps[i].data[base + x] = s[n * x + i];
    }

    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.tcp_rates[0] = 0; // lossless
    params.cp_disto_alloc = 1;
    params.tcp_mct = grey ? 0 : 1;
    // Each resolution level halves the picture; a small picture has fewer.
    int levels = 1;
    while (levels < 6 && (std::min(w, h) >> levels) >= 1)
        ++levels;
    params.numresolution = levels;

    Codec codec(opj_create_compress(codeStream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2));
    quiet(codec.get(), &message);
    if (!opj_setup_encoder(codec.get(), &params, img.get()))
        return fail(QStringLiteral("encoder setup"));
    opj_codec_set_threads(codec.get(), threadCount());
    Stream stream(opj_stream_create(1 << 20, OPJ_FALSE));
    opj_stream_set_user_data(stream.get(), &dev, nullptr);
    opj_stream_set_write_function(stream.get(), devWrite);
    opj_stream_set_skip_function(stream.get(), devSkip);
    opj_stream_set_seek_function(stream.get(), devSeek);
    if (!opj_start_compress(codec.get(), img.get(), stream.get()) ||
        !opj_encode(codec.get(), stream.get()) || !opj_end_compress(codec.get(), stream.get()))
        return fail(dev.errorString().isEmpty() ? QStringLiteral("encoding failed")
                                                : dev.errorString());
    return true;
}

} // namespace imaging
