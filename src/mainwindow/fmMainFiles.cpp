// The main window's picture files: open, save over or under a new name, print.
#include "commands/spPic.h"
#include "core/Messages.h"
#include "imaging/PrintLayout.h"
#include "mainwindow/fmMain.h"
#include "settings/PrinterSettings.h"

#include <QFileInfo>
#include <QPrinter>

namespace {

const QString kOpenTitle = QStringLiteral("画像ﾌｧｲﾙを開く");

// The open dialog's filter in both letter cases: file names on this system are case-sensitive.
QString openFilter() {
    QStringList patterns;
    for (const char* ext :
         {"bmp", "jpg", "jpeg", "tif", "tiff", "pcx", "png", "gif", "jp2", "jpc", "j2k"})
        patterns << QStringLiteral("*.") + QLatin1String(ext)
                 << QStringLiteral("*.") + QString::fromLatin1(ext).toUpper();
    return QStringLiteral("画像ﾌｧｲﾙ (") + patterns.join(u' ') + u')';
}

} // namespace

void fmMain::OpenImageFile() {
    const BusyPointer::Guard busy(m_busy);
    m_picture.clearRange();
    const QString path = m_messages.openFileName(kOpenTitle, openFilter());
    if (path.isEmpty())
        return; // cancelled
    const imaging::LoadedPicture loaded = imaging::loadPicture(path);
    if (!loaded.ok) {
        m_messages.notice(QStringLiteral("画像ﾌｧｲﾙを開けませんでした: ") + path + u'\r' +
                          loaded.error);
        return;
    }
    imaging::ImageModel picture;
    picture.setImage(loaded.picture, loaded.depthCode);
    picture.resolutionX = loaded.dpiX;
    picture.resolutionY = loaded.dpiY;
    m_picture.replace(picture);
    if (!displayPicture())
        return;
    m_menus->showDepth(m_picture.depthCode());
    SetViewState(ViewState::Stored);
    m_currentFile = path;
}

void fmMain::SaveImage(bool saveAs) {
    if (m_picture.handle() == 0)
        return;
    // Saving over writes the current file itself, in the format its extension names.
    imaging::SaveTarget target;
    if (!saveAs && !m_currentFile.isEmpty())
        target = imaging::existingSaveTarget(m_currentFile);
    if (!target.ok()) {
        // No file yet, or one in a format not written here: the user names one.
        QString filter;
        const QString name = m_messages.saveFileName(imaging::saveFilters(), &filter);
        if (name.isEmpty())
            return; // cancelled
        target = imaging::resolveSaveTarget(name, imaging::filterExtension(filter));
        // Asked here, not by the dialog: only now is the name complete.
        const QFileInfo existing(target.path);
        if ((existing.exists() || existing.isSymLink()) &&
            m_messages.ask(existing.fileName() + QStringLiteral(" は既にあります。置き換えますか?"),
                           MessageSink::Buttons::OkCancel) != MessageSink::Answer::Ok)
            return;
    }
    // Encoding and writing an 8K picture takes a while: off this thread, the window busy.
    m_busy.begin();
    const imaging::ImageModel picture = m_picture.model();
    const quint64 handle = m_picture.handle();
    m_fileWork.start([this, target, picture, handle] {
        const imaging::SaveResult result =
            imaging::savePicture(target, picture.image(), picture.depthCode());
        QMetaObject::invokeMethod(
            this, [this, result, handle] { pictureSaved(result, handle); }, Qt::QueuedConnection);
    });
}

void fmMain::pictureSaved(const imaging::SaveResult& result, quint64 handle) {
    m_busy.end();
    if (!result.ok) {
        m_messages.notice(result.error);
        return;
    }
    if (result.depthCode == m_picture.depthCode() || m_picture.handle() != handle)
        return;
    // The format took fewer colours: the picture shown becomes the one in the file, as a
    // step of the history, so the conversion can be taken back.
    m_picture.edit(QStringLiteral("保存形式への変換"), [&result](imaging::ImageModel& p) {
        p.setImage(result.picture, result.depthCode);
        return true;
    });
    displayPicture();
    m_menus->showDepth(m_picture.depthCode());
}

void fmMain::PrintImage(int setup) {
    if (m_picture.handle() == 0)
        return;
    const QString settingsFile = m_userDataFolder + QStringLiteral("IkPrn.Ik");
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<PrinterSettings> saved = PrinterSettings::load(settingsFile);
    // The kept settings start the dialog, or are used as they are by "印刷" when they last
    // worked; "印刷設定" (0), no settings, a printer gone or a failed last print ask the user.
    const bool usable = saved && saved->applyTo(printer) && !saved->failed;
    if ((setup == 0 || !usable) && !m_messages.choosePrinter(printer))
        return;
    const BusyPointer::Guard busy(m_busy);
    const imaging::ImageModel& picture = m_picture.model();
    PrinterSettings used = PrinterSettings::of(printer);
    if (!imaging::printPicture(printer, picture.image(), picture.resolutionX,
                               picture.resolutionY)) {
        m_messages.notice(QStringLiteral("印刷できませんでした: ") +
                          (printer.outputFileName().isEmpty() ? printer.printerName()
                                                              : printer.outputFileName()));
        // Kept, so the dialog shows this choice next time, but not used without asking.
        used.failed = true;
    }
    used.save(settingsFile);
}
