#pragma once
// The system calls the worker may still make once it decodes.

namespace tessaline_decoder {

// Loads the filter for every thread of the process; false when the kernel
// refused it (the worker then does not decode).
bool LoadSystemCallFilter();

}  // namespace tessaline_decoder
