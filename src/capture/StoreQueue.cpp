#include "capture/StoreQueue.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>

StoreQueue::StoreQueue(QObject* parent) : QObject(parent) {
    // One thread: stores run one after another, in the order they were announced.
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
    m_pool.start([] { platform::lowerCurrentThreadPriority(); });
}

StoreQueue::~StoreQueue() {
    m_pool.waitForDone();
}

void StoreQueue::waitForIdle() {
    m_pool.waitForDone();
    while (m_pending > 0)
        QCoreApplication::sendPostedEvents(this);
}
