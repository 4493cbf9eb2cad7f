#pragma once
// Shapes drawn on the picture with the drawing toolbar, as pure operations on the headless
// model: each finished shape is one step of PictureDocument::edit. The same painting shows
// the shape in progress over the view, under the view's scale.
#include "imaging/ImageModel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

namespace imaging {

enum class DrawTool {
    Select, // no drawing: the view's range drag
    Pen,
    Line,
    Arrow,
    Rectangle,
    Ellipse,
    Highlighter,
    Text,
    Number,
    Pixelate,
    Stamp,
};

// Freehand tools keep every point; the two-point tools the drag's start and end; text,
// number and stamp their one point. Points are picture pixels.
struct Shape {
    DrawTool tool = DrawTool::Select;
    QList<QPoint> points;
    QColor colour = Qt::red;
    int width = 3;
    QString text;      // Text
    int fontSize = 20; // Text, in pixels
    int number = 0;    // Number
    QImage stamp;      // Stamp
};

// Whether a drag draws with the tool (the others act on a click).
bool isDragTool(DrawTool tool);
// The history's text for a shape of the tool.
QString drawToolText(DrawTool tool);

// The font a text shape is drawn in, its size in picture pixels.
QFont textFont(const Shape& shape);

// The pixels the shape may touch, not yet limited to the picture.
QRect shapeBounds(const Shape& shape);

// Paints the shape in picture coordinates. Pixelate needs the picture's pixels and is drawn
// only by drawShape; preview paints its outline instead. Text is laid out in picture pixels on
// a transparent layer, so under a view's scale it is the drawn text scaled, pixel for pixel.
void paintShape(QPainter& painter, const Shape& shape, bool preview = false);

// Draws the shape into the picture: only pixels within shapeBounds change; form, palette,
// depth code, resolution and range are kept (a palette picture takes the nearest colours of
// its palette for the drawn pixels). False when nothing would be drawn: no picture, a shape
// without its points, empty text, a stamp without a picture, or a shape outside the picture.
bool drawShape(ImageModel& picture, const Shape& shape);

// The points the toolbar reports for a shape: the four corners of a rectangle or ellipse in
// the order (x1, y1), (x2, y1), (x2, y2), (x1, y2) with x1 <= x2 and y1 <= y2; the points as
// they are for every other tool.
QList<QPoint> reportedPoints(const Shape& shape);

} // namespace imaging
