#pragma once
// Resolutions as the decoders report them: dots per inch, 96 where the
// file states none.

namespace imaging::decode {

constexpr float kDefaultDpi = 96.0f;

// A stated resolution in dots per inch, or 96 when it is missing, zero or
// absurd. Values within 0.02 of a whole number become that number: files
// that store dots per metre or per centimetre mean a whole DPI, and the
// conversion's rounding should not show.
float TidyDpi(double dpi);

// Qt's dots per metre. Qt reports its own default (3780, about 96.01 DPI)
// for files that state nothing; that reads as 96.
float DpiFromDotsPerMeter(int dotsPerMeter);

// A density in a unit: 1 per inch, 2 per centimetre (the JFIF codes).
float DpiFromDensity(double density, int unit);

}  // namespace imaging::decode
