#pragma once
// Misbehaviour on command, for the tests of the program's side: only the
// test build's tessaline-decoder-faulty has it (TESS_DECODER_FAULTS); the
// real worker compiles it away.

#include "decoder/lockdown.h"

namespace tessaline_decoder {

#ifdef TESS_DECODER_FAULTS
// After the lockdown, a picture that starts with "FAULT:" and a name asks
// for one (the real worker takes such a file for an unknown format):
//   crash     dies of SIGSEGV
//   hang      spins for ever
//   allocate  takes memory until there is none
//   lie       answers the opening with more dimensions than allowed
//   probe     tries what the lockdown forbids and sends the outcomes as one
//             text packet "name=errno ...", then exits; the file's next two
//             lines name a file to read and one to create
// Any other picture decodes as usual.
void RunFault(int socket, const LockdownReport& report);
#else
inline void RunFault(int, const LockdownReport&) {}
#endif

}  // namespace tessaline_decoder
