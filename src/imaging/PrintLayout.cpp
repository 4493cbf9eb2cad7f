#include "imaging/PrintLayout.h"

#include "core/NumRules.h"

#include <QPainter>
#include <QPrinter>

namespace imaging {

QSize printedSize(QSize pixels, int dpiX, int dpiY) {
    const double rx = dpiX > 0 ? dpiX : 72;
    const double ry = dpiY > 0 ? dpiY : 72;
    return {int(numrules::roundHalfEven(pixels.width() / rx * 254.0)),
            int(numrules::roundHalfEven(pixels.height() / ry * 254.0))};
}

QSize fittedSize(QSize printed, QSize area) {
    if (printed.isEmpty())
        return printed;
    double scale = double(area.width()) / printed.width();
    const double byHeight = double(area.height()) / printed.height();
    if (byHeight < scale)
        scale = byHeight;
    if (scale <= 0.0 || scale >= 1.0)
        return printed;
    return {int(numrules::roundHalfEven(printed.width() * scale)),
            int(numrules::roundHalfEven(printed.height() * scale))};
}

bool printPicture(QPrinter& printer, const QImage& picture, int dpiX, int dpiY) {
    if (picture.isNull())
        return false;
    printer.setDocName(QStringLiteral("Print Out"));
    printer.setFullPage(false);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The printable area in tenths of a millimetre, and device pixels per tenth.
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    const QSize areaTenths(int(area.width() * 10.0), int(area.height() * 10.0));
    const QSize size = fittedSize(printedSize(picture.size(), dpiX, dpiY), areaTenths);
    const double perTenth = printer.resolution() / 254.0;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, size.width() * perTenth, size.height() * perTenth), picture);
    return painter.end();
}

} // namespace imaging
