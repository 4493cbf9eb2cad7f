// The main window's text, clipboard and work-folder commands.
#include "core/Messages.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/fmMain.h"
#include "settings/Shell.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextDocumentFragment>

void fmMain::PasteText() {
    const QString t = QGuiApplication::clipboard()->text();
    if (t.isEmpty())
        return;
    const BusyPointer::Guard busy(m_busy);
    m_Rtxt->insertPlainText(t); // replaces the selection, or goes in at the caret
}

void fmMain::CopyText(bool minimize) {
    {
        const BusyPointer::Guard busy(m_busy);
        const QString s = m_Rtxt->textCursor().selection().toPlainText();
        if (!s.isEmpty())
            QGuiApplication::clipboard()->setText(s);
    }
    // The copy is placed before capture wait begins, so it is not taken back in.
    if (minimize)
        showMinimized();
}

void fmMain::SaveToWorkFolder() {
    // What is stored is the picture with every edit asked for before.
    m_picture.whenIdle([this] {
        if (m_picture.handle() == 0) {
            m_intake->scan(m_prefix);
            return;
        }
        // Written off this thread; busy until the outcome is shown.
        m_busy.begin();
        m_workFolderSaves.push_back(m_picture.state());
        m_intake->storeInWorkFolder(m_picture.model(), m_prefix);
    });
}

void fmMain::EmptyWorkFolder() {
    // The picture shown goes with the folder: its edits are asked about first.
    whenEditsSettled([this] {
        if (m_messages.ask(QStringLiteral("作業ﾌｫﾙﾀﾞを空にして良いですが"),
                           MessageSink::Buttons::OkCancel) != MessageSink::Answer::Ok)
            return;
        // Emptied on the storing thread after the captures announced before: a capture being
        // written is finished, not cut short, and goes with the rest. Files that cannot be
        // deleted stay; sub-folders are not touched.
        m_busy.begin();
        m_intake->emptyWorkFolder([this] {
            m_busy.end();
            m_File1->reread();
            erasePicture();
        });
    });
}

void fmMain::ExploreWorkFolder() {
    if (!shell::W_ExpFd(m_workFolder.path(), false))
        m_messages.notice(QStringLiteral("作業ﾌｫﾙﾀﾞを開けませんでした\r") + m_workFolder.path());
}

void fmMain::EraseImage() {
    whenEditsSettled([this] { erasePicture(); });
}

void fmMain::erasePicture() {
    m_view->display(imaging::ImageView::Clear);
    // The picture goes too, so a later save cannot store what is no longer shown.
    m_picture.clear();
    m_currentFile.clear();
    ClearRange();
    SetViewState(ViewState::Empty);
}

void fmMain::ClearRange() {
    m_picture.clearRange();
}
