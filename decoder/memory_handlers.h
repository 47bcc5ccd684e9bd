#pragma once
// Out of memory ends the worker with kExitOutOfMemory, which the program
// reports as such (an allocation that throws would otherwise abort).

namespace tessaline_decoder {

void InstallMemoryHandlers();

}  // namespace tessaline_decoder
