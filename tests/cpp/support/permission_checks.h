#ifndef TESK_VUMO_TESTS_PERMISSION_CHECKS_H
#define TESK_VUMO_TESTS_PERMISSION_CHECKS_H

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tesk_vumo::testing {

/// While alive, this thread no longer overrides file permissions, so that
/// a test running as root meets an unreadable file like any user would.
/// Capabilities are per thread and only the effective set is lowered: the
/// destructor can raise them again.
class PermissionChecksEnforced
{
public:
    PermissionChecksEnforced()
    {
        lowered_ = ::syscall(SYS_capget, &header_, saved_) == 0;
        if (!lowered_)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    /// Whether permissions now bind this thread (always for other users).
    bool enforced() const { return lowered_ || ::geteuid() != 0; }

    ~PermissionChecksEnforced()
    {
        if (lowered_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionChecksEnforced(const PermissionChecksEnforced&) = delete;
    PermissionChecksEnforced& operator=(const PermissionChecksEnforced&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};

} // namespace tesk_vumo::testing

#endif
