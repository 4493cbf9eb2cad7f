// The main window's picture edits: each is one step of the picture's edit history.
#include "commands/spPic.h"
#include "core/Messages.h"
#include "imaging/Edits.h"
#include "mainwindow/fmMain.h"
#include "sizes/RangeList.h"
#include "sizes/SizeDialog.h"

namespace {

using O = Operation;

// The edit an operation makes and its caption in the history.
struct PictureEdit {
    QString text;
    std::function<bool(imaging::ImageModel&)> change;
};

PictureEdit editOf(O op) {
    using namespace imaging;
    // The menu caption names the step in the history, and tells turns and folds apart.
    const QString c = OperationRegistry::caption(op);
    switch (op) {
    case O::Trim:
        return {c, trimToRange};
    case O::EmphasizeRelative:
    case O::EmphasizeMarker:
        return {c, [c](ImageModel& p) { return emphasizeRange(p, emphasisOfKind(c)); }};
    case O::ShrinkToWidth:
    case O::ShrinkToHeight:
    case O::ShrinkUnevenly: {
        const ReduceMode mode = op == O::ShrinkToWidth    ? ReduceMode::KeepRatioByWidth
                                : op == O::ShrinkToHeight ? ReduceMode::KeepRatioByHeight
                                                          : ReduceMode::RangeSize;
        return {c, [mode](ImageModel& p) { return reduceToRange(p, mode); }};
    }
    case O::FoldVertical:
    case O::FoldHorizontal:
        return {c, [c](ImageModel& p) { return foldOutBand(p, foldDirectionOfCaption(c)); }};
    case O::MirrorHorizontal:
    case O::MirrorVertical:
    case O::RotateRight90:
    case O::RotateRight180:
    case O::RotateLeft90:
    case O::RotateLeft180:
        return {c, [c](ImageModel& p) { return rotateByCaption(p, c); }};
    default:
        return {};
    }
}

} // namespace

void fmMain::editPicture(Operation op) {
    PictureEdit e = editOf(op);
    if (e.change)
        runEdit(std::move(e.text), std::move(e.change));
}

void fmMain::changeDepth(const QString& caption) {
    if (imaging::depthCodeOfCaption(caption) == 0)
        return; // "減色しない" and the like
    runEdit(caption,
            [caption](imaging::ImageModel& p) { return imaging::setDepthByCaption(p, caption); });
}

void fmMain::runEdit(QString text, imaging::PictureDocument::Change change) {
    // Behind a running edit, so edits apply in the order they were asked for.
    m_picture.whenIdle([this, text = std::move(text), change = std::move(change)]() mutable {
        if (m_picture.handle() == 0)
            return;
        // A shape drawn with the toolbar serves as the range of this one edit only.
        const imaging::Range shape = takeToolbarShape();
        if (!shape.isEmpty())
            change = [change = std::move(change), shape](imaging::ImageModel& p) {
                p.range = shape;
                const bool done = change(p);
                p.clearRange();
                return done;
            };
        m_busy.begin();
        auto done = [this, text](imaging::EditOutcome outcome) {
            m_busy.end();
            finishEdit(text, outcome);
        };
        if (m_picture.editsInBackground())
            m_picture.editInBackground(text, std::move(change), std::move(done));
        else
            done(m_picture.edit(text, change));
    });
}

void fmMain::finishEdit(const QString& text, imaging::EditOutcome outcome) {
    using imaging::EditOutcome;
    if (outcome == EditOutcome::Failed) {
        // The picture is as it was; the user should know why nothing happened.
        m_messages.notice(QStringLiteral("ﾒﾓﾘが足りないため、編集できませんでした: ") + text);
        return;
    }
    if (outcome != EditOutcome::Done)
        return; // nothing to do (no range), or a new picture came meanwhile
    showHistoryStep();
}

void fmMain::showHistoryStep() {
    displayPicture();
    m_menus->showDepth(m_picture.depthCode());
    // Any edit, and any step back or forth, away from the picture in the file changes it.
    SetViewState(m_picture.matchesStored() ? ViewState::Stored : ViewState::Changed);
}

void fmMain::registerRange() {
    m_picture.whenIdle([this] {
        imaging::Range r = m_picture.range();
        if (r.isEmpty())
            r = takeToolbarShape();
        if (m_picture.handle() == 0 || r.isEmpty())
            return; // without a range nothing happens
        if (const auto edited =
                sizes::SizeDialog::edit(this, m_rangeList, r.x2 - r.x1, r.y2 - r.y1, m_messages))
            setRangeList(*edited);
    });
}

void fmMain::selectRegisteredRange(int index) {
    m_picture.whenIdle([this, index] {
        if (m_picture.handle() == 0)
            return;
        const QSizeF size = sizes::RangeSize(m_rangeList, index);
        if (size.isEmpty())
            return; // no such entry, or a size of 0
        // Centimetres are measured at 96 dpi, which the picture keeps from then on.
        m_picture.setResolution(96, 96);
        const QRect r = sizes::RegisteredRange(size, m_picture.image().size());
        if (!r.isNull())
            m_picture.setRange({10, 10, r.right(), r.bottom()});
    });
}

void fmMain::undoEdit(bool redo) {
    m_picture.whenIdle([this, redo] {
        // The history is the picture's: a text shown in its place is not touched.
        if (m_textShown)
            return;
        QUndoStack& history = m_picture.history();
        if (redo ? !history.canRedo() : !history.canUndo())
            return;
        const BusyPointer::Guard busy(m_busy);
        redo ? history.redo() : history.undo();
        showHistoryStep();
    });
}
