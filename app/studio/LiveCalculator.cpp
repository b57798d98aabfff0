#include "app/studio/LiveCalculator.h"

#include <QMetaObject>

namespace tadmor::studio {

LiveCalculator::LiveCalculator(QObject* parent) : QObject(parent), worker_([this] { Work(); }) {}

LiveCalculator::~LiveCalculator() {
    {
        const std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    wake_.notify_one();
    worker_.join();  // the calculation under way ends within milliseconds
}

std::uint64_t LiveCalculator::Submit(StudioRequest request) {
    const std::uint64_t generation = ++newest_;
    {
        const std::lock_guard lock(mutex_);
        if (waiting_) ++dropped_;
        waiting_.emplace(generation, std::move(request));
    }
    wake_.notify_one();
    return generation;
}

void LiveCalculator::Work() {
    for (;;) {
        std::pair<std::uint64_t, StudioRequest> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quitting_ || waiting_; });
            if (quitting_) return;
            job = std::move(*waiting_);
            waiting_.reset();
        }
        auto result = std::make_shared<const LiveResult>(ComputeLive(job.second, job.first));
        QMetaObject::invokeMethod(
            this, [this, result] { Deliver(result); }, Qt::QueuedConnection);
    }
}

void LiveCalculator::Deliver(std::shared_ptr<const LiveResult> result) {
    if (result->generation != newest_) {
        ++dropped_;
        return;
    }
    emit Finished(std::move(result));
}

}  // namespace tadmor::studio
