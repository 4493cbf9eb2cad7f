#pragma once
// The main window: composes the top band, the file list, the two viewers, the folder
// watch, the clipboard watcher and the capture intake, and routes their events.
#include "capture/CaptureIntake.h"
#include "capture/CaptureOptions.h"
#include "capture/CaptureSession.h"
#include "capture/ClipboardWatcher.h"
#include "capture/WorkFolder.h"
#include "commands/CommandTable.h"
#include "commands/Operations.h"
#include "commands/ViewState.h"
#include "imaging/PictureDocument.h"
#include "imaging/PictureFiles.h"
#include "mainwindow/BusyPointer.h"
#include "mainwindow/FolderStamp.h"
#include "settings/WindowSettings.h"

#include <QFileSystemWatcher>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>

class DrawingToolbar;
class FileList;
class MessageSink;
class yIni;
class QPlainTextEdit;
class TopBand;
class spPic;
namespace imaging {
class DrawingSession;
class ImageView;
} // namespace imaging

// Zoom factor of a zoom menu caption: its leading number / 100 (" 50%" is 0.5); 1 without one.
double zoomFactorOfCaption(const QString& caption);

class fmMain : public QWidget, public IntakeTarget, public CommandHost {
    Q_OBJECT
public:
    // Room for a few lines of the file list below the band at the smallest size.
    static constexpr int kMinListHeightTwips = 1500;

    fmMain(platform::Desktop& desktop, MessageSink& messages, const QString& userDataFolder,
           QWidget* parent = nullptr);
    ~fmMain() override;

    // The settings document and file that load and the exit routine use; none in tests
    // that do not need them.
    void setSettings(yIni* ini, const QString& file) {
        m_ini = ini;
        m_settingsFile = file;
    }

    // Runs the load steps: list, view state, settings, layout.
    void Form_Load();
    void Form_Activate();

    // Capture options read by the watcher and the intakes; setting them moves the marks.
    const CaptureOptions& captureOptions() const override { return m_options; }
    void setCaptureOptions(const CaptureOptions& options);
    void setColourReduction(const QString& caption) override {
        m_options.colourReduction = caption;
    }

    // Puts a loaded settings value on the window, and takes the current one from it.
    void applySettings(const WindowSettingsValue& value);
    WindowSettingsValue collectSettings() const;

    // Offers from the watcher: queued for storing, shown when stored.
    void captureOffered(const platform::ClipboardSnapshot& offer) override;
    void copyOffered(const platform::ClipboardSnapshot& offer) override;
    // Waits for every queued store and shows its outcome (tests, shutdown).
    void finishIntakes();
    // At the end: every capture already announced is read and stored.
    void finishCapture();

    void SetViewState(ViewState state);
    // Shows the view image with the current display mode.
    bool displayPicture();
    QString prefix() const { return m_prefix; }
    void setCurrentFile(const QString& path) { m_currentFile = path; }

    void LayoutWindow();
    void SetScaleDisplay(bool on);
    void checkButtonClicked(int index);
    // Capture wait; the check button "ｷｬﾌﾞﾁｬｰ待機" follows it and asks it to change.
    CaptureSession& captureSession() { return *m_session; }
    void RefreshFileList();
    void File1_Click();
    void ShowFile(const QString& path);
    bool LoadImageFile(const QString& path);
    void Timer1_Timer();

    // The exit routine: leave capture wait, write the settings and shut down; edits not yet
    // saved are asked about first.
    void SaveWindowSettings() override;

    // Whether the picture shown differs from its file (or from what was taken in).
    bool hasUnsavedEdits() const { return !m_picture.matchesStored(); }
    // Runs proceed once the edits asked for are done and none would be lost: at once when
    // the picture matches its file, otherwise after the user saved it or chose to discard
    // the edits; never when the user cancels or the save fails.
    void whenEditsSettled(std::function<void()> proceed);

    // Text, clipboard and work-folder commands.
    bool textShown() const override { return m_textShown; }
    void PasteText() override;
    void CopyText(bool minimize) override;
    void SaveToWorkFolder() override;
    void EmptyWorkFolder() override;
    void ExploreWorkFolder() override;
    void EraseImage() override;
    void ClearRange() override;
    void editPicture(Operation op) override;
    void changeDepth(const QString& caption) override;
    void undoEdit(bool redo) override;
    void registerRange() override;
    void selectRegisteredRange(int index) override;
    void zoomTo(const QString& caption) override;
    void CopyImage(bool minimize) override;
    void PasteImage() override;
    void OpenImageFile() override;
    void SaveImage(bool saveAs) override;
    void PrintImage(int setup) override;

    // The sibling tools and the help page (fmMainTools.cpp). A tool's path is looked up once
    // per run, through the finder (by default a search that asks nobody).
    using ToolFinder = std::function<QString(int toolIndex)>;
    void setToolFinder(ToolFinder finder) { m_findTool = std::move(finder); }
    void openInMarlo() override;
    void openInPirra() override;
    void openHelp() override;
    void showHelp(const QString& page);

    // Puts the check marks of the settings popup on the current option values.
    void showOptionMarks();

    const QString& rangeList() const { return m_rangeList; }
    // Keeps the valid entries of a range list and rebuilds the range menu from them.
    void setRangeList(const QString& list);
    // Frame position and size of the window as last seen neither minimised nor maximised.
    QRect restoredGeometry() const;

    const QString& currentFile() const { return m_currentFile; }
    const QString& workFolderPath() const { return m_workFolder.path(); }
    WorkFolder& workFolder() { return m_workFolder; }
    imaging::PictureDocument& picture() { return m_picture; }
    ClipboardWatcher& watcher() { return *m_watcher; }
    CaptureIntake& intake() { return *m_intake; }
    TopBand& topBand() { return *m_top; }
    FileList& File1() { return *m_File1; }
    QPlainTextEdit& Rtxt() { return *m_Rtxt; }
    imaging::ImageView& view() { return *m_view; }
    OperationRegistry& operations() { return *m_operations; }
    spPic& menus() { return *m_menus; }
    CommandTable& commands() { return *m_commands; }
    QTimer& Timer1() { return m_Timer1; }
    int displayMode() const { return m_displayMode; }
    ViewState viewState() const { return m_viewState; }

signals:
    // Every view state passed to SetViewState; the menus follow it.
    void viewStateChanged(ViewState state);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Saves the picture; then runs after a successful save.
    void savePicture(bool saveAs, std::function<void()> then);
    void pictureSaved(const imaging::SaveResult& result, quint64 state, bool overCurrentFile,
                      const std::function<void()>& then);
    void runEdit(QString text, imaging::PictureDocument::Change change);
    void finishEdit(const QString& text, imaging::EditOutcome outcome);
    // Shows the picture at its place in the history: depth mark, and the view state that
    // tells whether it matches its file.
    void showHistoryStep();
    void endProgram();
    // Marks the current file in the list, without showing it again.
    void selectCurrentFile();
    void printPicture();
    void erasePicture();
    void noteRestoredGeometry();
    void intakeDone(const IntakeOutcome& outcome);
    void Form_Resize();
    void captureWaitChanged(bool on);
    WindowRoom room() const;
    void Text1_Edited(const QString& text);
    bool eventFilter(QObject* watched, QEvent* event) override;

    platform::Desktop& m_desktop;
    MessageSink& m_messages;
    imaging::PictureDocument m_picture;
    QThreadPool m_fileWork; // saves, one at a time and in order, off this thread
    BusyPointer m_busy{m_picture};
    QString m_userDataFolder;
    struct {
        const QEvent* event = nullptr;
        QPointer<QObject> receiver;
    } m_lastKey; // the key press whose command ran, and where

    WorkFolder m_workFolder;
    std::unique_ptr<CaptureIntake> m_intake;
    std::unique_ptr<ClipboardWatcher> m_watcher;
    std::unique_ptr<CaptureSession> m_session;
    std::unique_ptr<OperationRegistry> m_operations;
    std::unique_ptr<spPic> m_menus;
    std::unique_ptr<CommandTable> m_commands;
    TopBand* m_top = nullptr;
    FileList* m_File1 = nullptr;
    QPlainTextEdit* m_Rtxt = nullptr;
    imaging::ImageView* m_view = nullptr;
    QTimer m_Timer1;
    FolderStamp m_stamp;
    // Told of every change of the work folder; a burst of changes is read once.
    QFileSystemWatcher m_folderWatch;
    QTimer m_folderChanged;

    yIni* m_ini = nullptr;
    QString m_settingsFile;
    QString m_rangeList;
    QRect m_restored;
    QString m_prefix;
    QString m_currentFile;
    CaptureOptions m_options;
    bool m_textShown = false;
    bool m_eventsHeld = false;
    int m_lostOffers = 0;
    std::deque<quint64> m_workFolderSaves; // picture states on their way to the work folder
    int m_displayMode = 1;
    ViewState m_viewState = ViewState::Empty;

    // The drawing toolbar (fmMainToolbar.cpp).
public:
    void toggleToolbar() override;
    // Shows the toolbar beside the window, or hides it and ends drawing; the menu item's check
    // follows.
    void ShowToolbar(bool show);
    bool toolbarShown() const { return m_toolbarShown; }
    // The points of the current shape: four for a rectangle or an ellipse, none without one.
    QList<QPoint> GetToolbarPoints() const;
    // Forgets the current shape and drops one in progress.
    void EndToolbarDrawing();
    // With no range, the toolbar shown and a four-point shape: the range its corners 0 and 2
    // make, for the one operation that asks (drawing ends); an empty range otherwise.
    imaging::Range takeToolbarShape();
    DrawingToolbar* drawingToolbar() const { return m_drawBar; }
    imaging::DrawingSession* drawingSession() const { return m_drawing; }

private:
    DrawingToolbar* m_drawBar = nullptr;          // a tool window, a child of this one
    imaging::DrawingSession* m_drawing = nullptr; // a child of this window
    bool m_toolbarShown = false;
    // The sibling tools, found on first use.
    ToolFinder m_findTool;
    QString m_marloPath;
    QString m_pirraPath;
    QString toolPath(int toolIndex, QString& cache);
    void startTool(const QString& name, const QString& program, const QString& argument);
};
