// The main window's picture files: open, save over or under a new name, print.
#include "commands/spPic.h"
#include "core/Messages.h"
#include "imaging/PrintLayout.h"
#include "mainwindow/fmMain.h"
#include "settings/PrinterSettings.h"

#include <QPrinter>

namespace {

const QString kOpenTitle = QStringLiteral("画像ﾌｧｲﾙを開く");

// The open dialog's filter in both letter cases: file names on this system are case-sensitive.
QString openFilter() {
    QStringList patterns;
    for (const char* ext :
         {"bmp", "jpg", "jpeg", "tif", "tiff", "pcx", "fpx", "png", "gif", "jp2", "jpc", "j2k"})
        patterns << QStringLiteral("*.") + QLatin1String(ext)
                 << QStringLiteral("*.") + QString::fromLatin1(ext).toUpper();
    return QStringLiteral("画像ﾌｧｲﾙ (") + patterns.join(u' ') + u')';
}

QString saveFilters() {
    QStringList filters;
    for (const char* ext : {"BMP", "JPG", "TIF", "PCX", "FPX", "PNG", "GIF"})
        filters << QLatin1String(ext) + QStringLiteral(" (*.") +
                       QString::fromLatin1(ext).toLower() + u')';
    return filters.join(QStringLiteral(";;"));
}

} // namespace

void fmMain::OpenImageFile() {
    whenEditsSettled([this] {
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
    });
}

void fmMain::SaveImage(bool saveAs) {
    savePicture(saveAs, {});
}

void fmMain::savePicture(bool saveAs, std::function<void()> then) {
    // What is saved is the picture with every edit asked for before.
    m_picture.whenIdle([this, saveAs, then = std::move(then)] {
        if (m_picture.handle() == 0)
            return;
        EndToolbarDrawing();
        const bool overCurrentFile = !saveAs && !m_currentFile.isEmpty();
        const QString path =
            overCurrentFile ? m_currentFile : m_messages.saveFileName(saveFilters());
        if (path.isEmpty())
            return; // cancelled
        // Encoding and writing an 8K picture takes a while: off this thread, the window busy.
        m_busy.begin();
        const imaging::ImageModel picture = m_picture.model();
        const quint64 state = m_picture.state();
        m_fileWork.start([this, path, picture, state, overCurrentFile, then] {
            const imaging::SaveResult result =
                imaging::savePicture(path, picture.image(), picture.depthCode());
            QMetaObject::invokeMethod(
                this,
                [this, result, state, overCurrentFile, then] {
                    pictureSaved(result, state, overCurrentFile, then);
                },
                Qt::QueuedConnection);
        });
    });
}

void fmMain::pictureSaved(const imaging::SaveResult& result, quint64 state, bool overCurrentFile,
                          const std::function<void()>& then) {
    m_busy.end();
    if (!result.ok) {
        m_messages.notice(result.error);
        return;
    }
    // Only the picture that was saved may take the form it has in the file; later edits stay.
    if (m_picture.state() == state) {
        if (result.depthCode != m_picture.depthCode()) {
            // The format took fewer colours: the picture shown becomes the one in the file, as
            // a step of the history, so the conversion can be taken back.
            m_picture.edit(QStringLiteral("保存形式への変換"), [&result](imaging::ImageModel& p) {
                p.setImage(result.picture, result.depthCode);
                return true;
            });
        }
        if (overCurrentFile)
            m_picture.markStored(m_picture.state());
        if (!m_textShown)
            showHistoryStep();
    } else if (overCurrentFile && result.depthCode == m_picture.depthCode()) {
        m_picture.markStored(state); // undo may come back to it
    }
    if (then)
        then();
}

void fmMain::PrintImage(int) {
    m_picture.whenIdle([this] { printPicture(); });
}

void fmMain::printPicture() {
    if (m_picture.handle() == 0)
        return;
    const QString settingsFile = m_userDataFolder + QStringLiteral("IkPrn.Ik");
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<PrinterSettings> saved = PrinterSettings::load(settingsFile);
    // Without usable settings (none yet, or the printer is gone) the user chooses.
    if (!(saved && saved->applyTo(printer)) && !m_messages.choosePrinter(printer))
        return;
    const BusyPointer::Guard busy(m_busy);
    const imaging::ImageModel& picture = m_picture.model();
    if (!imaging::printPicture(printer, picture.image(), picture.resolutionX,
                               picture.resolutionY)) {
        m_messages.notice(QStringLiteral("印刷できませんでした: ") +
                          (printer.outputFileName().isEmpty() ? printer.printerName()
                                                              : printer.outputFileName()));
        return;
    }
    PrinterSettings::of(printer).save(settingsFile);
}
