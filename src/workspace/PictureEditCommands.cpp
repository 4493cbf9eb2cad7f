#include "workspace/PictureEditCommands.h"

#include "core/DepthCaptions.h"
#include "core/Messages.h"
#include "imaging/Edits.h"
#include "imaging/PictureFiles.h"
#include "platform/Platform.h"
#include "sizes/RangeList.h"
#include "sizes/SizeDialog.h"
#include "workspace/PictureFileCommands.h"
#include "workspace/PictureSession.h"
#include "workspace/WindowHost.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
using O = Operation;
using imaging::ImageModel;

// Each edit operation and what it does to the picture.
struct EditDefinition {
    Operation op;
    bool (*change)(ImageModel&);
};
constexpr EditDefinition kEdits[] = {
    {O::Trim, [](ImageModel& p) { return imaging::trimToRange(p); }},
    {O::EmphasizeRelative,
     [](ImageModel& p) { return imaging::emphasizeRange(p, imaging::Emphasis::Relative); }},
    {O::EmphasizeMarker,
     [](ImageModel& p) { return imaging::emphasizeRange(p, imaging::Emphasis::Marker); }},
    {O::ShrinkToWidth,
     [](ImageModel& p) {
         return imaging::reduceToRange(p, imaging::ReduceMode::KeepRatioByWidth);
     }},
    {O::ShrinkToHeight,
     [](ImageModel& p) {
         return imaging::reduceToRange(p, imaging::ReduceMode::KeepRatioByHeight);
     }},
    {O::ShrinkUnevenly,
     [](ImageModel& p) { return imaging::reduceToRange(p, imaging::ReduceMode::RangeSize); }},
    {O::FoldVertical,
     [](ImageModel& p) { return imaging::foldOutBand(p, imaging::FoldDirection::Rows); }},
    {O::FoldHorizontal,
     [](ImageModel& p) { return imaging::foldOutBand(p, imaging::FoldDirection::Columns); }},
    {O::MirrorHorizontal,
     [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::MirrorLeftRight); }},
    {O::MirrorVertical,
     [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::FlipTopBottom); }},
    {O::RotateRight90, [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::Right90); }},
    {O::RotateRight180, [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::Right180); }},
    {O::RotateLeft90, [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::Left90); }},
    {O::RotateLeft180, [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::Left180); }},
};
} // namespace

imaging::PictureDocument::Change PictureEditCommands::editOf(Operation op) {
    for (const EditDefinition& e : kEdits)
        if (e.op == op)
            return e.change;
    return {};
}

PictureEditCommands::PictureEditCommands(PictureSession& session, PictureFileCommands& files,
                                         MessageSink& messages, WindowHost& host,
                                         OperationRegistry& operations)
    : m_session(session), m_files(files), m_messages(messages), m_host(host) {
    for (const EditDefinition& e : kEdits)
        operations.implement(e.op, [this, op = e.op] { edit(op); });
    operations.implement(O::Undo, [this] { m_session.undo(false); });
    operations.implement(O::Redo, [this] { m_session.undo(true); });
    operations.implement(O::ClearRange, [this] { m_session.document().clearRange(); });
    operations.implement(O::RegisterRange, [this] { registerRange(); });
    operations.implement(O::EraseImage, [this] { erase(); });
    operations.implement(O::CopyImage, [this] { copyPicture(false); });
    operations.implement(O::PasteImage, [this] { pastePicture(); });
    connect(&m_session, &PictureSession::editFailed, this, [this](const QString& text) {
        // The picture is as it was; the user should know why nothing happened.
        m_messages.notice(QStringLiteral("ﾒﾓﾘが足りないため、編集できませんでした: ") + text);
    });
}

void PictureEditCommands::edit(Operation op) {
    imaging::PictureDocument::Change change = editOf(op);
    if (!change)
        return;
    m_session.whenIdle([this, op, change = std::move(change)]() mutable {
        // A shape drawn with the toolbar serves as the range of this one edit only.
        if (const imaging::Range shape = shapeRange(); !shape.isEmpty())
            change = [change = std::move(change), shape](ImageModel& p) {
                p.range = shape;
                const bool done = change(p);
                p.clearRange();
                return done;
            };
        m_session.edit(OperationRegistry::caption(op), std::move(change));
    });
}

void PictureEditCommands::changeDepth(int depthCode) {
    if (depthCode == 0)
        return; // "減色しない"
    m_session.edit(depthcaptions::captionOf(depthCode),
                   [depthCode](ImageModel& p) { return imaging::convertToDepth(p, depthCode); });
}

void PictureEditCommands::registerRange() {
    m_session.whenIdle([this] {
        imaging::Range r = m_session.picture().range;
        if (r.isEmpty())
            r = shapeRange();
        if (!m_session.hasPicture() || r.isEmpty())
            return; // without a range nothing happens
        if (const auto edited = sizes::SizeDialog::edit(m_host.dialogParent(), m_rangeList,
                                                        r.x2 - r.x1, r.y2 - r.y1, m_messages))
            setRangeList(*edited);
    });
}

void PictureEditCommands::setRangeList(const QString& list) {
    const sizes::RangeMenu menu = sizes::BuildRangeMenu(list);
    m_rangeList = menu.list;
    emit rangeItemsChanged(menu.captions);
}

void PictureEditCommands::selectRegisteredRange(int index) {
    m_session.whenIdle([this, index] {
        if (!m_session.hasPicture())
            return;
        const QSizeF size = sizes::RangeSize(m_rangeList, index);
        if (size.isEmpty())
            return; // no such entry, or a size of 0
        // Centimetres are measured at 96 dpi, which the picture keeps from then on.
        imaging::PictureDocument& doc = m_session.document();
        doc.setResolution(96, 96);
        const QRect r = sizes::RegisteredRange(size, doc.image().size());
        if (!r.isNull())
            doc.setRange({10, 10, r.right(), r.bottom()});
    });
}

void PictureEditCommands::copyPicture(bool minimise) {
    // The copy holds every edit asked for before it.
    m_session.whenIdle([this, minimise] {
        if (!m_session.hasPicture())
            return;
        {
            const PictureSession::Busy busy(m_session);
            const imaging::Range shape = shapeRange();
            if (endDrawing)
                endDrawing();
            // A copy of the picture, cut to the range when there is one; the view keeps both.
            ImageModel copy = m_session.picture();
            if (!shape.isEmpty())
                copy.range = shape;
            imaging::trimToRange(copy);
            copy.resolutionX = copy.resolutionY = 96;
            copy.applyResolution();
            // Offers of this process are not taken back in as captures or copies.
            auto* data = new QMimeData;
            data->setImageData(copy.image());
            platform::putOnClipboard(data);
        }
        if (minimise)
            m_host.minimise();
    });
}

void PictureEditCommands::pastePicture() {
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    if (!offered || !offered->hasImage())
        return; // no picture on the clipboard: the view stays as it is
    m_files.whenEditsSettled([this] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data)
            return;
        // The bytes are fetched here; decoding an 8K picture is the worker's.
        const QByteArray png = data->data(QStringLiteral("image/png"));
        const QImage decoded = png.isEmpty() ? QGuiApplication::clipboard()->image() : QImage();
        m_session.beginBusy();
        m_session.document().runInBackground([this, png, decoded]() -> std::function<void()> {
            QImage image = decoded;
            if (image.isNull())
                image = imaging::loadPictureData(png, QStringLiteral("clipboard.png")).picture;
            return [this, image] {
                m_session.endBusy();
                if (image.isNull())
                    return;
                ImageModel pasted;
                pasted.setImage(image);
                pasted.resolutionX = pasted.resolutionY = 96;
                pasted.applyResolution();
                m_session.showPicture(pasted, QString());
            };
        });
    });
}

void PictureEditCommands::erase() {
    m_files.whenEditsSettled([this] { m_session.erase(); });
}
