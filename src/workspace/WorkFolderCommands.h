#pragma once
// The work folder and what comes into it: capture wait, the clipboard watch, the intake of
// captures and copies with its outcomes, the prefix and the capture options; and the
// commands on the folder (store the picture as the next number, empty it, open it).
#include "capture/CaptureIntake.h"
#include "capture/CaptureOptions.h"
#include "capture/ClipboardWatcher.h"
#include "capture/WorkFolder.h"

#include <QObject>

#include <deque>
#include <memory>

class CaptureSession;
class MessageSink;
class OperationRegistry;
class PictureFileCommands;
class PictureSession;
class WindowHost;
namespace platform {
class Desktop;
}

class WorkFolderCommands : public QObject, public IntakeTarget {
    Q_OBJECT
public:
    WorkFolderCommands(PictureSession& session, PictureFileCommands& files, MessageSink& messages,
                       WindowHost& host, OperationRegistry& operations, platform::Desktop& desktop,
                       const QString& userDataFolder);
    ~WorkFolderCommands() override;

    WorkFolder& folder() { return m_folder; }
    ClipboardWatcher& watcher() { return *m_watcher; }
    CaptureIntake& intake() { return *m_intake; }
    // Capture wait: the check button "ｷｬﾌﾞﾁｬｰ待機" and minimising follow and ask it.
    CaptureSession& captureWait() { return *m_captureWait; }

    const CaptureOptions& captureOptions() const override { return m_options; }
    void setCaptureOptions(const CaptureOptions& options);
    const QString& prefix() const { return m_prefix; }
    // Takes a prefix for the stored files; a refused one is told and the last usable stays.
    bool setPrefix(const QString& prefix);

    // Offers from the watcher: queued for storing, shown when stored.
    void captureOffered(const platform::ClipboardSnapshot& offer) override;
    void copyOffered(const platform::ClipboardSnapshot& offer) override;
    // Waits for every queued store and shows its outcome.
    void finishIntakes();
    // At the end: every capture already announced is read and stored.
    void finishCapture();

    void saveToWorkFolder();
    void emptyWorkFolder();
    void exploreWorkFolder();

signals:
    void captureOptionsChanged(const CaptureOptions& options);

private:
    void intakeDone(const IntakeOutcome& outcome);

    PictureSession& m_session;
    PictureFileCommands& m_files;
    MessageSink& m_messages;
    WindowHost& m_host;
    platform::Desktop& m_desktop;
    WorkFolder m_folder;
    CaptureOptions m_options;
    QString m_prefix;
    int m_lostOffers = 0;
    bool m_toldNoPointer = false;
    std::deque<quint64> m_workFolderSaves; // picture states on their way to the work folder
    std::unique_ptr<CaptureIntake> m_intake;
    std::unique_ptr<ClipboardWatcher> m_watcher;
    std::unique_ptr<CaptureSession> m_captureWait;
};
