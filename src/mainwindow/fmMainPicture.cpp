// The main window's picture clipboard and zoom commands.
#include "commands/spPic.h"
#include "core/NumRules.h"
#include "imaging/Edits.h"
#include "imaging/ImageView.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalBlocker>

double zoomFactorOfCaption(const QString& caption) {
    // The leading number up to "%", in single precision; no number is 100%.
    const float factor = float(numrules::leadingNumber(caption.trimmed())) / 100.0f;
    return factor == 0.0f ? 1.0 : double(factor);
}

void fmMain::zoomTo(const QString& caption) {
    const double factor = zoomFactorOfCaption(caption);
    m_displayMode = 3;
    {
        // The scale switch shows fit-to-window; a zoom is not that any more.
        const QSignalBlocker block(m_top->checkButtons[0]);
        m_top->checkButtons[0]->setChecked(false);
    }
    m_picture.setZoom(factor, factor);
    m_view->display(m_displayMode);
}

void fmMain::CopyImage(bool minimize) {
    // The copy holds every edit asked for before it.
    m_picture.whenIdle([this, minimize] {
        if (m_picture.handle() == 0)
            return;
        {
            const BusyPointer::Guard busy(m_busy);
            const imaging::Range shape = takeToolbarShape();
            EndToolbarDrawing();
            // A copy of the picture, cut to the range when there is one; the view keeps both.
            imaging::ImageModel copy = m_picture.model();
            if (!shape.isEmpty())
                copy.range = shape;
            imaging::trimToRange(copy);
            copy.resolutionX = copy.resolutionY = 96;
            copy.applyResolution();
            // Offers of this process are not taken back in as captures or copies.
            QGuiApplication::clipboard()->setImage(copy.image());
        }
        if (minimize)
            showMinimized();
    });
}

void fmMain::PasteImage() {
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    if (!offered || !offered->hasImage())
        return; // no picture on the clipboard: the view stays as it is
    whenEditsSettled([this] {
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull())
            return;
        const BusyPointer::Guard busy(m_busy);
        imaging::ImageModel pasted;
        pasted.setImage(image);
        pasted.resolutionX = pasted.resolutionY = 96;
        pasted.applyResolution();
        m_picture.replace(pasted);
        m_currentFile.clear();
        SetViewState(displayPicture() ? ViewState::Stored : ViewState::Empty);
        m_menus->showDepth(m_picture.depthCode());
    });
}
