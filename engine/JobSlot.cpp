#include "JobSlot.h"

#include <atomic>

namespace {

std::atomic<bool> busy {false};

} // namespace

bool JobSlot::tryAcquire()
{
    bool expected = false;
    return busy.compare_exchange_strong(expected, true);
}

void JobSlot::release()
{
    busy.store(false);
}

bool JobSlot::isBusy()
{
    return busy.load();
}
