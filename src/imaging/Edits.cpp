#include "imaging/Edits.h"

#include "core/NumRules.h"
#include "imaging/DepthCode.h"
#include "imaging/PaletteFit.h"
#include "imaging/PixelMoves.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace imaging {

namespace {

// A picture Qt could not allocate is memory exhausted: the edit stops with bad_alloc, which
// the document turns into a failed edit that changed nothing.
const QImage& allocated(const QImage& image) {
    if (image.isNull())
        throw std::bad_alloc();
    return image;
}

bool rangePresent(const Range& r) {
    return r.x1 > 0 || r.y1 > 0 || r.x2 > 0 || r.y2 > 0;
}

// A picture of the same form (format, palette, resolution) and another size.
QImage blankLike(const QImage& src, int width, int height) {
    QImage out(width, height, src.format());
    allocated(out);
    if (src.colorCount() > 0)
        out.setColorTable(src.colorTable());
    out.setDotsPerMeterX(src.dotsPerMeterX());
    out.setDotsPerMeterY(src.dotsPerMeterY());
    if (src.depth() < 8)
        out.fill(0); // row padding stays defined
    return out;
}

// Gives the edited picture to the model in place of the old one, with the old depth code.
void takeResult(ImageModel& picture, QImage result, int depthCode) {
    allocated(result);
    picture.setImage(std::move(result), depthCode);
}

QImage quarterTurn(const QImage& src, bool clockwise) {
    QImage out;
    if (src.depth() >= 8) {
        out = allocated(quarterTurned(src, clockwise));
    } else {
        out = blankLike(src, src.height(), src.width());
        const int w = src.width(), h = src.height();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.setPixel(clockwise ? h - 1 - y : y, clockwise ? x : w - 1 - x,
                             src.pixelIndex(x, y));
    }
    out.setDotsPerMeterX(src.dotsPerMeterY());
    out.setDotsPerMeterY(src.dotsPerMeterX());
    return out;
}

QRgb lifted(QRgb c) {
    auto up = [](int v) { return std::min(255, v + 55); };
    return qRgba(up(qRed(c)), up(qGreen(c)), up(qBlue(c)), qAlpha(c));
}

QRgb marked(QRgb c) {
    constexpr QRgb kMarker = qRgb(255, 255, 0);
    auto mul = [](int v, int m) { return (v * m + 127) / 255; };
    return qRgba(mul(qRed(c), qRed(kMarker)), mul(qGreen(c), qGreen(kMarker)),
                 mul(qBlue(c), qBlue(kMarker)), qAlpha(c));
}

} // namespace

QRect rangePixels(const ImageModel& picture) {
    const QImage& img = picture.image();
    const Range& r = picture.range;
    if (img.isNull() || !rangePresent(r))
        return {};
    const int left = std::max(std::min(r.x1, r.x2), 0);
    const int top = std::max(std::min(r.y1, r.y2), 0);
    const int right = std::min(std::max(r.x1, r.x2), img.width() - 1);
    const int bottom = std::min(std::max(r.y1, r.y2), img.height() - 1);
    if (left > right || top > bottom)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool clearRange(ImageModel& picture) {
    if (picture.range.isEmpty())
        return false;
    picture.clearRange();
    return true;
}

bool trimToRange(ImageModel& picture) {
    const QRect keep = rangePixels(picture);
    if (keep.isEmpty())
        return false;
    const QImage& src = picture.image();
    QImage out = blankLike(src, keep.width(), keep.height());
    copyPixels(src, keep, out, QPoint(0, 0));
    takeResult(picture, std::move(out), picture.depthCode());
    picture.clearRange();
    return true;
}

bool foldOutBand(ImageModel& picture, FoldDirection direction) {
    const QRect range = rangePixels(picture);
    if (range.isEmpty())
        return false;
    const QImage& src = picture.image();
    const int w = src.width(), h = src.height();
    QImage out;
    if (direction == FoldDirection::Rows) {
        const int first = range.top(), last = range.bottom();
        if (last - first + 1 >= h)
            return false;
        out = blankLike(src, w, h - (last - first + 1));
        copyPixels(src, QRect(0, 0, w, first), out, QPoint(0, 0));
        copyPixels(src, QRect(0, last + 1, w, h - last - 1), out, QPoint(0, first));
    } else {
        const int first = range.left(), last = range.right();
        if (last - first + 1 >= w)
            return false;
        out = blankLike(src, w - (last - first + 1), h);
        copyPixels(src, QRect(0, 0, first, h), out, QPoint(0, 0));
        copyPixels(src, QRect(last + 1, 0, w - last - 1, h), out, QPoint(first, 0));
    }
    takeResult(picture, std::move(out), picture.depthCode());
    picture.clearRange();
    return true;
}

QSize reducedSize(const QSize& picture, const Range& range, ReduceMode mode) {
    if (picture.isEmpty() || !rangePresent(range))
        return {};
    auto limitX = [&](int v) { return std::clamp(v, 0, picture.width()); };
    auto limitY = [&](int v) { return std::clamp(v, 0, picture.height()); };
    const float w = float(picture.width());
    const float h = float(picture.height());
    float dx = float(std::abs(limitX(range.x2) - limitX(range.x1)));
    float dy = float(std::abs(limitY(range.y2) - limitY(range.y1)));
    if (dx == 0.0f || dy == 0.0f)
        return {};
    if (mode == ReduceMode::KeepRatioByWidth)
        dy = dx / w * h;
    else if (mode == ReduceMode::KeepRatioByHeight)
        dx = dy / h * w;
    const QSize size(int(numrules::roundHalfEven(dx)), int(numrules::roundHalfEven(dy)));
    return size.isEmpty() ? QSize() : size;
}

bool reduceToRange(ImageModel& picture, ReduceMode mode) {
    const QImage& src = picture.image();
    const QSize size = reducedSize(src.size(), picture.range, mode);
    if (size.isEmpty())
        return false;
    const int code = picture.depthCode();
    const bool keepsDepth = code == 80 || code == 16 || code == 24 || code == 32;
    const int resultCode = keepsDepth ? code : 16;
    // Scaled from the picture as it is, then brought to the result's depth once, so a
    // palette picture loses precision in one step only.
    const QImage scaled = src.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    allocated(scaled);
    QImage out = allocated(convertToDepthCode(scaled, resultCode));
    out.setDotsPerMeterX(src.dotsPerMeterX());
    out.setDotsPerMeterY(src.dotsPerMeterY());
    takeResult(picture, std::move(out), resultCode);
    picture.clearRange();
    return true;
}

bool rotate(ImageModel& picture, Turn turn) {
    const QImage& src = picture.image();
    if (src.isNull())
        return false;
    QImage out;
    switch (turn) {
    case Turn::MirrorLeftRight:
    case Turn::FlipTopBottom:
    case Turn::Right180:
    case Turn::Left180: {
        const bool leftRight = turn != Turn::FlipTopBottom;
        const bool topBottom = turn != Turn::MirrorLeftRight;
        out = src.depth() >= 8 ? allocated(mirroredPixels(src, leftRight, topBottom))
                               : src.mirrored(leftRight, topBottom);
        break;
    }
    case Turn::Right90:
    case Turn::Left90:
        out = quarterTurn(src, turn == Turn::Right90);
        break;
    }
    takeResult(picture, std::move(out), picture.depthCode());
    if (turn == Turn::Right90 || turn == Turn::Left90)
        std::swap(picture.resolutionX, picture.resolutionY);
    return true;
}

bool convertToDepth(ImageModel& picture, int code) {
    if (!isDepthCode(code) || picture.image().isNull())
        return false;
    ImageModel work = picture;
    const bool ok =
        code == 40 ? work.convertDepth(80) && work.convertDepth(40) : work.convertDepth(code);
    if (!ok) // the code is a known one: only memory can be lacking
        throw std::bad_alloc();
    picture = work;
    return true;
}

bool emphasizeRange(ImageModel& picture, Emphasis kind) {
    const QRect region = rangePixels(picture);
    if (region.isEmpty())
        return false;
    const QImage& src = picture.image();
    // Only the region goes through true colour, so no pixel outside it can change.
    QImage part = src.copy(region).convertToFormat(src.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                         : QImage::Format_RGB32);
    allocated(part);
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            line[x] = kind == Emphasis::Relative ? lifted(line[x]) : marked(line[x]);
    }
    takeResult(picture, replaceRegion(src, picture.depthCode(), region, part), picture.depthCode());
    return true;
}

} // namespace imaging
