#include "capture/StoreQueue.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>

StoreQueue::StoreQueue(QObject* parent) : QObject(parent), m_thread([this] { run(); }) {}

StoreQueue::~StoreQueue() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void StoreQueue::enqueue(std::function<void()> job) {
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void StoreQueue::run() {
    platform::lowerCurrentThreadPriority();
    std::unique_lock lock(m_mutex);
    for (;;) {
        // What was posted before the end is still stored.
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running = true;
        lock.unlock();
        job();
        lock.lock();
        m_running = false;
        if (m_jobs.empty())
            m_drained.notify_all();
    }
}

void StoreQueue::waitForIdle() {
    {
        std::unique_lock lock(m_mutex);
        m_drained.wait(lock, [this] { return m_jobs.empty() && !m_running; });
    }
    while (m_pending > 0)
        QCoreApplication::sendPostedEvents(this);
}
