#pragma once
// How long the window's thread goes without answering. Off unless the logging category
// "tolvik.probe" is on (QT_LOGGING_RULES="tolvik.probe.debug=true"); then a timer ticks every
// 10 ms on the window's thread and each gap between two ticks of more than 20 ms is logged
// ("no answer for N ms", logged when the thread answers again), the longest at the end; and
// the first paint of the picture view after the picture changed is logged ("picture shown"),
// so an edit can be timed from its command to the screen, and the first paint of all ("first
// paint"), for the time from start to a window on the screen. Off, it costs nothing: no timer,
// no wake-ups, no event filter.
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QTimer>

namespace imaging {
class PictureDocument;
}

Q_DECLARE_LOGGING_CATEGORY(lcProbe)

// The gaps between the ticks of a clock, in milliseconds.
class GapMeter {
public:
    explicit GapMeter(qint64 reportOver) : m_reportOver(reportOver) {}
    // A tick at time t; the gap since the tick before when it is one to report, else 0.
    qint64 tick(qint64 t);
    qint64 longest() const { return m_longest; }

private:
    qint64 m_reportOver;
    qint64 m_last = -1;
    qint64 m_longest = 0;
};

class ResponsivenessProbe : public QObject {
public:
    static constexpr int kTickMs = 10;
    static constexpr int kReportOverMs = 20;

    explicit ResponsivenessProbe(imaging::PictureDocument& picture, QObject* parent = nullptr);
    ~ResponsivenessProbe() override;

    bool running() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    GapMeter m_gaps{kReportOverMs};
    bool m_pictureChanged = false;
    bool m_painted = false;
};
