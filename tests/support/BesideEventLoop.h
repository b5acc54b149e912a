#pragma once

#include <QEventLoop>
#include <QThread>
#include <functional>
#include <memory>

namespace TestSupport {

// Runs `work` on another thread while this thread's event loop runs, as another process talking
// to this one would; returns once it is done.
inline void RunBesideEventLoop(std::function<void()> work) {
    std::unique_ptr<QThread> thread(QThread::create(std::move(work)));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    thread->wait();
}

}  // namespace TestSupport
