#include "imaging/PictureDocument.h"

#include <QUndoCommand>

namespace imaging {

namespace {
qint64 bytesOf(const ImageModel& m) {
    return m.image().isNull() ? 0 : qint64(m.image().sizeInBytes());
}
} // namespace

// Holds the model before and after the edit; QImage's sharing keeps the two cheap until
// the picture really changes.
class PictureDocument::EditStep : public QUndoCommand {
public:
    EditStep(PictureDocument& doc, const QString& text, ImageModel before, ImageModel after,
             bool alreadyDone)
        : QUndoCommand(text), m_doc(doc), m_before(std::move(before)), m_after(std::move(after)),
          m_skipRedo(alreadyDone) {}
    void undo() override { m_doc.restore(m_before); }
    void redo() override {
        if (m_skipRedo) {
            m_skipRedo = false;
            return;
        }
        m_doc.restore(m_after);
    }
    const ImageModel& before() const { return m_before; }
    const ImageModel& after() const { return m_after; }

private:
    PictureDocument& m_doc;
    ImageModel m_before;
    ImageModel m_after;
    bool m_skipRedo;
};

PictureDocument::PictureDocument(QObject* parent) : QObject(parent) {}

PictureDocument::~PictureDocument() = default;

void PictureDocument::restore(const ImageModel& state) {
    m_model = state;
    emit changed();
}

void PictureDocument::replace(const ImageModel& picture) {
    m_history.clear();
    const double zx = m_model.zoomX, zy = m_model.zoomY;
    const int pointer = m_model.mousePointer;
    m_model.adopt(picture);
    // Zoom and the busy pointer belong to the view, not to the picture.
    m_model.zoomX = zx;
    m_model.zoomY = zy;
    m_model.mousePointer = pointer;
    emit changed();
}

void PictureDocument::clear() {
    m_history.clear();
    m_model.clear();
    emit changed();
}

bool PictureDocument::edit(const QString& text, const std::function<bool(ImageModel&)>& change) {
    if (m_model.handle() == 0)
        return false;
    ImageModel after = m_model;
    bool ok = false;
    try {
        ok = change(after);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok)
        return false;
    ImageModel before = m_model;
    m_model = after;
    m_history.push(new EditStep(*this, text, std::move(before), std::move(after), true));
    trimHistory();
    emit changed();
    return true;
}

void PictureDocument::setRange(const Range& range) {
    if (range == m_model.range)
        return;
    m_model.range = range;
    emit changed();
}

void PictureDocument::setZoom(double x, double y) {
    m_model.zoomX = x;
    m_model.zoomY = y;
    emit changed();
}

void PictureDocument::setResolution(int x, int y) {
    if (m_model.handle() == 0 || (m_model.resolutionX == x && m_model.resolutionY == y))
        return;
    m_model.resolutionX = x;
    m_model.resolutionY = y;
    m_model.applyResolution();
    emit changed();
}

void PictureDocument::setMousePointer(int pointer) {
    m_model.mousePointer = pointer;
}

void PictureDocument::setHistoryLimit(qint64 bytes) {
    m_limit = bytes;
    trimHistory();
}

qint64 PictureDocument::historyBytes() const {
    // Each step's picture after is the next step's before (or the current picture): only
    // the befores are kept for the history's sake.
    qint64 total = 0;
    for (int i = 0; i < m_history.count(); ++i)
        total += bytesOf(static_cast<const EditStep*>(m_history.command(i))->before());
    return total;
}

void PictureDocument::trimHistory() {
    // Only right after an edit, when every step is done.
    if (m_history.index() != m_history.count() || historyBytes() <= m_limit)
        return;
    // A stack drops no single step, so the steps worth keeping are laid into a fresh one.
    std::vector<std::pair<QString, std::pair<ImageModel, ImageModel>>> keep;
    qint64 total = 0;
    for (int i = m_history.count() - 1; i >= 0; --i) {
        const auto* step = static_cast<const EditStep*>(m_history.command(i));
        total += bytesOf(step->before());
        if (total > m_limit)
            break;
        keep.push_back({step->text(), {step->before(), step->after()}});
    }
    m_history.clear();
    for (auto it = keep.rbegin(); it != keep.rend(); ++it)
        m_history.push(new EditStep(*this, it->first, it->second.first, it->second.second, true));
}

} // namespace imaging
