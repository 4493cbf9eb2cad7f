#pragma once
// Capture wait as a state of its own: while waiting, the clipboard watcher takes offers in.
// The window mirrors the state in its check button and minimises itself when it begins.
#include <QObject>

#include <functional>

class ClipboardWatcher;

class CaptureSession : public QObject {
    Q_OBJECT
public:
    // scanFolder is asked for each time waiting begins, so numbering starts from the folder.
    CaptureSession(ClipboardWatcher& watcher, std::function<void()> scanFolder,
                   QObject* parent = nullptr);

    bool waiting() const { return m_waiting; }
    // Repeating the current state does nothing and tells nobody.
    void setWaiting(bool on);

signals:
    void waitingChanged(bool on);

private:
    ClipboardWatcher& m_watcher;
    std::function<void()> m_scanFolder;
    bool m_waiting = false;
};
