#include "core/jobrunner.h"

namespace quillfen {

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool JobRunner::start(std::function<void()> work, std::function<void()> done) {
    if (m_thread)
        return false;
    m_done = std::move(done);
    m_thread = QThread::create(std::move(work));
    const quint64 serial = ++m_serial;
    // A job finished by wait() must not complete a later job when its queued
    // notice arrives.
    connect(
        m_thread, &QThread::finished, this,
        [this, serial] {
            if (serial == m_serial)
                complete();
        },
        Qt::QueuedConnection);
    m_thread->start();
    return true;
}

void JobRunner::complete() {
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done();
    emit finished();
}

void JobRunner::wait() {
    if (!m_thread)
        return;
    m_thread->wait();
    complete();
}

} // namespace quillfen
