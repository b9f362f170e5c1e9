#include "studio/board/LockPoll.h"

namespace tessary {

std::string PollLock(bool kx6500, const CConfig& config, CRegisterBus& bus) {
    if (kx6500) {
        if (config.kx6200.lock == 0) return kLockDisabled;
        return (bus.ReadRegisterKX6500(0xE4) & 0x01) ? kInLock : kNotLocked;
    }
    return bus.GetLockPin() ? kInLock : kNotLocked;
}

}  // namespace tessary
