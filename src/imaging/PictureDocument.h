#pragma once
// The picture the program holds, as one document: the image with its depth code,
// resolution and range, a change signal that the view follows, and the edit history.
// A new picture (capture, load, paste, erase) starts a new history; every edit is one
// undoable step. The history keeps at most a given number of bytes of pictures: the oldest
// steps go first, so a session of large edits cannot exhaust memory.
#include "imaging/ImageModel.h"

#include <QObject>
#include <QThreadPool>
#include <QUndoStack>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace imaging {

// Done: the picture changed. NothingToDo: the edit did not apply (no range, say). Failed: the
// edit could not be carried out (memory exhausted). Superseded: a new picture came while the
// edit ran. In every case but Done the picture is as it was.
enum class EditOutcome { Done, NothingToDo, Failed, Superseded };

class PictureDocument : public QObject {
    Q_OBJECT
public:
    // Room for a few steps on an 8K capture (133 MB each), many on smaller ones.
    static constexpr qint64 kDefaultHistoryBytes = qint64(768) << 20;

    explicit PictureDocument(QObject* parent = nullptr);
    ~PictureDocument() override;

    const ImageModel& model() const { return m_model; }
    quint64 handle() const { return m_model.handle(); }
    const QImage& image() const { return m_model.image(); }
    int depthCode() const { return m_model.depthCode(); }
    const Range& range() const { return m_model.range; }

    // A new picture with a new history.
    void replace(const ImageModel& picture);
    void clear();

    using Change = std::function<bool(ImageModel&)>;
    // One undoable edit: change works on a copy of the model; when it fails the picture
    // stays as it was and nothing enters the history.
    EditOutcome edit(const QString& text, const Change& change);
    // The same edit, its work done on the document's worker thread so the window keeps
    // painting; the result is applied, and done called, on this object's thread. Call it
    // through whenIdle so that edits apply in the order they were asked for.
    void editInBackground(const QString& text, Change change,
                          std::function<void(EditOutcome)> done);
    // Runs work on the document's worker thread, in turn with the edits (the worker is the
    // one thread that edits, opens and saves pictures); the function work returns is then
    // run on this object's thread. Call it through whenIdle, as editInBackground.
    void runInBackground(std::function<std::function<void()>()> work);
    // Runs task at once when no background work runs, otherwise after it and the tasks
    // queued before. A new picture drops the tasks still queued for the old one.
    void whenIdle(std::function<void()> task);
    bool editing() const { return m_editing; }
    // Pictures of at least this many bytes are edited in the background (a 4K capture
    // is 33 MB and takes tens of milliseconds per pass; an 8K one four times that).
    bool editsInBackground() const { return bytesOfPicture() >= m_backgroundBytes; }
    void setBackgroundThreshold(qint64 bytes) { m_backgroundBytes = bytes; }

    // View state outside the history.
    void setRange(const Range& range);
    void clearRange() { setRange({}); }
    // Dots per inch of the picture, outside the history: undo and redo keep it.
    void setResolution(int x, int y);

    // Which state of the history the stored file holds. A new picture is the one stored;
    // markStored names another state (state() at the moment its picture was taken).
    quint64 state() const { return m_state; }
    void markStored(quint64 state) { m_storedState = state; }
    bool matchesStored() const { return m_model.handle() == 0 || m_state == m_storedState; }

    QUndoStack& history() { return m_history; }
    void setHistoryLimit(qint64 bytes);
    // Bytes of the pictures the history keeps for going back.
    qint64 historyBytes() const;

signals:
    void changed();

private:
    class EditStep;
    friend class EditStep;
    void restore(const ImageModel& state, quint64 id);
    std::vector<QImage> newPicture(); // the pictures it lets go
    void letGo(std::vector<QImage> old);
    void trimHistory();
    void apply(const QString& text, ImageModel after);
    void finishBackground(quint64 generation, const QString& text, EditOutcome outcome,
                          const ImageModel& after, const std::function<void(EditOutcome)>& done);
    void runQueued();
    qint64 bytesOfPicture() const;

    ImageModel m_model;
    QUndoStack m_history;
    qint64 m_limit = kDefaultHistoryBytes;
    qint64 m_backgroundBytes = qint64(24) << 20;
    bool m_editing = false;
    quint64 m_generation = 0; // counts new pictures, so a late result can tell it is stale
    // Every state the picture passes through has its own number; steps keep theirs, so the
    // stored one is known however the history is walked or trimmed.
    quint64 m_lastState = 0;
    quint64 m_state = 0;
    quint64 m_storedState = 0;
    std::optional<QPoint> m_keptResolution;
    std::deque<std::function<void()>> m_queue;
    QThreadPool m_worker; // one thread: edits run in order
};

} // namespace imaging
