#include "workspace/PictureSession.h"

#include <QCursor>
#include <QGuiApplication>

PictureSession::PictureSession(QObject* parent) : QObject(parent) {}

PictureSession::~PictureSession() {
    while (m_busy > 0)
        endBusy();
}

void PictureSession::setViewState(ViewState state) {
    m_viewState = state;
    emit viewStateChanged(state);
}

void PictureSession::showPicture(const imaging::ImageModel& picture, const QString& file,
                                 bool keepFile) {
    m_document.replace(picture);
    if (!keepFile)
        m_currentFile = file;
    emit displayChanged(m_displayMode, m_zoom);
    emit depthChanged(m_document.depthCode());
    setViewState(hasPicture() ? ViewState::Stored : ViewState::Empty);
}

void PictureSession::showText(const QString& text, const QString& file) {
    m_currentFile = file;
    emit textChanged(text);
    setViewState(ViewState::Text);
}

void PictureSession::erase() {
    // The picture goes too, so a later save cannot store what is no longer shown.
    m_document.clear();
    m_currentFile.clear();
    emit depthChanged(0);
    setViewState(ViewState::Empty);
}

void PictureSession::edit(const QString& text, imaging::PictureDocument::Change change) {
    // Behind running work, so edits apply in the order they were asked for.
    whenIdle([this, text, change = std::move(change)]() mutable {
        if (!hasPicture())
            return;
        beginBusy();
        auto done = [this, text](imaging::EditOutcome outcome) {
            endBusy();
            using imaging::EditOutcome;
            if (outcome == EditOutcome::Failed)
                emit editFailed(text); // the picture is as it was
            else if (outcome == EditOutcome::Done)
                historyMoved();
        };
        if (m_document.editsInBackground())
            m_document.editInBackground(text, std::move(change), std::move(done));
        else
            done(m_document.edit(text, change));
    });
}

void PictureSession::undo(bool redo) {
    whenIdle([this, redo] {
        // The history is the picture's: a text shown in its place is not touched.
        if (textShown())
            return;
        QUndoStack& history = m_document.history();
        if (redo ? !history.canRedo() : !history.canUndo())
            return;
        const Busy busy(*this);
        redo ? history.redo() : history.undo();
        historyMoved();
    });
}

void PictureSession::historyMoved() {
    if (textShown())
        return;
    emit depthChanged(m_document.depthCode());
    // Any edit, and any step back or forth, away from the picture in the file changes it.
    setViewState(!hasPicture()                ? ViewState::Empty
                 : m_document.matchesStored() ? ViewState::Stored
                                              : ViewState::Changed);
}

void PictureSession::markStored(quint64 state) {
    m_document.markStored(state);
    historyMoved();
}

void PictureSession::setScaleDisplay(bool fit) {
    m_displayMode = fit ? Fit : Zoom;
    if (!fit)
        m_zoom = 1.0;
    emit displayChanged(m_displayMode, m_zoom);
}

void PictureSession::zoomTo(double factor) {
    m_displayMode = Zoom;
    m_zoom = factor;
    emit displayChanged(m_displayMode, m_zoom);
}

void PictureSession::beginBusy() {
    if (m_busy++ == 0)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void PictureSession::endBusy() {
    if (m_busy == 0)
        return;
    if (--m_busy == 0)
        QGuiApplication::restoreOverrideCursor();
}
