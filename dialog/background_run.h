#pragma once
// Long imaging work (loading a picture, a conversion) runs on a worker
// thread so that the window keeps painting, while the handler that started
// it waits as if it had done the work itself: the user's input is held back
// until the work is over (it is delivered afterwards, as a busy window would
// receive it), and everything else the user-interface thread does, painting
// and timers, goes on.

#include <functional>

// Runs `work` on a worker thread and returns once it has finished. When the
// run lasts longer than a moment, `onProgress` is called on the
// user-interface thread at a steady pace with a growing step number, so the
// caller can animate an indicator. Only one run at a time.
void RunOffUserInterfaceThread(const std::function<void()>& work, const std::function<void(int step)>& onProgress);

// From the worker: runs `call` on the user-interface thread and waits until
// it has returned (a message box is answered before the work goes on). On the
// user-interface thread itself it simply runs `call`.
void CallOnUserInterfaceThread(const std::function<void()>& call);
