#pragma once
// Reading the numeric edit fields. Each field is read through a buffer of a
// fixed size, as the classic text call does, so a longer text is cut before
// it is parsed: the output size fields are read as 255 characters, the frame
// number as 127, the text position and every exchanged number as 63.

#include <cstdint>
#include <optional>

class CDialog;

// Buffer sizes, terminator included.
inline constexpr int kSizeFieldBuffer = 256;
inline constexpr int kFrameFieldBuffer = 128;
inline constexpr int kNumberFieldBuffer = 64;  // text positions and exchanged numbers

// The field's text, cut to bufferChars - 1 characters, read with the decimal
// field parse (ParseDecimalField); nothing when the field is empty, which
// callers that do not tell the two apart read as 0, as the parse would.
std::optional<std::int32_t> ReadNumberField(const CDialog& dialog, int id, int bufferChars);
