#pragma once
// Which decoding worker the launcher starts: the light one reads the
// everyday formats and hands camera RAW, HEIF and JPEG XL pictures on to
// the full one, which then has to be started as well. With a single input
// whose first bytes show it to be one of those, the launcher starts the
// full worker at once. Without Qt, like the rest of the launcher.
//
// Other pictures the light worker hands on (Qt's readers, metafiles) keep
// the light one: the full worker reads them with Qt's GUI side, which
// wants the runtime folder the converter lends it only once it runs.

#include "imaging/sandbox/worker_start.h"

#include <cstddef>
#include <optional>
#include <string>

namespace launcher {

// The only input of the converter's command line `argv`; nullopt when it
// names none, several, standard input ("-"), or has a word this reading
// does not know (the converter then refuses the line, or is newer than
// this reading). Options and their values are skipped as the converter's
// parser skips them; an option missing its value ends the guess.
std::optional<std::string> OnlyInput(int argc, const char* const* argv);

// The worker for a picture starting with `head` (its first bytes, fewer
// for a short file): the full one for a camera RAW container (CR2, CR3,
// RAF, ORF ...), a HEIF (HEIC, AVIF) and a JPEG XL, the light one for
// everything else.
imaging::sandbox::WorkerKind WorkerKindForHead(const unsigned char* head, std::size_t size);

// The worker for the command line: the light one unless its only input
// can be read and WorkerKindForHead wants the full one.
imaging::sandbox::WorkerKind WorkerKindFor(int argc, const char* const* argv);

}  // namespace launcher
