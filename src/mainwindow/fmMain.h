#pragma once
// The main window: lays out the top band, the work-folder list, the text view and the
// picture view, and routes their events to the workspace (the picture session and its
// command sets); handles the keys, the window's settings and the drawing toolbar's window.
#include "imaging/ImageModel.h"
#include "mainwindow/FolderStamp.h"
#include "platform/Platform.h"
#include "settings/WindowSettings.h"
#include "workspace/WindowHost.h"

#include <QFileSystemWatcher>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class DrawingToolbar;
class FileList;
class MessageSink;
class OperationRegistry;
class PopupMenus;
class QPlainTextEdit;
class TopBand;
class yIni;
struct Workspace;
namespace imaging {
class DrawingSession;
class ImageView;
} // namespace imaging
namespace platform {
class Desktop;
}

class fmMain : public QWidget, private WindowHost {
    Q_OBJECT
public:
    // Room for a few lines of the file list below the band at the smallest size.
    static constexpr int kMinListHeightTwips = 1500;

    fmMain(platform::Desktop& desktop, MessageSink& messages, const QString& userDataFolder,
           QWidget* parent = nullptr);
    ~fmMain() override;

    // The settings document and file that loading and the exit routine use; none in tests
    // that do not need them.
    void setSettings(yIni* ini, const QString& file);
    // Points the list at the work folder, loads the settings and lays the window out.
    void Form_Load();
    // Puts a loaded settings value on the window, and takes the current one from it.
    void applySettings(const WindowSettingsValue& value);
    WindowSettingsValue collectSettings() const;
    // The exit routine: edits not yet saved are asked about, capture wait ends, the settings
    // are written and the program ends.
    void SaveWindowSettings();
    // At the end: every capture already announced is read and stored.
    void finishCapture();

    Workspace& workspace() { return *m_workspace; }
    OperationRegistry& operations() { return *m_operations; }
    PopupMenus& menus() { return *m_menus; }

    // Reads the work folder's names again and marks the current file.
    void RefreshFileList();

    // The drawing toolbar beside the window (fmMainToolbar.cpp): shown or hidden, drawing
    // ending with it; the menu item's check follows.
    void ShowToolbar(bool show);
    bool toolbarShown() const { return m_toolbarShown; }
    DrawingToolbar* drawingToolbar() const { return m_drawBar; }
    imaging::DrawingSession* drawingSession() const { return m_drawing; }
    // With no range, the toolbar shown and a four-point shape: the range its corners 0 and 2
    // make, for the one operation that asks (drawing ends); an empty range otherwise.
    imaging::Range takeToolbarShape();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the commands need of the window.
    QWidget* dialogParent() override { return this; }
    void minimise() override { showMinimized(); }
    QString selectedFileName() const override;
    void rereadFileList() override { RefreshFileList(); }

    void connectWorkspace();
    void registerWindowOperations();
    void viewStateChanged();
    void LayoutWindow();
    void Form_Resize();
    // Minimised, or hidden by a compositor that does not minimise (sway's scratchpad).
    bool outOfSight() const { return isMinimized() || m_hiddenByCompositor; }
    void captureWaitChanged(bool on);
    void File1_Click();
    void selectCurrentFile();
    void Timer1_Timer();
    void prefixEdited(const QString& text);
    void showOptionMarks();
    void noteRestoredGeometry();
    QRect restoredGeometry() const;
    WindowRoom room() const;
    void endProgram();
    void toggleToolbar();
    void endToolbarDrawing();
    void pasteText();
    void copyText(bool minimise);

    platform::Desktop& m_desktop;
    MessageSink& m_messages;
    std::unique_ptr<OperationRegistry> m_operations;
    std::unique_ptr<PopupMenus> m_menus;
    std::unique_ptr<Workspace> m_workspace;
    TopBand* m_top = nullptr;
    FileList* m_File1 = nullptr;
    QPlainTextEdit* m_Rtxt = nullptr;
    imaging::ImageView* m_view = nullptr;
    QTimer m_Timer1;
    FolderStamp m_stamp;
    // Told of every change of the work folder; a burst of changes is read once.
    QFileSystemWatcher m_folderWatch;
    QTimer m_folderChanged;
    struct {
        const QEvent* event = nullptr;
        QPointer<QObject> receiver;
    } m_lastKey; // the key press whose command ran, and where
    yIni* m_ini = nullptr;
    QString m_settingsFile;
    QRect m_restored;
    QString m_stampPath;
    bool m_textShown = false;
    bool m_minimisingForWait = false;
    bool m_hiddenByCompositor = false;
    std::unique_ptr<platform::WindowVisibilityWatch> m_visibility;
    DrawingToolbar* m_drawBar = nullptr;          // a tool window, a child of this one
    imaging::DrawingSession* m_drawing = nullptr; // a child of this window
    bool m_toolbarShown = false;
};
