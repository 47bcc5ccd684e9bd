// Takes the place of the program's BeforeEngineWork (dialog/engine_pace.cpp)
// in the dialog tests: the linker finds this definition first and does not
// take the library's.
#include "dialog/engine_pace.h"
#include "tests/dialog/engine_pace_control.h"

#include <atomic>
#include <thread>

namespace {
std::atomic<long long> g_delayMs{0};
}

void SetEngineDelay(std::chrono::milliseconds delay) { g_delayMs = delay.count(); }

void BeforeEngineWork() {
    const long long ms = g_delayMs.load();
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
