#pragma once
// The headless image model of the view and scratch images: the picture with its
// depth code, resolution and range, and every operation that needs no screen.
#include <QImage>
#include <QRect>
#include <QString>

namespace imaging {

struct LoadedPicture;

// Range in picture pixels, x1 y1 x2 y2; all 0 means no range.
struct Range {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool isEmpty() const { return x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0; }
    bool operator==(const Range&) const = default;
};

class ImageModel {
public:
    // Image handle: 0 while there is no picture; changes whenever the picture is replaced.
    quint64 handle() const { return m_image.isNull() ? 0 : m_handle; }
    const QImage& image() const { return m_image; }
    void setImage(QImage image);
    // Takes a picture already in the form of a depth code, keeping that code: an edit's
    // result keeps the code of the picture it came from even where the form alone reads
    // another (an 8-bit palette of few colours, a grey palette of two).
    void setImage(QImage image, int depthCode);
    // Takes another model's picture with its depth code and resolution, as a new picture
    // without a range.
    void adopt(const ImageModel& other);
    void clear();

    // Opens a picture file (loadPicture); *error tells why it did not open.
    bool load(const QString& path, QString* error = nullptr);
    // Reads a picture from file bytes as load does; format names the reader ("bmp"), or
    // none to tell it from the bytes.
    bool loadFromData(const QByteArray& bytes, const char* format = nullptr);
    // Writes the picture as a bitmap at its depth code.
    bool saveBmp(QIODevice& dev) const;

    int resolutionX = 0;
    int resolutionY = 0;
    // Gives the picture the resolution set in resolutionX and resolutionY (dots per inch).
    void applyResolution();

    bool convertDepth(int depthCode);
    int depthCode() const { return m_depthCode; }

    Range range;
    void clearRange() { range = {}; }

private:
    bool take(const LoadedPicture& loaded);

    QImage m_image;
    int m_depthCode = 0;
    quint64 m_handle = 0;
};

// Lets Qt's readers take pictures up to the picture budget (PictureBudget.h), beyond Qt's
// default allocation limit (an 8K screenshot at 32 bits is about 130 MB); set once at start,
// the limit is the process's.
void raiseImageAllocationLimit();

} // namespace imaging
