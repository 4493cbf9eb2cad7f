#pragma once
// Picture files: which format a file name asks for, opening any picture file with its
// depth code and resolution within the picture budget, and saving a picture in the format
// of its extension so that an existing file is replaced whole or not at all.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

class QIODevice;

namespace imaging {

// Format codes of the save formats.
enum PictureFormatCode {
    FormatBmp = 0,
    FormatJpg = 2,
    FormatGif = 4,
    FormatTif = 5,
    FormatPng = 12,
    FormatFpx = 13, // FlashPix: a code only, neither read nor written
    FormatPcx = 16,
};

// How a file is written; JPEG 2000 has no format code of its own.
enum class PictureWriter { None, Bmp, Jpeg, Gif, Tiff, Png, Pcx, Jp2, J2k };

// One row of the save-format table, looked up by the upper-cased extension.
struct PictureFormat {
    const char* ext;
    int formatCode;
    // Depth codes the format keeps; empty keeps every depth.
    QList<int> depths;
    // The depth a picture of another depth is converted to first.
    int otherDepth;
};

// The table row of an upper-cased extension such as "PNG"; nullptr when it has none.
const PictureFormat* pictureFormatOfExt(const QString& upperExt);
const PictureFormat* pictureFormatOfCode(int formatCode);
// The depth code a picture of depthCode is saved at in a format.
int saveDepthCode(const PictureFormat& format, int depthCode);

// Lower-cased text after the last "." of the whole path; empty without one. A dot in a
// folder name counts: for "/my.shots/shot" it is "shots/shot".
QString fileExt(const QString& path);
// The path with everything after its last "." lower-cased.
QString lowerExt(const QString& path);

// Where and how a save goes.
struct SaveTarget {
    QString path;
    PictureWriter writer = PictureWriter::None;
    int formatCode = -1; // -1 for JPEG 2000
    QString error;       // set when the file's format cannot be written
    bool ok() const { return writer != PictureWriter::None; }
};
// For a name being made: a name whose extension is a format written here keeps it,
// lower-cased; any other ("shot", "2024.01.05", "report v1.2", "shot.") gets ".bmp", or
// defaultExt where the save dialog's file type gives one ("shot." just the letters), so a
// file never hides under an extension that is not its format's.
SaveTarget resolveSaveTarget(const QString& path, const QString& defaultExt = {});
// For saving over a file: that very file, in the format its extension names in any letter
// case; an error when that format is not written here.
SaveTarget existingSaveTarget(const QString& path);
// The save dialog's file types, only formats that are written: "BMP (*.bmp);;JPG (*.jpg)…".
QString saveFilters();
// The extension a file type of saveFilters() names ("png" for "PNG (*.png)"); empty for none.
QString filterExtension(const QString& filter);

struct SaveResult {
    bool ok = false;
    QString error; // in the user's words, with the system's cause where there is one
    QString path;  // the file written (or that would have been)
    int depthCode = 0;
    // The picture as written: the converted copy when the format asked for another depth.
    QImage picture;
};
// Saves picture (of depthCode; resolution from its dots per metre) as the target file. The
// whole file is encoded first and then replaces an existing one (platform::writeFileWhole).
SaveResult savePicture(const SaveTarget& target, const QImage& picture, int depthCode);
// The same for a name being made (resolveSaveTarget).
SaveResult savePicture(const QString& path, const QImage& picture, int depthCode);
// Writes picture, already at a depth the writer takes, to dev.
bool writePicture(QIODevice& dev, PictureWriter writer, const QImage& picture, int depthCode,
                  QString* error);

struct LoadedPicture {
    bool ok = false;
    QString error;
    QImage picture; // in the in-memory form of its depth code
    int depthCode = 0;
    int dpiX = 0; // 0 where the file has no resolution
    int dpiY = 0;
};
// Opens a picture file of any format Qt reads, JPEG 2000 or PCX, chosen by content. Only a
// regular file is opened (a FIFO or device is refused), and a picture over the budget of
// PictureBudget.h is refused before its pixels are decoded.
LoadedPicture loadPicture(const QString& path);
// The same from the file's bytes; nameHint's extension helps formats without a signature.
LoadedPicture loadPictureData(const QByteArray& data, const QString& nameHint = {});

// Largest width and height opened or saved.
constexpr int kMaxPictureSide = 16384;

} // namespace imaging
