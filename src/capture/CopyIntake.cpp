#include "capture/CopyIntake.h"

#include "app/Messages.h"
#include "app/TextCodec.h"
#include "capture/CaptureIntake.h"
#include "capture/ClipFormat.h"
#include "capture/WorkFolder.h"
#include "imaging/ImageModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>

QByteArray encodeTextFile(const QString& text) {
    // Exactly what was copied must come back, so a character that code page 932 only
    // holds as a look-alike sends the whole text to UTF-8.
    bool lossless = false;
    QByteArray bytes = textcodec::toCp932(text, &lossless);
    if (lossless && textcodec::fromCp932(bytes) == text)
        return bytes;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

CopyIntake::CopyIntake(imaging::ImageModel& ikImg, WorkFolder& folder, MessageSink& messages,
                       IntakeHost& host, QPlainTextEdit& Rtxt)
    : m_img(ikImg), m_folder(folder), m_messages(messages), m_host(host), m_Rtxt(Rtxt) {}

void CopyIntake::sjClp2() {
    const int f = ClipFormat();
    if (f == clipformat::kBitmap)
        takePicture();
    else if (f == clipformat::kRichText || f == clipformat::kText)
        takeText();
}

void CopyIntake::takePicture() {
    m_host.SetBusy(1);
    QImage picture = QGuiApplication::clipboard()->image();
    if (!picture.isNull()) {
        imaging::ImageModel copy;
        copy.setImage(picture);
        const WorkFolder::Stored s =
            m_folder.store(m_host.prefix(), QStringLiteral(".bmp"),
                           [&copy](QIODevice& dev) { return copy.saveBmp(dev); });
        if (s.ok) {
            m_img.setImage(std::move(picture));
            m_host.setCurrentFile(s.path);
            m_host.SetViewState(1);
        } else {
            m_messages.notice(QStringLiteral("ｺﾋﾟｰされた画像を保存できませんでした\r") + s.error);
        }
    }
    m_host.SetBusy(0);
}

void CopyIntake::takeText() {
    m_host.SetBusy(1);
    // Only the plain form of rich text or HTML is kept.
    const QString text = QGuiApplication::clipboard()->text();
    const QByteArray bytes = encodeTextFile(text);
    const WorkFolder::Stored s =
        m_folder.store(m_host.prefix(), QStringLiteral(".txt"),
                       [&bytes](QIODevice& dev) { return dev.write(bytes) == bytes.size(); });
    if (s.ok) {
        m_Rtxt.setPlainText(text);
        m_host.setCurrentFile(s.path);
        m_host.SetViewState(-1);
    } else {
        m_messages.notice(QStringLiteral("ｺﾋﾟｰされたﾃｷｽﾄを保存できませんでした\r") + s.error);
    }
    m_host.SetBusy(0);
}
