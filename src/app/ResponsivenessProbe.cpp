#include "app/ResponsivenessProbe.h"

#include "imaging/ImageView.h"
#include "imaging/PictureDocument.h"

#include <QCoreApplication>
#include <QEvent>

Q_LOGGING_CATEGORY(lcProbe, "tolvik.probe", QtWarningMsg)

qint64 GapMeter::tick(qint64 t) {
    const qint64 gap = m_last < 0 ? 0 : t - m_last;
    m_last = t;
    m_longest = std::max(m_longest, gap);
    return gap > m_reportOver ? gap : 0;
}

ResponsivenessProbe::ResponsivenessProbe(imaging::PictureDocument& picture, QObject* parent)
    : QObject(parent) {
    if (!lcProbe().isDebugEnabled())
        return;
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &ResponsivenessProbe::tick);
    connect(&picture, &imaging::PictureDocument::changed, this,
            [this] { m_pictureChanged = true; });
    qApp->installEventFilter(this);
    m_clock.start();
    m_timer.start();
    tick();
}

ResponsivenessProbe::~ResponsivenessProbe() {
    if (running())
        qCDebug(lcProbe, "longest gap %lld ms", m_gaps.longest());
}

void ResponsivenessProbe::tick() {
    if (const qint64 gap = m_gaps.tick(m_clock.elapsed()))
        qCDebug(lcProbe, "no answer for %lld ms", gap);
}

bool ResponsivenessProbe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && !m_painted) {
        m_painted = true; // the time since the process started is in the message pattern
        QTimer::singleShot(0, this, [] { qCDebug(lcProbe, "first paint"); });
    }
    // The view paints on its viewport; the log line follows once the paint has gone out.
    if (m_pictureChanged && event->type() == QEvent::Paint && watched->parent() &&
        qobject_cast<imaging::ImageView*>(watched->parent())) {
        m_pictureChanged = false;
        QTimer::singleShot(0, this, [] { qCDebug(lcProbe, "picture shown"); });
    }
    return false;
}
