#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <functional>

namespace quillfen {

// Runs one long job at a time on a worker thread. The job never touches
// widgets or the result list; when it ends, its completion step runs on the
// thread that owns the runner (the window thread), which takes the result.
class JobRunner : public QObject {
    Q_OBJECT
public:
    explicit JobRunner(QObject* parent = nullptr);
    ~JobRunner() override; // waits for a running job

    bool isRunning() const { return m_thread != nullptr; }
    // Starts work on the worker thread; done runs afterwards on this thread.
    // Returns false when a job is already running.
    bool start(std::function<void()> work, std::function<void()> done);
    // Blocks until the running job and its completion step have finished.
    void wait();

signals:
    void finished();

private:
    void complete();

    QThread* m_thread = nullptr;
    quint64 m_serial = 0;
    std::function<void()> m_done;
};

} // namespace quillfen
