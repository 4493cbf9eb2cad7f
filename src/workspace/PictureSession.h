#pragma once
// What the window shows: the picture document with its edit history, or a text; the file it
// came from; the view state that tells whether the picture matches that file; how it is
// displayed (fitted, or at a zoom factor) and whether the program is busy. Everything that
// changes what is shown goes through here; the view, the depth marks and the menus follow
// its signals.
#include "commands/ViewState.h"
#include "imaging/PictureDocument.h"

#include <QObject>
#include <QString>

#include <functional>

class PictureSession : public QObject {
    Q_OBJECT
public:
    enum DisplayMode { Fit = 1, Zoom = 3 };

    explicit PictureSession(QObject* parent = nullptr);
    ~PictureSession() override;

    imaging::PictureDocument& document() { return m_document; }
    const imaging::ImageModel& picture() const { return m_document.model(); }
    bool hasPicture() const { return m_document.handle() != 0; }
    const QString& currentFile() const { return m_currentFile; }
    ViewState viewState() const { return m_viewState; }
    bool textShown() const { return m_viewState == ViewState::Text; }

    // A new picture with a new history, as stored in file (empty for none): the view state
    // becomes Stored. keepFile leaves the current file as it was (a capture that could not
    // be stored).
    void showPicture(const imaging::ImageModel& picture, const QString& file,
                     bool keepFile = false);
    // A text in place of the picture, which stays behind it untouched.
    void showText(const QString& text, const QString& file);
    // Nothing shown: no picture, no file, no range.
    void erase();
    void setCurrentFile(const QString& file) { m_currentFile = file; }

    // One undoable edit, on the worker thread for a large picture; the edits run in the order
    // they were asked for. A failed edit is told through editFailed.
    void edit(const QString& text, imaging::PictureDocument::Change change);
    // Walks the history while a picture is shown.
    void undo(bool redo);
    // Runs task after every edit and background job asked for before it.
    void whenIdle(std::function<void()> task) { m_document.whenIdle(std::move(task)); }
    // Whether the picture differs from its file (or from what was taken in).
    bool hasUnsavedEdits() const { return !m_document.matchesStored(); }
    // The file now holds the picture of this history state.
    void markStored(quint64 state);
    // The picture after a change of its history: depth mark and view state follow.
    void historyMoved();

    int displayMode() const { return m_displayMode; }
    double zoom() const { return m_zoom; }
    // Fit to the view (the scale display on), or the zoom factor (off: 100%).
    void setScaleDisplay(bool fit);
    void zoomTo(double factor);

    // The busy pointer around longer work; nested uses keep it until the last one ends.
    void beginBusy();
    void endBusy();
    class Busy {
    public:
        explicit Busy(PictureSession& s) : m_s(s) { m_s.beginBusy(); }
        ~Busy() { m_s.endBusy(); }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        PictureSession& m_s;
    };

signals:
    void viewStateChanged(ViewState state);
    // The depth code of the picture shown, 0 for none.
    void depthChanged(int code);
    void textChanged(const QString& text);
    void displayChanged(int mode, double zoom);
    void editFailed(const QString& text);

private:
    void setViewState(ViewState state);

    imaging::PictureDocument m_document;
    QString m_currentFile;
    ViewState m_viewState = ViewState::Empty;
    int m_displayMode = Fit;
    double m_zoom = 1.0;
    int m_busy = 0;
};
