#include "JobSlot.h"

#include "StoreLock.h"

#include <atomic>

namespace {

std::atomic<const JobRunner*> holderRunner {nullptr};

} // namespace

bool JobSlot::tryTake(const JobRunner* runner)
{
    const JobRunner* expected = nullptr;
    if (!holderRunner.compare_exchange_strong(expected, runner))
        return false;
    if (!StoreLock::acquire(StoreLock::Wait::No)) {
        holderRunner.store(nullptr);
        return false;
    }
    return true;
}

void JobSlot::release(const JobRunner* runner)
{
    if (holderRunner.load() != runner)
        return;
    StoreLock::release();
    holderRunner.store(nullptr);
}

const JobRunner* JobSlot::holder()
{
    return holderRunner.load();
}

bool JobSlot::isFree()
{
    if (holderRunner.load())
        return false;
    // Held for a moment only: the lock nests, and another process sees it as taken for that moment at most.
    StoreLockHold hold;
    return hold.held();
}
