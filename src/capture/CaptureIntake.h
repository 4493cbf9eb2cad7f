#pragma once
// Screen-capture intake: the clipboard picture, with the pointer drawn in, goes to the
// view image, is shown, optionally reduced in colours and stored as the next numbered
// bitmap of the work folder.
#include <QImage>
#include <QString>

class MessageSink;
class WorkFolder;
namespace imaging {
class ImageModel;
}
namespace platform {
class Desktop;
}

// The parts of the main window that the intakes use.
class IntakeHost {
public:
    virtual ~IntakeHost() = default;
    virtual void SetBusy(int value) = 0;
    virtual void SetViewState(int state) = 0;
    // Shows the view image with the current display mode.
    virtual bool displayPicture() = 0;
    virtual QString prefix() const = 0;
    virtual QString colourReduction() const = 0;
    virtual void setCurrentFile(const QString& path) = 0;
    // Told after a picture was taken in (its content key).
    virtual void pictureTaken(quint64 key) = 0;
};

class CaptureIntake {
public:
    CaptureIntake(imaging::ImageModel& ikImg, WorkFolder& folder, platform::Desktop& desktop,
                  MessageSink& messages, IntakeHost& host);

    void sjClip(int nPsX, int nPsY, const QImage& nCur);

    // Takes the clipboard picture into the view image with the pointer drawn at
    // (nPsX, nPsY); the position becomes window-relative for a picture smaller than
    // the screen.
    bool TakeClipboardPicture(int& nPsX, int& nPsY, const QImage& nCur);

    // Same, from a given picture instead of the clipboard.
    bool takePicture(QImage picture, int& nPsX, int& nPsY, const QImage& nCur);

    // The whole intake for a picture already in memory.
    void takeIn(QImage picture, int nPsX, int nPsY, const QImage& nCur);

private:
    void storeCapture();

    imaging::ImageModel& m_img;
    WorkFolder& m_folder;
    platform::Desktop& m_desktop;
    MessageSink& m_messages;
    IntakeHost& m_host;
    quint64 m_takenKey = 0;
};

// Depth code for a colour-reduction caption; 0 for "減色しない", "" or unknown.
int depthCodeForReduction(const QString& caption);
