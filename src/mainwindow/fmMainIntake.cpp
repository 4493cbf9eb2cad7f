// The main window's side of the intakes: offers go to the storing thread, outcomes come
// back and are shown.
#include "commands/spPic.h"
#include "core/Messages.h"
#include "mainwindow/fmMain.h"

#include <QPlainTextEdit>

void fmMain::captureOffered(const platform::ClipboardSnapshot& offer) {
    CaptureSettings settings;
    // A desktop that gives no pointer image leaves the picture as it was taken.
    settings.drawPointer = m_options.drawPointer && m_desktop.capabilities().pointerImage;
    settings.reductionCode = depthCodeForReduction(m_options.colourReduction);
    settings.prefix = m_prefix;
    settings.screen = m_desktop.primaryScreenSize();
    m_intake->takeCapture(offer, settings);
}

void fmMain::copyOffered(const platform::ClipboardSnapshot& offer) {
    m_intake->takeCopy(offer, m_prefix);
}

void fmMain::finishIntakes() {
    m_intake->queue().waitForIdle();
}

void fmMain::finishCapture() {
    m_watcher->finish();
    finishIntakes();
}

void fmMain::intakeDone(const IntakeOutcome& out) {
    using Kind = IntakeOutcome::Kind;
    using Source = IntakeOutcome::Source;
    if (out.source == Source::WorkFolderSave) {
        m_busy.end();
        const quint64 saved = m_workFolderSaves.empty() ? 0 : m_workFolderSaves.front();
        if (!m_workFolderSaves.empty())
            m_workFolderSaves.pop_front();
        if (out.kind == Kind::Stored) {
            m_currentFile = out.path;
            m_picture.markStored(saved);
            SetViewState(m_picture.matchesStored() ? ViewState::Stored : ViewState::Changed);
            RefreshFileList(); // re-reads the list and selects the file
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
    if (hasUnsavedEdits()) {
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
        if (stored) {
            m_Rtxt->setPlainText(out.text);
            m_currentFile = out.path;
            SetViewState(ViewState::Text);
        } else {
            m_messages.notice(QStringLiteral("ｺﾋﾟｰされたﾃｷｽﾄを保存できませんでした\r") + out.error);
        }
        return;
    }
    const bool hasPicture = out.picture.handle() != 0;
    // A capture is shown even when it could not be stored; a copy only once it is.
    if (hasPicture && (stored || capture)) {
        m_picture.replace(out.picture);
        displayPicture();
        m_menus->showDepth(m_picture.depthCode());
        if (stored)
            m_currentFile = out.path;
    }
    if (out.kind == Kind::NotStored)
        m_messages.notice((capture ? QStringLiteral("ｷｬﾌﾟﾁｬｰを保存できませんでした\r")
                                   : QStringLiteral("ｺﾋﾟｰされた画像を保存できませんでした\r")) +
                          out.error);
    if (capture || (stored && hasPicture))
        SetViewState(ViewState::Stored);
}
