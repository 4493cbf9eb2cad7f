#include "capture/CaptureIntake.h"

#include "app/Messages.h"
#include "capture/ClipFormat.h"
#include "capture/WorkFolder.h"
#include "imaging/ImageModel.h"
#include "platform/Platform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

CaptureIntake::CaptureIntake(imaging::ImageModel& ikImg, WorkFolder& folder,
                             platform::Desktop& desktop, MessageSink& messages, IntakeHost& host)
    : m_img(ikImg), m_folder(folder), m_desktop(desktop), m_messages(messages), m_host(host) {}

int depthCodeForReduction(const QString& caption) {
    if (caption == u"16色(4bit)")
        return 4;
    if (caption == u"ｸﾞﾚｰ(4bit)")
        return 40;
    if (caption == u"256色(8bit)")
        return 8;
    if (caption == u"ｸﾞﾚｰ(8bit)")
        return 80;
    if (caption == u"16bit")
        return 16;
    return 0;
}

bool CaptureIntake::TakeClipboardPicture(int& nPsX, int& nPsY, const QImage& nCur) {
    if (!CanPasteImage())
        return false;
    return takePicture(QGuiApplication::clipboard()->image(), nPsX, nPsY, nCur);
}

bool CaptureIntake::takePicture(QImage picture, int& nPsX, int& nPsY, const QImage& nCur) {
    if (picture.isNull())
        return false;
    // Keyed as offered, before the pointer goes in, so a re-offer of it is recognised.
    m_takenKey = platform::pictureKey(picture);
    m_img.clearRange();
    // A capture is opaque; keep it in the 32-bit form that is stored without conversion.
    if (picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    if (!nCur.isNull()) {
        const QSize screen = m_desktop.primaryScreenSize();
        const bool fullScreen =
            picture.width() >= screen.width() && picture.height() >= screen.height();
        if (!fullScreen) {
            const QRect active = m_desktop.activeWindowRect();
            nPsX -= active.left();
            nPsY -= active.top();
        }
        QPainter p(&picture);
        p.drawImage(QPoint(nPsX, nPsY), nCur);
    }
    // The picture shown so far is let go once the intake is over: freeing a large one
    // takes time that storing the new capture should not wait for.
    QTimer::singleShot(0, [previous = m_img.image()] { Q_UNUSED(previous); });
    m_img.setImage(std::move(picture));
    return m_img.handle() > 0;
}

void CaptureIntake::sjClip(int nPsX, int nPsY, const QImage& nCur) {
    m_host.SetBusy(1);
    if (TakeClipboardPicture(nPsX, nPsY, nCur))
        storeCapture();
    m_host.SetViewState(1);
    m_host.SetBusy(0);
}

void CaptureIntake::takeIn(QImage picture, int nPsX, int nPsY, const QImage& nCur) {
    m_host.SetBusy(1);
    if (takePicture(std::move(picture), nPsX, nPsY, nCur))
        storeCapture();
    m_host.SetViewState(1);
    m_host.SetBusy(0);
}

void CaptureIntake::storeCapture() {
    m_host.pictureTaken(m_takenKey);
    m_img.resolutionX = 96;
    m_img.resolutionY = 96;
    m_img.applyResolution();
    m_host.displayPicture();
    if (const int code = depthCodeForReduction(m_host.colourReduction()); code != 0) {
        m_img.convertDepth(code);
        m_host.displayPicture();
    }
    const WorkFolder::Stored s =
        m_folder.store(m_host.prefix(), QStringLiteral(".bmp"),
                       [this](QIODevice& dev) { return m_img.saveBmp(dev); });
    if (s.ok)
        m_host.setCurrentFile(s.path);
    else
        m_messages.notice(QStringLiteral("ｷｬﾌﾟﾁｬｰを保存できませんでした") + u'\r' +
                          m_folder.storedName(m_host.prefix(), QStringLiteral(".bmp")) + u'\r' +
                          s.error);
}
