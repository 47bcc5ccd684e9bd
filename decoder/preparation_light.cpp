// The light worker's decoders read nothing but the picture and need no Qt
// GUI side: nothing to set up, and nothing but the picture stays readable.
#include "decoder/preparation.h"

namespace tessaline_decoder {

Preparation Prepare(int&, char**, int, const QString&) { return {}; }

}  // namespace tessaline_decoder
