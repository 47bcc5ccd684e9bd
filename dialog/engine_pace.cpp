// Kept alone in its file so that a test program can supply its own
// BeforeEngineWork and this one is then not linked at all.
#include "dialog/engine_pace.h"

void BeforeEngineWork() {}
