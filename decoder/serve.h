#pragma once
// The worker's conversation with the program, once it is locked down: open
// the picture, answer with what the program needs to know of it, then one
// request at a time until the program hangs up.

#include "imaging/core/picture_source.h"

#include <QString>

namespace tessaline_decoder {

// Returns the process's exit status.
int Serve(int socket, const QString& picturePath, const imaging::DecodeLimits& limits);

}  // namespace tessaline_decoder
