// Starting and stopping the imaging service. The service needs no global
// set-up (its worker threads are started per parallel pass), so a start
// hands out a token and a stop takes it back; the tokens let a caller's
// mistakes (a stop without a start, a wrong version) be reported.
#include "imaging/gdiplus/gdiplus.h"

#include <atomic>
#include <mutex>
#include <set>

namespace imaging {

namespace {

std::mutex g_tokensMutex;
std::set<std::uintptr_t> g_tokens;
std::atomic<std::uintptr_t> g_nextToken{1};

}  // namespace

Status GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput* input, void* output) {
    if (!token || !input) return Status::InvalidParameter;
    if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3) return Status::UnsupportedGdiplusVersion;
    // Without a background thread the caller would have to be handed hooks
    // to drive it; we never run one, so there is nothing to hand out.
    (void)output;
    const std::uintptr_t t = g_nextToken.fetch_add(1);
    const std::lock_guard lock(g_tokensMutex);
    g_tokens.insert(t);
    *token = t;
    return Status::Ok;
}

void GdiplusShutdown(std::uintptr_t token) {
    const std::lock_guard lock(g_tokensMutex);
    g_tokens.erase(token);
}

}  // namespace imaging
