#pragma once
// The wait cursor for the length of a scope: shown when made, taken back when
// the scope ends, however it ends.

#include "platform/platform_services.h"

class WaitCursor {
public:
    // The services are held so that the cursor goes back to the ones that
    // showed it.
    explicit WaitCursor(PlatformServices& services = Services()) : services_(services) { services_.BeginWaitCursor(); }
    ~WaitCursor() { services_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    PlatformServices& services_;
};
