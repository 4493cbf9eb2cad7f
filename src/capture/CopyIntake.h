#pragma once
// Copy-event intake: another program's picture copy becomes the next numbered ".bmp",
// its text copy the next numbered ".txt", stored the same way as captures.
#include <QString>

class IntakeHost;
class MessageSink;
class QPlainTextEdit;
class WorkFolder;
namespace imaging {
class ImageModel;
}

class CopyIntake {
public:
    CopyIntake(imaging::ImageModel& ikImg, WorkFolder& folder, MessageSink& messages,
               IntakeHost& host, QPlainTextEdit& Rtxt);

    void sjClp2();

private:
    void takePicture();
    void takeText();

    imaging::ImageModel& m_img;
    WorkFolder& m_folder;
    MessageSink& m_messages;
    IntakeHost& m_host;
    QPlainTextEdit& m_Rtxt;
};

// Bytes of a stored text file: code page 932 when the text fits it without loss,
// otherwise UTF-8 with a byte-order mark.
QByteArray encodeTextFile(const QString& text);
