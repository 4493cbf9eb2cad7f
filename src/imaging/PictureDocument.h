#pragma once
// The picture the program holds, as one document: the image with its depth code,
// resolution, range and zoom, a change signal that the view follows, and the edit history.
// A new picture (capture, load, paste, erase) starts a new history; every edit is one
// undoable step. The history keeps at most a given number of bytes of pictures: the oldest
// steps go first, so a session of large edits cannot exhaust memory.
#include "imaging/ImageModel.h"

#include <QObject>
#include <QUndoStack>

#include <functional>

namespace imaging {

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

    // One undoable edit: change works on a copy of the model; when it fails the picture
    // stays as it was and nothing enters the history.
    bool edit(const QString& text, const std::function<bool(ImageModel&)>& change);

    // View state outside the history.
    void setRange(const Range& range);
    void clearRange() { setRange({}); }
    void setZoom(double x, double y);
    void setMousePointer(int pointer);
    // Dots per inch of the picture, outside the history.
    void setResolution(int x, int y);

    QUndoStack& history() { return m_history; }
    void setHistoryLimit(qint64 bytes);
    // Bytes of the pictures the history keeps for going back.
    qint64 historyBytes() const;

signals:
    void changed();

private:
    class EditStep;
    friend class EditStep;
    void restore(const ImageModel& state);
    void trimHistory();

    ImageModel m_model;
    QUndoStack m_history;
    qint64 m_limit = kDefaultHistoryBytes;
};

} // namespace imaging
