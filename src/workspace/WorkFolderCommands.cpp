#include "workspace/WorkFolderCommands.h"

#include "capture/CaptureSession.h"
#include "commands/Operations.h"
#include "core/Messages.h"
#include "platform/Platform.h"
#include "settings/Shell.h"
#include "workspace/PictureFileCommands.h"
#include "workspace/PictureSession.h"
#include "workspace/WindowHost.h"

#include <QSignalBlocker>

WorkFolderCommands::WorkFolderCommands(PictureSession& session, PictureFileCommands& files,
                                       MessageSink& messages, WindowHost& host,
                                       OperationRegistry& operations, platform::Desktop& desktop,
                                       const QString& userDataFolder)
    : m_session(session), m_files(files), m_messages(messages), m_host(host), m_desktop(desktop),
      m_folder(userDataFolder + QStringLiteral("Temp")) {
    m_intake = std::make_unique<CaptureIntake>(
        m_folder, [this](const IntakeOutcome& outcome) { intakeDone(outcome); });
    m_watcher = std::make_unique<ClipboardWatcher>(m_desktop, *this);
    // The scan is queued in turn with the stores still queued.
    m_captureWait =
        std::make_unique<CaptureSession>(*m_watcher, [this] { m_intake->scan(m_prefix); });
    using O = Operation;
    operations.implement(O::SaveToWorkFolder, [this] { saveToWorkFolder(); });
    operations.implement(O::EmptyWorkFolder, [this] { emptyWorkFolder(); });
    operations.implement(O::ExploreWorkFolder, [this] { exploreWorkFolder(); });
}

WorkFolderCommands::~WorkFolderCommands() {
    // Nobody is left to follow capture wait.
    const QSignalBlocker quiet(m_captureWait.get());
    m_captureWait->setWaiting(false);
}

void WorkFolderCommands::setCaptureOptions(const CaptureOptions& options) {
    m_options = options;
    emit captureOptionsChanged(m_options);
}

bool WorkFolderCommands::setPrefix(const QString& prefix) {
    const QString why = WorkFolder::prefixProblem(prefix);
    if (!why.isEmpty()) {
        m_messages.ask(why);
        return false;
    }
    m_prefix = prefix;
    return true;
}

void WorkFolderCommands::captureOffered(const platform::ClipboardSnapshot& offer) {
    CaptureSettings settings;
    // A desktop that gives no pointer image leaves the picture as it was taken.
    settings.drawPointer = m_options.drawPointer && m_desktop.capabilities().pointerImage;
    if (m_options.drawPointer && !settings.drawPointer && !m_toldNoPointer) {
        m_toldNoPointer = true;
        m_messages.notice(QStringLiteral("このﾃﾞｽｸﾄｯﾌﾟではｷｬﾌﾟﾁｬｰにﾏｳｽﾎﾟｲﾝﾀを描き込めません"));
    }
    settings.reductionCode = m_options.reductionCode;
    settings.prefix = m_prefix;
    settings.screen = m_desktop.primaryScreenSize();
    m_intake->takeCapture(offer, settings);
}

void WorkFolderCommands::copyOffered(const platform::ClipboardSnapshot& offer) {
    m_intake->takeCopy(offer, m_prefix);
}

void WorkFolderCommands::finishIntakes() {
    m_intake->queue().waitForIdle();
}

void WorkFolderCommands::finishCapture() {
    m_watcher->finish();
    finishIntakes();
}

void WorkFolderCommands::saveToWorkFolder() {
    // What is stored is the picture with every edit asked for before.
    m_session.whenIdle([this] {
        if (!m_session.hasPicture()) {
            m_intake->scan(m_prefix);
            return;
        }
        // Written on the storing thread; busy until the outcome is shown.
        m_session.beginBusy();
        m_workFolderSaves.push_back(m_session.document().state());
        m_intake->storeInWorkFolder(m_session.picture(), m_prefix);
    });
}

void WorkFolderCommands::emptyWorkFolder() {
    // The picture shown goes with the folder: its edits are asked about first.
    m_files.whenEditsSettled([this] {
        if (m_messages.ask(QStringLiteral("作業ﾌｫﾙﾀﾞを空にして良いですが"),
                           MessageSink::Buttons::OkCancel) != MessageSink::Answer::Ok)
            return;
        // Emptied on the storing thread after the captures announced before: a capture being
        // written is finished, not cut short, and goes with the rest. Files that cannot be
        // deleted stay; sub-folders are not touched.
        m_session.beginBusy();
        m_intake->emptyWorkFolder([this] {
            m_session.endBusy();
            m_session.erase();
            m_host.rereadFileList();
        });
    });
}

void WorkFolderCommands::exploreWorkFolder() {
    if (!shell::openFolder(m_folder.path()))
        m_messages.notice(QStringLiteral("作業ﾌｫﾙﾀﾞを開けませんでした\r") + m_folder.path());
}

void WorkFolderCommands::intakeDone(const IntakeOutcome& out) {
    using Kind = IntakeOutcome::Kind;
    using Source = IntakeOutcome::Source;
    if (out.source == Source::WorkFolderSave) {
        m_session.endBusy();
        const quint64 saved = m_workFolderSaves.empty() ? 0 : m_workFolderSaves.front();
        if (!m_workFolderSaves.empty())
            m_workFolderSaves.pop_front();
        if (out.kind == Kind::Stored) {
            m_session.setCurrentFile(out.path);
            m_session.markStored(saved);
            m_host.rereadFileList(); // and marks the file
        } else {
            m_messages.notice(QStringLiteral("作業ﾌｫﾙﾀﾞに保存できませんでした\r") + out.error);
        }
        return;
    }
    if (out.kind == Kind::Repeat) // an announcement read twice, stored the first time
        return;
    if (out.kind == Kind::Unreadable) {
        // Lost by nature when the owner went away first; never lost silently.
        ++m_lostOffers;
        m_messages.notice(
            QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞのﾃﾞｰﾀを取り込めませんでした (これまでに %1 件)\r")
                .arg(m_lostOffers) +
            out.error);
    }
    const bool stored = out.kind == Kind::Stored;
    const bool capture = out.source == Source::Capture;
    if (m_session.hasUnsavedEdits()) {
        // The edited picture stays in view; what came in is stored and listed as always.
        if (stored)
            m_messages.notice(QStringLiteral("編集中の画像はそのまま表示しています。新しい") +
                              (capture ? QStringLiteral("ｷｬﾌﾟﾁｬｰ") : QStringLiteral("ｺﾋﾟｰ")) +
                              QStringLiteral("を保存しました: ") + out.path);
        else if (out.kind == Kind::NotStored)
            m_messages.notice((capture ? QStringLiteral("ｷｬﾌﾟﾁｬｰを保存できませんでした\r")
                                       : QStringLiteral("ｺﾋﾟｰを保存できませんでした\r")) +
                              out.error);
        return;
    }
    if (out.isText) {
        if (stored)
            m_session.showText(out.text, out.path);
        else
            m_messages.notice(QStringLiteral("ｺﾋﾟｰされたﾃｷｽﾄを保存できませんでした\r") + out.error);
        return;
    }
    const bool hasPicture = out.picture.handle() != 0;
    // A capture is shown even when it could not be stored; a copy only once it is.
    if (hasPicture && (stored || capture))
        m_session.showPicture(out.picture, out.path, !stored);
    if (out.kind == Kind::NotStored)
        m_messages.notice((capture ? QStringLiteral("ｷｬﾌﾟﾁｬｰを保存できませんでした\r")
                                   : QStringLiteral("ｺﾋﾟｰされた画像を保存できませんでした\r")) +
                          out.error);
}
