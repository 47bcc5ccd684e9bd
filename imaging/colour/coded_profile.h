#pragma once
// ICC profiles for pictures whose colour space is named by code points
// (ITU-T H.273: colour primaries and transfer characteristics), as HEIF
// and AVIF files state it in an nclx colour box instead of a profile.

#include <cstdint>
#include <vector>

namespace imaging::colour {

// A matrix/shaper RGB profile with the primaries' chromaticities, their
// white point and the tone curve of the transfer characteristics. Empty
// when the pair means sRGB as viewers show it (BT.709 or unstated
// primaries with the sRGB or BT.709 family of curves), so such pictures
// are left exactly as they decode; and empty when a profile cannot
// describe the pair faithfully (PQ and HLG, logarithmic curves, XYZ
// primaries, reserved values), so those are taken as sRGB too.
std::vector<std::uint8_t> ProfileFromCodePoints(int colourPrimaries, int transferCharacteristics);

}  // namespace imaging::colour
