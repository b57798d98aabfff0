// Recalculates as the engineer types: each edit's request goes to one worker
// thread; a request not yet started when a newer one comes is dropped, never
// queued, and a result that a newer edit has superseded is not delivered.
#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/studio/LiveResult.h"

namespace tadmor::studio {

class LiveCalculator : public QObject {
    Q_OBJECT
public:
    explicit LiveCalculator(QObject* parent = nullptr);
    ~LiveCalculator() override;

    // Calculates `request` as soon as the worker is free, in place of any
    // request still waiting. Returns its generation.
    std::uint64_t Submit(StudioRequest request);

    // Requests dropped unstarted and results not delivered, since the start.
    int Dropped() const { return dropped_; }

signals:
    // The result of the newest request, in the thread of this object.
    void Finished(std::shared_ptr<const LiveResult> result);

private:
    void Work();
    void Deliver(std::shared_ptr<const LiveResult> result);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<std::uint64_t, StudioRequest>> waiting_;
    bool quitting_ = false;
    std::atomic<std::uint64_t> newest_{0};
    std::atomic<int> dropped_{0};
    std::thread worker_;
};

}  // namespace tadmor::studio
