#pragma once
// Recognising a profile that is sRGB in all but name: cameras and editors
// embed their own copies of sRGB (v2, v4, other descriptions), and
// converting through them would only cost time and add rounding.

typedef void* cmsHPROFILE;

namespace imaging::colour {

// True when `profile` is an RGB matrix/shaper profile whose colorants and
// tone curves match the sRGB definition closely enough that a conversion
// would change no 8-bit value by more than rounding.
bool ProfileMatchesSrgb(cmsHPROFILE profile);

}  // namespace imaging::colour
