#include "workspace/PictureFileCommands.h"

#include "commands/Operations.h"
#include "core/Messages.h"
#include "core/TextCodec.h"
#include "imaging/PrintLayout.h"
#include "settings/PrinterSettings.h"
#include "workspace/PictureSession.h"

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

imaging::ImageModel modelOf(const imaging::LoadedPicture& loaded) {
    imaging::ImageModel picture;
    picture.setImage(loaded.picture, loaded.depthCode);
    picture.resolutionX = loaded.dpiX;
    picture.resolutionY = loaded.dpiY;
    return picture;
}

} // namespace

PictureFileCommands::PictureFileCommands(PictureSession& session, MessageSink& messages,
                                         OperationRegistry& operations,
                                         const QString& userDataFolder)
    : m_session(session), m_messages(messages), m_userDataFolder(userDataFolder) {
    using O = Operation;
    operations.implement(O::Open, [this] { open(); });
    operations.implement(O::Overwrite, [this] { save(false); });
    operations.implement(O::SaveAs, [this] { save(true); });
    operations.implement(O::PrintSetup, [this] { print(true); });
    operations.implement(O::Print, [this] { print(false); });
}

// The finish of reading a picture file on the worker: shown, or told. A picture that does
// not load leaves the one shown and the current file alone.
std::function<void()> PictureFileCommands::pictureLoaded(const QString& path) {
    const imaging::LoadedPicture loaded = imaging::loadPicture(path);
    return [this, path, loaded] {
        m_session.endBusy();
        if (loaded.ok)
            m_session.showPicture(modelOf(loaded), path);
        else
            m_messages.notice(QStringLiteral("画像ﾌｧｲﾙを開けませんでした: ") + path + u'\r' +
                              loaded.error);
    };
}

void PictureFileCommands::showFile(const QString& path) {
    m_session.beginBusy();
    m_session.document().runInBackground([this, path]() -> std::function<void()> {
        if (path.right(4).toLower() != u".txt")
            return pictureLoaded(path);
        const textcodec::ShownText shown = textcodec::readShownText(path);
        return [this, path, shown] {
            m_session.endBusy();
            if (!shown.error.isEmpty())
                m_messages.notice(shown.error);
            m_session.showText(shown.text, path);
        };
    });
}

void PictureFileCommands::open() {
    whenEditsSettled([this] {
        m_session.document().clearRange();
        const QString path = m_messages.openFileName(kOpenTitle, openFilter());
        if (path.isEmpty())
            return; // cancelled
        m_session.beginBusy();
        m_session.document().runInBackground([this, path] { return pictureLoaded(path); });
    });
}

void PictureFileCommands::save(bool saveAs, std::function<void()> then,
                               std::function<void()> notSaved) {
    // What is saved is the picture with every edit asked for before.
    m_session.whenIdle([this, saveAs, then = std::move(then), notSaved = std::move(notSaved)] {
        auto cancelled = [&notSaved] {
            if (notSaved)
                notSaved();
        };
        if (!m_session.hasPicture())
            return cancelled();
        // Saving over writes the current file itself, in the format its extension names.
        const QString current = m_session.currentFile();
        imaging::SaveTarget target;
        if (!saveAs && !current.isEmpty())
            target = imaging::existingSaveTarget(current);
        const bool overCurrentFile = target.ok();
        if (!overCurrentFile) {
            // No file yet, or one in a format not written here: the user names one.
            QString filter;
            const QString name = m_messages.saveFileName(imaging::saveFilters(), &filter);
            if (name.isEmpty())
                return cancelled();
            target = imaging::resolveSaveTarget(name, imaging::filterExtension(filter));
            // Asked here, not by the dialog: only now is the name complete.
            const QFileInfo existing(target.path);
            if ((existing.exists() || existing.isSymLink()) &&
                m_messages.ask(existing.fileName() +
                                   QStringLiteral(" は既にあります。置き換えますか?"),
                               MessageSink::Buttons::OkCancel) != MessageSink::Answer::Ok)
                return cancelled();
        }
        // Encoding and writing an 8K picture takes a while: on the worker, the window busy.
        m_session.beginBusy();
        const imaging::ImageModel picture = m_session.picture();
        const quint64 state = m_session.document().state();
        m_session.document().runInBackground([this, target, picture, state, overCurrentFile, then,
                                              notSaved]() -> std::function<void()> {
            const imaging::SaveResult result =
                imaging::savePicture(target, picture.image(), picture.depthCode());
            return [this, result, state, overCurrentFile, then, notSaved] {
                saved(result, state, overCurrentFile);
                const std::function<void()>& next = result.ok ? then : notSaved;
                if (next)
                    next();
            };
        });
    });
}

void PictureFileCommands::saved(const imaging::SaveResult& result, quint64 state,
                                bool overCurrentFile) {
    m_session.endBusy();
    if (!result.ok) {
        m_messages.notice(result.error);
        return;
    }
    imaging::PictureDocument& doc = m_session.document();
    // Only the picture that was saved may take the form it has in the file; later edits stay.
    if (doc.state() == state) {
        if (result.depthCode != doc.depthCode()) {
            // The format took fewer colours: the picture shown becomes the one in the file, as
            // a step of the history, so the conversion can be taken back.
            doc.edit(QStringLiteral("保存形式への変換"), [&result](imaging::ImageModel& p) {
                p.setImage(result.picture, result.depthCode);
                return true;
            });
        }
        if (overCurrentFile)
            doc.markStored(doc.state());
        m_session.historyMoved();
    } else if (overCurrentFile && result.depthCode == doc.depthCode()) {
        m_session.markStored(state); // undo may come back to it
    }
}

void PictureFileCommands::print(bool setup) {
    m_session.whenIdle([this, setup] { printNow(setup); });
}

void PictureFileCommands::printNow(bool setup) {
    if (!m_session.hasPicture())
        return;
    const QString settingsFile = m_userDataFolder + QStringLiteral("IkPrn.Ik");
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<PrinterSettings> kept = PrinterSettings::load(settingsFile);
    // The kept settings start the dialog, or are used as they are by "印刷" when they last
    // worked; "印刷設定", no settings, a printer gone or a failed last print ask the user.
    const bool usable = kept && kept->applyTo(printer) && !kept->failed;
    if ((setup || !usable) && !m_messages.choosePrinter(printer))
        return;
    const PictureSession::Busy busy(m_session);
    const imaging::ImageModel& picture = m_session.picture();
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

void PictureFileCommands::whenEditsSettled(std::function<void()> proceed,
                                           std::function<void()> kept) {
    m_session.whenIdle([this, proceed = std::move(proceed), kept = std::move(kept)] {
        if (!m_session.hasUnsavedEdits()) {
            proceed();
            return;
        }
        const QString file = m_session.currentFile();
        const QString name = file.mid(file.lastIndexOf(u'/') + 1);
        switch (m_messages.askToSave((name.isEmpty() ? QStringLiteral("画像") : name) +
                                     QStringLiteral(" は変更されています。変更を保存しますか?"))) {
        case MessageSink::Answer::Save:
            save(false, proceed, kept);
            return;
        case MessageSink::Answer::Discard:
            m_session.erase(); // the edits go, and with them the picture they were made on
            proceed();
            return;
        default:
            if (kept)
                kept();
            return;
        }
    });
}
