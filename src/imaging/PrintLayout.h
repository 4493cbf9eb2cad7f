#pragma once
// The size a picture prints at: its true size from its resolution, scaled down only to fit.
#include <QImage>
#include <QSize>

class QPrinter;

namespace imaging {

// Width and height in tenths of a millimetre of a picture of pixels at dots per inch dpiX,
// dpiY (0 counts as 72), each rounded halves to even: 2000 x 1000 at 96 dpi is 5292 x 2646.
QSize printedSize(QSize pixels, int dpiX, int dpiY);

// The printed size scaled down, ratio kept, until it fits an area (tenths of a millimetre);
// a size that fits is kept, never enlarged.
QSize fittedSize(QSize printed, QSize area);

// Prints the picture on one page of printer at the top left of its printable area, at the
// size of the two rules above. False when the printer cannot be started.
bool printPicture(QPrinter& printer, const QImage& picture, int dpiX, int dpiY);

} // namespace imaging
