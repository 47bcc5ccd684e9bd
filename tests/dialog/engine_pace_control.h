#pragma once
// The dialog tests' own BeforeEngineWork (engine_pace_control.cpp) holds
// each piece of imaging work back for the time set here: a run then lasts
// long enough, on any machine, to watch the window while it runs.

#include <chrono>

void SetEngineDelay(std::chrono::milliseconds delay);

// Sets the delay for the life of a scope.
class EngineDelay {
public:
    explicit EngineDelay(std::chrono::milliseconds delay) { SetEngineDelay(delay); }
    ~EngineDelay() { SetEngineDelay(std::chrono::milliseconds(0)); }
    EngineDelay(const EngineDelay&) = delete;
    EngineDelay& operator=(const EngineDelay&) = delete;
};
