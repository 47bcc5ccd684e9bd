#include "decoder/memory_handlers.h"

#include "imaging/sandbox/protocol.h"

#include <cstdlib>
#include <exception>
#include <new>

#include <unistd.h>

namespace tessaline_decoder {
namespace {

[[noreturn]] void OutOfMemory() { ::_exit(imaging::sandbox::kExitOutOfMemory); }

[[noreturn]] void Terminate() {
    try {
        if (const std::exception_ptr e = std::current_exception()) std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (...) {
    }
    std::abort();
}

}  // namespace

void InstallMemoryHandlers() {
    std::set_new_handler(OutOfMemory);
    std::set_terminate(Terminate);
}

}  // namespace tessaline_decoder
