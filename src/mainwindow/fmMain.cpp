#include "mainwindow/fmMain.h"

#include "app/Sys.h"
#include "capture/ClipFormat.h"
#include "commands/Operations.h"
#include "commands/Toolbar.h"
#include "commands/spPic.h"
#include "core/Messages.h"
#include "core/TextCodec.h"
#include "core/Twips.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/TopBand.h"
#include "sizes/RangeList.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalBlocker>

fmMain::fmMain(platform::Desktop& desktop, MessageSink& messages, const QString& userDataFolder,
               QWidget* parent)
    : QWidget(parent), m_desktop(desktop), m_messages(messages), m_userDataFolder(userDataFolder),
      m_workFolder(userDataFolder + QStringLiteral("Temp")) {
    m_fileWork.setMaxThreadCount(1);
    setWindowTitle(QStringLiteral("Tolvik"));
    setObjectName(QStringLiteral("fmMain"));
    m_top = new TopBand(this);
    m_File1 = new FileList(this);
    m_Rtxt = new QPlainTextEdit(this);
    m_Rtxt->setObjectName(QStringLiteral("Rtxt"));
    m_Rtxt->setAccessibleName(QStringLiteral("ﾃｷｽﾄ"));
    m_Rtxt->setVisible(false);
    m_view = new imaging::ImageView(m_picture, this);
    m_view->setObjectName(QStringLiteral("ikImg"));
    m_view->setAccessibleName(QStringLiteral("画像"));
    m_intake = std::make_unique<CaptureIntake>(
        m_workFolder, [this](const IntakeOutcome& outcome) { intakeDone(outcome); });
    m_watcher = std::make_unique<ClipboardWatcher>(m_desktop, *this);
    // The scan is queued in turn with the stores still queued.
    m_session = std::make_unique<CaptureSession>(*m_watcher, [this] { m_intake->scan(m_prefix); });
    connect(m_session.get(), &CaptureSession::waitingChanged, this, &fmMain::captureWaitChanged);
    m_operations = std::make_unique<OperationRegistry>();
    m_menus = std::make_unique<spPic>();
    m_commands = std::make_unique<CommandTable>(*m_menus, *m_operations, *this);
    m_menus->onPointerOption = [this](bool on) { m_options.drawPointer = on; };
    m_menus->onCopyOption = [this](bool on) { m_options.takeCopies = on; };
    m_menus->canPasteImage = [] { return CanPasteImage(); };
    connect(this, &fmMain::viewStateChanged, m_menus.get(), &spPic::applyViewState);
    for (QLabel* label : m_top->lbCom)
        label->installEventFilter(this);
    new Toolbar(m_top->imBtnArea, *m_operations, TopBand::kButtonAreaLeftTwips);
    // The window sees every key before the focused control does (and leaves it to it).
    qApp->installEventFilter(this);
    connect(m_File1, &FileList::rightReleased, this, [this] { m_commands->ShowMenu(0); });
    connect(m_view, &imaging::ImageView::rightReleased, this, [this] { m_commands->ShowMenu(1); });
    // Every new range in the command log, however it was set (drag, registered size).
    connect(&m_picture, &imaging::PictureDocument::changed, this,
            [this, logged = imaging::Range{}]() mutable {
                const imaging::Range& r = m_picture.range();
                if (r == logged)
                    return;
                logged = r;
                qCDebug(lcCommands, "range %d %d %d %d", r.x1, r.y1, r.x2, r.y2);
            });

    m_Timer1.setInterval(5000);
    connect(&m_Timer1, &QTimer::timeout, this, &fmMain::Timer1_Timer);
    m_folderChanged.setSingleShot(true);
    m_folderChanged.setInterval(50);
    connect(&m_folderWatch, &QFileSystemWatcher::directoryChanged, &m_folderChanged,
            qOverload<>(&QTimer::start));
    connect(&m_folderChanged, &QTimer::timeout, this, &fmMain::RefreshFileList);
    connect(m_File1, &QListWidget::itemSelectionChanged, this, &fmMain::File1_Click);
    connect(m_File1, &FileList::selectedItemClicked, this, &fmMain::File1_Click);
    for (int i = 0; i < 2; ++i)
        connect(m_top->checkButtons[size_t(i)], &QCheckBox::toggled, this,
                [this, i] { checkButtonClicked(i); });
    connect(m_top->Text1, &QLineEdit::textEdited, this, &fmMain::Text1_Edited);

    // Designed size; the loaded settings place it. Never so small that the band is cut off.
    setMinimumSize(twips::toPx(TopBand::kWidthTwips),
                   twips::toPx(TopBand::kHeightTwips + kMinListHeightTwips));
    resize(twips::toPx(11400), twips::toPx(7800));
}

fmMain::~fmMain() {
    // The check button is no longer there to follow.
    const QSignalBlocker quiet(m_session.get());
    m_session->setWaiting(false);
}

void fmMain::Form_Load() {
    m_File1->setPattern(QStringLiteral("*.BMP;*.JPG;*.JPEG;*.GIF;*.TXT"));
    m_File1->setPath(m_workFolder.path());
    m_folderWatch.addPath(m_workFolder.path());
    SetViewState(ViewState::Empty);
    if (m_ini) {
        applySettings(LoadWindowSettings(*m_ini, m_settingsFile, room()));
    } else if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect a = s->availableGeometry();
        move(a.x() + (a.width() - width()) / 2, a.y() + (a.height() - height()) / 2);
        SetScaleDisplay(m_top->checkButtons[0]->isChecked());
    }
    showOptionMarks();
    noteRestoredGeometry();
    LayoutWindow();
    // Started once: a restart on every relayout would hold the check off during a resize.
    m_Timer1.start();
}

void fmMain::showOptionMarks() {
    m_menus->SetCptC(m_options.colourReduction);
    m_menus->showPointerOption(m_options.drawPointer);
    m_menus->showCopyOption(m_options.takeCopies);
}

void fmMain::setCaptureOptions(const CaptureOptions& options) {
    m_options = options;
    showOptionMarks();
}

void fmMain::applySettings(const WindowSettingsValue& v) {
    resize(twips::toPx(v.geometry.width()), twips::toPx(v.geometry.height()));
    move(twips::toPx(v.geometry.x()), twips::toPx(v.geometry.y()));
    setRangeList(v.rangeList);
    setCaptureOptions(v.capture);
    // Through the check button's own handling, so the display mode follows it.
    QCheckBox& scale = *m_top->checkButtons[0];
    if (scale.isChecked() == v.scaleDisplay)
        SetScaleDisplay(v.scaleDisplay);
    scale.setChecked(v.scaleDisplay);
}

WindowSettingsValue fmMain::collectSettings() const {
    // A minimised or maximised window is remembered where it will be restored to.
    const QRect g = restoredGeometry();
    WindowSettingsValue v;
    v.geometry = QRect(int(twips::fromPx(g.x())), int(twips::fromPx(g.y())),
                       int(twips::fromPx(g.width())), int(twips::fromPx(g.height())));
    v.scaleDisplay = m_displayMode == 1;
    v.rangeList = m_rangeList;
    v.capture = m_options;
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

void fmMain::setRangeList(const QString& list) {
    const sizes::RangeMenu menu = sizes::BuildRangeMenu(list);
    m_rangeList = menu.list;
    m_menus->setRangeItems(menu.captions);
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
            m_commands->Form_KeyDown(*key);
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (size_t i = 0; i < m_top->lbCom.size(); ++i)
            if (watched == m_top->lbCom[i]) {
                m_commands->lbCom_Click(int(i));
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void fmMain::Form_Activate() {
    RefreshFileList();
}

void fmMain::SetViewState(ViewState state) {
    m_viewState = state;
    if ((state == ViewState::Text) != m_textShown) {
        m_textShown = state == ViewState::Text;
        LayoutWindow();
        m_top->checkButtons[0]->setEnabled(!m_textShown);
    }
    emit viewStateChanged(state);
}

bool fmMain::displayPicture() {
    return m_view->display(m_displayMode);
}

void fmMain::LayoutWindow() {
    if (isMinimized())
        return;
    m_session->setWaiting(false);
    const int w = width();
    const int h = height();
    const int band = twips::toPx(TopBand::kHeightTwips);
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
    if (m_eventsHeld)
        return;
    // Minimising starts capture wait; the relayout of a restored window ends it.
    if (isMinimized())
        m_session->setWaiting(true);
    else
        LayoutWindow();
}

void fmMain::checkButtonClicked(int index) {
    if (index == 0) {
        SetScaleDisplay(m_top->checkButtons[0]->isChecked());
        return;
    }
    m_session->setWaiting(m_top->checkButtons[1]->isChecked());
}

void fmMain::captureWaitChanged(bool on) {
    m_top->checkButtons[1]->setChecked(on);
    if (on && !isMinimized()) {
        m_eventsHeld = true;
        showMinimized();
        m_eventsHeld = false;
    }
}

void fmMain::SetScaleDisplay(bool on) {
    m_displayMode = on ? 1 : 3;
    if (!on)
        m_picture.setZoom(1.0, 1.0);
    m_view->display(m_displayMode);
}

void fmMain::Timer1_Timer() {
    // The watcher loses a folder that was removed and made again.
    if (!m_folderWatch.directories().contains(m_File1->path()))
        m_folderWatch.addPath(m_File1->path());
    if (m_stamp.changed(m_File1->path()))
        RefreshFileList();
}

void fmMain::RefreshFileList() {
    QCoreApplication::processEvents();
    m_File1->reread();
    if (m_currentFile.isEmpty())
        return;
    const QString name = m_currentFile.mid(m_currentFile.lastIndexOf(u'/') + 1).toLower();
    const bool held = m_eventsHeld;
    m_eventsHeld = true;
    m_File1->selectName(name);
    m_eventsHeld = held;
}

void fmMain::File1_Click() {
    if (m_eventsHeld)
        return;
    const QString name = m_File1->selectedName();
    if (name.isEmpty())
        return;
    const QString path = m_File1->path() + u'/' + name;
    if (Sys::FileExists(path))
        ShowFile(path);
}

void fmMain::ShowFile(const QString& path) {
    if (path.right(4).toLower() == u".txt") {
        const textcodec::ShownText shown = textcodec::readShownText(path);
        if (!shown.error.isEmpty())
            m_messages.notice(shown.error);
        m_Rtxt->setPlainText(shown.text);
        SetViewState(ViewState::Text);
        m_currentFile = path;
        return;
    }
    if (LoadImageFile(path))
        m_currentFile = path;
    SetViewState(ViewState::Stored);
}

bool fmMain::LoadImageFile(const QString& path) {
    const BusyPointer::Guard busy(m_busy);
    // A picture that does not load leaves the shown one and the current file alone.
    imaging::ImageModel loaded;
    QString why;
    bool ok = Sys::FileExists(path) && loaded.load(path, &why);
    if (!why.isEmpty())
        m_messages.notice(QStringLiteral("画像ﾌｧｲﾙを開けませんでした: ") + path + u'\r' + why);
    if (ok) {
        m_picture.replace(loaded);
        ok = displayPicture();
        m_menus->showDepth(m_picture.depthCode());
    }
    return ok;
}

void fmMain::Text1_Edited(const QString& text) {
    const QString why = WorkFolder::prefixProblem(text);
    if (why.isEmpty()) {
        m_prefix = text;
        return;
    }
    // Refused: the box goes back to the last usable prefix.
    m_top->Text1->setText(m_prefix);
    m_messages.ask(why);
}

void fmMain::SaveWindowSettings() {
    finishCapture();
    m_session->setWaiting(false);
    // A settings file that cannot be written does not keep the program from ending.
    if (m_ini)
        WriteWindowSettings(collectSettings(), *m_ini);
    Sys::ShutDown();
}

void fmMain::closeEvent(QCloseEvent* event) {
    // Only a close from the window frame runs the exit routine; a close by code
    // (the shutdown itself) or by the session does not save.
    if (event->spontaneous() && !Sys::shuttingDown())
        SaveWindowSettings();
    else if (!Sys::shuttingDown())
        Sys::ShutDown(); // closed by the session or by code: end without saving
    event->accept();
}

void fmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    else if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
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
