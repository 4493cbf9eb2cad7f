#pragma once
// Capture wait: while hooked, every clipboard offer is classified as a screen capture or
// another program's copy and handed, with the data read for it, to the main window's
// intakes.
#include "capture/CaptureOptions.h"
#include "platform/Platform.h"

#include <QObject>

#include <memory>

// What the watcher calls on the main window.
class IntakeTarget {
public:
    virtual ~IntakeTarget() = default;
    virtual const CaptureOptions& captureOptions() const = 0;
    virtual void captureOffered(const platform::ClipboardSnapshot& offer) = 0;
    virtual void copyOffered(const platform::ClipboardSnapshot& offer) = 0;
};

class ClipboardWatcher : public QObject {
    Q_OBJECT
public:
    ClipboardWatcher(platform::Desktop& desktop, IntakeTarget& target);
    ~ClipboardWatcher() override;

    // Repeating a state does nothing.
    void setWatching(bool on);
    bool hooked() const { return m_hooked; }
    // At the end: the offers already announced are read and handed to the intakes.
    void finish();

    // 0 and 65500..65599 are screen captures; everything else is a copy.
    static bool isCaptureValue(qint32 value);

    // Handles one offer. Intakes only queue their work, so offers are never nested.
    void handleOffer(const platform::ClipboardSnapshot& offer);

private:
    IntakeTarget& m_target;
    std::unique_ptr<platform::ClipboardWatch> m_watch;
    bool m_hooked = false;
};
