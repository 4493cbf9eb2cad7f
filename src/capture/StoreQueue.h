#pragma once
// Runs storing work (decoding, converting, encoding, writing) on one thread of its own, in
// the order it was posted, and hands each result back on the thread that owns the queue.
// The user-interface thread never waits for a picture being written.
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class StoreQueue : public QObject {
    Q_OBJECT
public:
    explicit StoreQueue(QObject* parent = nullptr);
    // Finishes everything posted: an announced capture is never dropped on the way out.
    ~StoreQueue() override;

    template <typename R> void post(std::function<R()> work, std::function<void(R)> done) {
        ++m_pending;
        enqueue([this, work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<R>(work());
            QMetaObject::invokeMethod(
                this,
                [this, done = std::move(done), result] {
                    --m_pending;
                    if (done)
                        done(std::move(*result));
                },
                Qt::QueuedConnection);
        });
    }

    // Waits until the work posted so far has run and its results have been handed back.
    void waitForIdle();

private:
    void enqueue(std::function<void()> job);
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::function<void()>> m_jobs;
    bool m_running = false;
    bool m_stop = false;
    int m_pending = 0; // posted and not yet handed back; user-interface thread only
    std::thread m_thread;
};
