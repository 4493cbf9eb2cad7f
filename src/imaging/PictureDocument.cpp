#include "imaging/PictureDocument.h"

#include <QUndoCommand>

#include <new>

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
             quint64 beforeState, quint64 afterState)
        : QUndoCommand(text), m_doc(doc), m_before(std::move(before)), m_after(std::move(after)),
          m_beforeState(beforeState), m_afterState(afterState) {}
    void undo() override { m_doc.restore(m_before, m_beforeState); }
    void redo() override {
        if (m_skipRedo) { // pushed when the edit was already applied
            m_skipRedo = false;
            return;
        }
        m_doc.restore(m_after, m_afterState);
    }
    const ImageModel& before() const { return m_before; }
    const ImageModel& after() const { return m_after; }
    quint64 beforeState() const { return m_beforeState; }
    quint64 afterState() const { return m_afterState; }

private:
    PictureDocument& m_doc;
    ImageModel m_before;
    ImageModel m_after;
    quint64 m_beforeState;
    quint64 m_afterState;
    bool m_skipRedo = true;
};

PictureDocument::PictureDocument(QObject* parent) : QObject(parent) {
    m_worker.setMaxThreadCount(1);
}

// The worker holds a copy of the picture and posts to this object: it must end first.
PictureDocument::~PictureDocument() {
    m_worker.waitForDone();
}

qint64 PictureDocument::bytesOfPicture() const {
    return bytesOf(m_model);
}

void PictureDocument::restore(const ImageModel& state, quint64 id) {
    m_model = state;
    m_state = id;
    if (m_keptResolution) {
        m_model.resolutionX = m_keptResolution->x();
        m_model.resolutionY = m_keptResolution->y();
        m_model.applyResolution();
    }
    emit changed();
}

std::vector<QImage> PictureDocument::newPicture() {
    ++m_generation;
    m_queue.clear();
    std::vector<QImage> old{m_model.image()};
    for (int i = 0; i < m_history.count(); ++i) {
        const auto* step = static_cast<const EditStep*>(m_history.command(i));
        old.push_back(step->before().image());
        old.push_back(step->after().image());
    }
    m_history.clear();
    m_keptResolution.reset();
    m_state = m_storedState = ++m_lastState;
    return old;
}

// The history of an 8K picture is hundreds of megabytes; handing them back to the system
// would keep the window's thread a tenth of a second. The worker lets them go after what it
// is doing, once this thread holds them no more.
void PictureDocument::letGo(std::vector<QImage> old) {
    m_worker.start([old = std::move(old)]() mutable { old.clear(); });
}

void PictureDocument::replace(const ImageModel& picture) {
    std::vector<QImage> old = newPicture();
    m_model.adopt(picture);
    letGo(std::move(old));
    emit changed();
}

void PictureDocument::clear() {
    std::vector<QImage> old = newPicture();
    m_model.clear();
    letGo(std::move(old));
    emit changed();
}

namespace {
EditOutcome runChange(const PictureDocument::Change& change, ImageModel& picture) {
    try {
        return change(picture) ? EditOutcome::Done : EditOutcome::NothingToDo;
    } catch (const std::bad_alloc&) {
        return EditOutcome::Failed;
    }
}
} // namespace

EditOutcome PictureDocument::edit(const QString& text, const Change& change) {
    if (m_model.handle() == 0)
        return EditOutcome::NothingToDo;
    ImageModel after = m_model;
    const EditOutcome outcome = runChange(change, after);
    if (outcome == EditOutcome::Done)
        apply(text, std::move(after));
    return outcome;
}

void PictureDocument::apply(const QString& text, ImageModel after) {
    if (m_keptResolution) { // set while the edit ran
        after.resolutionX = m_keptResolution->x();
        after.resolutionY = m_keptResolution->y();
        after.applyResolution();
    }
    ImageModel before = m_model;
    const quint64 beforeState = m_state;
    m_model = after;
    m_state = ++m_lastState;
    m_history.push(
        new EditStep(*this, text, std::move(before), std::move(after), beforeState, m_state));
    trimHistory();
    emit changed();
}

void PictureDocument::runInBackground(std::function<std::function<void()>()> work) {
    if (m_editing) { // asked for out of turn: keep the order anyway
        whenIdle([this, work = std::move(work)]() mutable { runInBackground(std::move(work)); });
        return;
    }
    m_editing = true;
    m_worker.start([this, work = std::move(work)] {
        std::function<void()> finish = work();
        QMetaObject::invokeMethod(
            this,
            [this, finish = std::move(finish)] {
                m_editing = false;
                if (finish)
                    finish();
                runQueued();
            },
            Qt::QueuedConnection);
    });
}

void PictureDocument::editInBackground(const QString& text, Change change,
                                       std::function<void(EditOutcome)> done) {
    if (m_editing) { // the picture to edit is the one the running work leaves
        whenIdle([this, text, change = std::move(change), done = std::move(done)]() mutable {
            editInBackground(text, std::move(change), std::move(done));
        });
        return;
    }
    if (m_model.handle() == 0) {
        done(EditOutcome::NothingToDo);
        return;
    }
    runInBackground([this, text, change = std::move(change), done = std::move(done),
                     after = m_model, generation = m_generation]() mutable {
        const EditOutcome outcome = runChange(change, after);
        return std::function<void()>(
            [this, generation, text, outcome, after = std::move(after), done = std::move(done)] {
                finishBackground(generation, text, outcome, after, done);
            });
    });
}

void PictureDocument::finishBackground(quint64 generation, const QString& text, EditOutcome outcome,
                                       const ImageModel& after,
                                       const std::function<void(EditOutcome)>& done) {
    if (generation != m_generation)
        outcome = EditOutcome::Superseded;
    else if (outcome == EditOutcome::Done)
        apply(text, after);
    done(outcome);
}

void PictureDocument::whenIdle(std::function<void()> task) {
    if (!m_editing && m_queue.empty()) {
        task();
        return;
    }
    m_queue.push_back(std::move(task));
    runQueued();
}

void PictureDocument::runQueued() {
    while (!m_editing && !m_queue.empty()) {
        auto task = std::move(m_queue.front());
        m_queue.pop_front();
        task();
    }
}

void PictureDocument::setRange(const Range& range) {
    if (range == m_model.range)
        return;
    m_model.range = range;
    emit changed();
}

void PictureDocument::setResolution(int x, int y) {
    if (m_model.handle() == 0)
        return;
    m_keptResolution = QPoint(x, y);
    if (m_model.resolutionX == x && m_model.resolutionY == y)
        return;
    m_model.resolutionX = x;
    m_model.resolutionY = y;
    m_model.applyResolution();
    emit changed();
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
    std::vector<const EditStep*> keep;
    qint64 total = 0;
    for (int i = m_history.count() - 1; i >= 0; --i) {
        const auto* step = static_cast<const EditStep*>(m_history.command(i));
        total += bytesOf(step->before());
        if (total > m_limit)
            break;
        keep.push_back(step);
    }
    std::vector<EditStep*> fresh;
    for (auto it = keep.rbegin(); it != keep.rend(); ++it)
        fresh.push_back(new EditStep(*this, (*it)->text(), (*it)->before(), (*it)->after(),
                                     (*it)->beforeState(), (*it)->afterState()));
    m_history.clear();
    for (EditStep* step : fresh)
        m_history.push(step);
}

} // namespace imaging
