#include "JobSlot.h"

#include "StoreLock.h"

#include <atomic>

namespace {

std::atomic<bool> busy {false};

} // namespace

bool JobSlot::tryAcquire()
{
    bool expected = false;
    if (!busy.compare_exchange_strong(expected, true))
        return false;
    if (!StoreLock::acquire(StoreLock::Wait::No)) {
        busy.store(false);
        return false;
    }
    return true;
}

void JobSlot::release()
{
    StoreLock::release();
    busy.store(false);
}

bool JobSlot::isBusy()
{
    return busy.load();
}
