#pragma once
// A seam in the worker's path: called on the worker thread just before each
// piece of imaging work. The program's own version (engine_pace.cpp) does
// nothing. The dialog tests link a version of their own in its place, which
// can hold the work back long enough to watch the window during a run.

void BeforeEngineWork();
