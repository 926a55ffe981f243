#include "core/platform/filelimit.h"

#include <sys/resource.h>

namespace {

// The limit found at start-up; written once, before other threads exist, and only read afterwards.
rlimit originalLimit{};
bool limitRaised = false;

} // namespace

void RaiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        const rlimit found = limit;
        limit.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &limit) == 0) {
            originalLimit = found;
            limitRaised = true;
        }
    }
}

void RestoreOpenFileLimit() noexcept
{
    if (limitRaised)
        ::setrlimit(RLIMIT_NOFILE, &originalLimit);
}
