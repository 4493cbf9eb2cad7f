#include "mainwindow/fmMain.h"

#include "app/Sys.h"
#include "capture/CaptureSession.h"
#include "capture/ClipFormat.h"
#include "commands/KeyTable.h"
#include "commands/Operations.h"
#include "commands/PopupMenus.h"
#include "commands/Toolbar.h"
#include "core/Messages.h"
#include "core/Twips.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/TopBand.h"
#include "platform/Platform.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextDocumentFragment>

fmMain::fmMain(platform::Desktop& desktop, MessageSink& messages, const QString& userDataFolder,
               QWidget* parent)
    : QWidget(parent), m_desktop(desktop), m_messages(messages),
      m_operations(std::make_unique<OperationRegistry>()),
      m_menus(std::make_unique<PopupMenus>(*m_operations)) {
    setWindowTitle(QStringLiteral("Tolvik"));
    setObjectName(QStringLiteral("fmMain"));
    m_workspace = std::make_unique<Workspace>(desktop, messages, static_cast<WindowHost&>(*this),
                                              *m_operations, userDataFolder);
    m_top = new TopBand(this);
    m_File1 = new FileList(this);
    m_Rtxt = new QPlainTextEdit(this);
    m_Rtxt->setObjectName(QStringLiteral("Rtxt"));
    m_Rtxt->setAccessibleName(QStringLiteral("ﾃｷｽﾄ"));
    m_Rtxt->setVisible(false);
    m_view = new imaging::ImageView(m_workspace->session.document(), this);
    m_view->setObjectName(QStringLiteral("ikImg"));
    m_view->setAccessibleName(QStringLiteral("画像"));
    connect(m_top, &TopBand::menuRequested, this, [this](int i) {
        if (i < int(m_menus->popups.size()))
            m_menus->showPopup(i);
        else
            m_workspace->tools.showHelp();
    });
    new Toolbar(m_top->buttonArea, *m_operations, TopBand::kButtonAreaLeftTwips);
    // The window sees every key before the focused control does (and leaves it to it).
    qApp->installEventFilter(this);
    connectWorkspace();
    registerWindowOperations();

    m_Timer1.setObjectName(QStringLiteral("Timer1"));
    m_Timer1.setParent(this);
    m_Timer1.setInterval(5000);
    connect(&m_Timer1, &QTimer::timeout, this, &fmMain::Timer1_Timer);
    m_folderChanged.setSingleShot(true);
    m_folderChanged.setInterval(50);
    connect(&m_folderWatch, &QFileSystemWatcher::directoryChanged, &m_folderChanged,
            qOverload<>(&QTimer::start));
    connect(&m_folderChanged, &QTimer::timeout, this, &fmMain::RefreshFileList);
    connect(m_File1, &QListWidget::itemSelectionChanged, this, &fmMain::File1_Click);
    connect(m_File1, &FileList::selectedItemClicked, this, &fmMain::File1_Click);
    connect(m_File1, &FileList::rightReleased, this,
            [this] { m_menus->showPopup(PopupMenus::FileMenu); });
    connect(m_view, &imaging::ImageView::rightReleased, this,
            [this] { m_menus->showPopup(PopupMenus::EditMenu); });
    connect(m_top->scaleDisplay, &QCheckBox::toggled, &m_workspace->session,
            &PictureSession::setScaleDisplay);
    connect(m_top->captureWait, &QCheckBox::toggled, &m_workspace->folder.captureWait(),
            &CaptureSession::setWaiting);
    connect(m_top->prefixBox, &QLineEdit::textEdited, this, &fmMain::prefixEdited);

    // Designed size; the loaded settings place it. Never so small that the band is cut off.
    setMinimumSize(std::max(twips::toPx(TopBand::kWidthTwips), m_top->neededWidth()),
                   twips::toPx(TopBand::kHeightTwips + kMinListHeightTwips));
    resize(twips::toPx(11400), twips::toPx(7800));
}

fmMain::~fmMain() = default;

void fmMain::connectWorkspace() {
    PictureSession& session = m_workspace->session;
    connect(&session, &PictureSession::viewStateChanged, this, &fmMain::viewStateChanged);
    connect(&session, &PictureSession::viewStateChanged, m_menus.get(),
            &PopupMenus::applyViewState);
    connect(&session, &PictureSession::depthChanged, m_menus.get(), &PopupMenus::showDepth);
    connect(&session, &PictureSession::textChanged, m_Rtxt, &QPlainTextEdit::setPlainText);
    connect(&session, &PictureSession::displayChanged, this, [this](int mode, double zoom) {
        m_view->setZoom(zoom);
        m_view->display(mode);
        // The scale switch shows fit-to-window; a zoom is not that any more.
        const QSignalBlocker block(m_top->scaleDisplay);
        m_top->scaleDisplay->setChecked(mode == PictureSession::Fit);
    });
    // Every new range in the command log, however it was set (drag, registered size).
    connect(&session.document(), &imaging::PictureDocument::changed, this,
            [this, logged = imaging::Range{}]() mutable {
                const imaging::Range& r = m_workspace->session.picture().range;
                if (r == logged)
                    return;
                logged = r;
                qCDebug(lcCommands, "range %d %d %d %d", r.x1, r.y1, r.x2, r.y2);
            });

    PictureEditCommands& edits = m_workspace->edits;
    edits.takeShape = [this] { return takeToolbarShape(); };
    edits.endDrawing = [this] { endToolbarDrawing(); };
    connect(&edits, &PictureEditCommands::rangeItemsChanged, m_menus.get(),
            &PopupMenus::setRangeItems);
    connect(m_menus.get(), &PopupMenus::depthChosen, &edits, &PictureEditCommands::changeDepth);
    connect(m_menus.get(), &PopupMenus::rangeChosen, &edits,
            &PictureEditCommands::selectRegisteredRange);
    connect(m_menus.get(), &PopupMenus::zoomChosen, &session, &PictureSession::zoomTo);

    WorkFolderCommands& folder = m_workspace->folder;
    connect(&folder.captureWait(), &CaptureSession::waitingChanged, this,
            &fmMain::captureWaitChanged);
    connect(&folder, &WorkFolderCommands::captureOptionsChanged, this,
            [this] { showOptionMarks(); });
    connect(m_menus.get(), &PopupMenus::pointerOptionChosen, this, [&folder](bool on) {
        CaptureOptions o = folder.captureOptions();
        o.drawPointer = on;
        folder.setCaptureOptions(o);
    });
    connect(m_menus.get(), &PopupMenus::copyOptionChosen, this, [&folder](bool on) {
        CaptureOptions o = folder.captureOptions();
        o.takeCopies = on;
        folder.setCaptureOptions(o);
    });
    connect(m_menus.get(), &PopupMenus::reductionChosen, this, [&folder](int code) {
        CaptureOptions o = folder.captureOptions();
        o.reductionCode = code;
        folder.setCaptureOptions(o);
    });
    m_menus->canPasteImage = [] { return CanPasteImage(); };
}

void fmMain::registerWindowOperations() {
    using O = Operation;
    Workspace& w = *m_workspace;
    // The clipboard commands act on the text while a text is shown, else on the picture.
    m_operations->implement(
        O::Paste, [this, &w] { w.session.textShown() ? pasteText() : w.edits.pastePicture(); });
    m_operations->implement(O::Copy, [this, &w] {
        w.session.textShown() ? copyText(false) : w.edits.copyPicture(false);
    });
    m_operations->implement(O::CopyAndMinimize, [this, &w] {
        w.session.textShown() ? copyText(true) : w.edits.copyPicture(true);
    });
    m_operations->implement(O::ShowToolbar, [this] { toggleToolbar(); });
    m_operations->implement(O::Exit, [this] { SaveWindowSettings(); });
}

void fmMain::setSettings(yIni* ini, const QString& file) {
    m_ini = ini;
    m_settingsFile = file;
}

void fmMain::Form_Load() {
    const QString work = m_workspace->folder.folder().path();
    m_File1->setPattern(QStringLiteral("*.BMP;*.JPG;*.JPEG;*.GIF;*.TXT"));
    m_File1->setPath(work);
    m_folderWatch.addPath(work);
    viewStateChanged();
    m_menus->applyViewState(m_workspace->session.viewState());
    if (m_ini) {
        applySettings(LoadWindowSettings(*m_ini, m_settingsFile, room()));
    } else if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect a = s->availableGeometry();
        move(a.x() + (a.width() - width()) / 2, a.y() + (a.height() - height()) / 2);
        m_workspace->session.setScaleDisplay(m_top->scaleDisplay->isChecked());
    }
    showOptionMarks();
    noteRestoredGeometry();
    LayoutWindow();
    // Started once: a restart on every relayout would hold the check off during a resize.
    m_Timer1.start();
}

void fmMain::showOptionMarks() {
    const CaptureOptions& o = m_workspace->folder.captureOptions();
    m_menus->showReduction(o.reductionCode);
    m_menus->showPointerOption(o.drawPointer);
    m_menus->showCopyOption(o.takeCopies);
}

void fmMain::applySettings(const WindowSettingsValue& v) {
    resize(twips::toPx(v.geometry.width()), twips::toPx(v.geometry.height()));
    move(twips::toPx(v.geometry.x()), twips::toPx(v.geometry.y()));
    m_workspace->edits.setRangeList(v.rangeList);
    m_workspace->folder.setCaptureOptions(v.capture);
    m_workspace->session.setScaleDisplay(v.scaleDisplay);
}

WindowSettingsValue fmMain::collectSettings() const {
    // A minimised or maximised window is remembered where it will be restored to.
    const QRect g = restoredGeometry();
    WindowSettingsValue v;
    v.geometry = QRect(int(twips::fromPx(g.x())), int(twips::fromPx(g.y())),
                       int(twips::fromPx(g.width())), int(twips::fromPx(g.height())));
    v.scaleDisplay = m_workspace->session.displayMode() == PictureSession::Fit;
    v.rangeList = m_workspace->edits.rangeList();
    v.capture = m_workspace->folder.captureOptions();
    return v;
}

WindowRoom fmMain::room() const {
    WindowRoom r{{}, size(), minimumSize()};
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        r.screens << primary->availableGeometry();
    for (const QScreen* s : QGuiApplication::screens())
        if (s != primary)
            r.screens << s->availableGeometry();
    return r;
}

bool fmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // A key press travels up the parents; only its first receiver counts. A command that
        // opens a dialog moves the focus, so the same press met again further up is known by
        // the event and the receiver it was handled at, not by the focus.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key == m_lastKey.event && m_lastKey.receiver) {
            for (QObject* p = m_lastKey.receiver->parent(); p; p = p->parent())
                if (p == watched)
                    return false;
        }
        QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : this;
        if (watched == first && first->window() == this) {
            m_lastKey = {key, watched};
            if (const std::optional<Operation> op = keytable::operation(*key))
                m_operations->action(*op)->trigger();
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void fmMain::viewStateChanged() {
    selectCurrentFile();
    const bool text = m_workspace->session.textShown();
    if (text != m_textShown) {
        m_textShown = text;
        LayoutWindow();
        m_top->scaleDisplay->setEnabled(!m_textShown);
    }
}

void fmMain::LayoutWindow() {
    if (outOfSight())
        return;
    m_workspace->folder.captureWait().setWaiting(false);
    const int w = width();
    const int h = height();
    m_top->fitTo(w);
    const int band = m_top->height();
    m_top->setGeometry(0, 0, w, band);
    m_File1->setVisible(true);
    const int fw = m_File1->width();
    m_File1->setGeometry(0, band, fw, std::max(0, h - band));
    m_Rtxt->setVisible(m_textShown);
    m_view->setVisible(!m_textShown);
    QWidget* viewer = m_textShown ? static_cast<QWidget*>(m_Rtxt) : m_view;
    viewer->setGeometry(fw + 1, band, std::max(0, w - fw - 1), std::max(0, h - band));
}

void fmMain::Form_Resize() {
    if (m_minimisingForWait)
        return;
    // Minimising (or the compositor hiding the window) starts capture wait; the relayout of a
    // restored window ends it.
    if (outOfSight())
        m_workspace->folder.captureWait().setWaiting(true);
    else
        LayoutWindow();
}

void fmMain::captureWaitChanged(bool on) {
    {
        const QSignalBlocker block(m_top->captureWait);
        m_top->captureWait->setChecked(on);
    }
    if (on && !outOfSight()) {
        m_minimisingForWait = true;
        showMinimized();
        m_minimisingForWait = false;
    }
}

void fmMain::Timer1_Timer() {
    // The watcher loses a folder that was removed and made again.
    if (!m_folderWatch.directories().contains(m_File1->path()))
        m_folderWatch.addPath(m_File1->path());
    if (m_stamp.changed(m_File1->path()))
        RefreshFileList();
}

void fmMain::RefreshFileList() {
    m_File1->reread();
    selectCurrentFile();
}

void fmMain::selectCurrentFile() {
    const QString current = m_workspace->session.currentFile();
    if (current.isEmpty())
        return;
    // Marked, not shown again.
    const QSignalBlocker quiet(m_File1);
    m_File1->selectName(current.mid(current.lastIndexOf(u'/') + 1).toLower());
}

QString fmMain::selectedFileName() const {
    return m_File1->selectedName();
}

void fmMain::File1_Click() {
    const QString name = m_File1->selectedName();
    if (name.isEmpty())
        return;
    const QString path = m_File1->path() + u'/' + name;
    if (!Sys::FileExists(path))
        return;
    // When the user keeps the edited picture, the list marks its file again.
    m_workspace->files.whenEditsSettled([this, path] { m_workspace->files.showFile(path); },
                                        [this] { selectCurrentFile(); });
}

void fmMain::prefixEdited(const QString& text) {
    // Refused: the box goes back to the last usable prefix.
    if (!m_workspace->folder.setPrefix(text))
        m_top->prefixBox->setText(m_workspace->folder.prefix());
}

void fmMain::pasteText() {
    const QString t = QGuiApplication::clipboard()->text();
    if (t.isEmpty())
        return;
    m_Rtxt->insertPlainText(t); // replaces the selection, or goes in at the caret
}

void fmMain::copyText(bool minimise) {
    const QString s = m_Rtxt->textCursor().selection().toPlainText();
    if (!s.isEmpty()) {
        auto* data = new QMimeData;
        data->setText(s);
        platform::putOnClipboard(data);
    }
    // The copy is placed before capture wait begins, so it is not taken back in.
    if (minimise)
        showMinimized();
}

void fmMain::SaveWindowSettings() {
    m_workspace->files.whenEditsSettled([this] { endProgram(); });
}

void fmMain::endProgram() {
    finishCapture();
    m_workspace->folder.captureWait().setWaiting(false);
    // A settings file that cannot be written does not keep the program from ending.
    if (m_ini)
        WriteWindowSettings(collectSettings(), *m_ini);
    Sys::ShutDown();
}

void fmMain::finishCapture() {
    m_workspace->folder.finishCapture();
}

void fmMain::closeEvent(QCloseEvent* event) {
    // Only a close from the window frame runs the exit routine; a close by code (the
    // shutdown itself) or by the session does not save.
    if (event->spontaneous() && !Sys::shuttingDown()) {
        // The exit routine closes the window itself once nothing would be lost.
        event->ignore();
        SaveWindowSettings();
        return;
    }
    if (!Sys::shuttingDown())
        Sys::ShutDown(); // closed by the session or by code: end without saving
    event->accept();
}

void fmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    else if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RefreshFileList();
}

void fmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_visibility)
        return;
    m_visibility = m_desktop.createVisibilityWatch(winId());
    if (m_visibility)
        connect(m_visibility.get(), &platform::WindowVisibilityWatch::hiddenChanged, this,
                [this](bool hidden) {
                    m_hiddenByCompositor = hidden;
                    Form_Resize();
                });
}

void fmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    noteRestoredGeometry();
    Form_Resize();
}

void fmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    noteRestoredGeometry();
}

QRect fmMain::restoredGeometry() const {
    if (!isMinimized() && !isMaximized() && !isFullScreen())
        return QRect(pos(), size());
    return m_restored;
}

void fmMain::noteRestoredGeometry() {
    if (!isMinimized() && !isMaximized() && !isFullScreen())
        m_restored = QRect(pos(), size());
}
