#pragma once
// Capture wait: while hooked, every clipboard change is classified as a screen capture
// or another program's copy and handed to the main window's intakes.
#include "platform/Platform.h"

#include <QImage>
#include <QObject>

#include <memory>

// What the watcher calls on the main window.
class IntakeTarget {
public:
    virtual ~IntakeTarget() = default;
    virtual bool bMPnt() const = 0;
    virtual bool bCpyE() const = 0;
    virtual void sjClip(int nPsX, int nPsY, const QImage& nCur) = 0;
    virtual void sjClp2() = 0;
};

class ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    ClipboardWatcher(platform::Desktop& desktop, IntakeTarget& target);
    ~ClipboardWatcher() override;

    // On for 1, off for any other check value; repeating a state does nothing.
    void SetCaptureHook(int value);
    bool hooked() const { return m_hooked; }

    // 0 and 65500..65599 are screen captures; everything else is a copy.
    static bool isCaptureValue(qint32 wParam);

    // Handles one change notification. One that arrives while an intake runs is taken
    // in right after it, instead of being lost.
    void ClipboardWndProc(qint32 wParam);

    // Pointer image and its position less the fixed offset (6, 8).
    void ReadMouseCursor(QImage& cursor, int& x, int& y);

    // Tells the platform which picture was just taken in.
    void noteTaken(quint64 pictureKey);

private:
    void handle(qint32 wParam);

    platform::Desktop& m_desktop;
    IntakeTarget& m_target;
    std::unique_ptr<platform::ClipboardWatch> m_watch;
    bool m_hooked = false;
    bool m_inHandler = false;
    bool m_pending = false;
    qint32 m_pendingValue = 0;
};
