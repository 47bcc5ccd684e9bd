#pragma once
// Identifiers of frame dimensions, encoders and encoder parameters, with the
// published values every layer shares (defined in guids.cpp).

#include <cstdint>

namespace imaging {

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
    bool operator==(const GUID&) const = default;
};
using CLSID = GUID;

// Frame dimensions: the published identifiers.
extern const GUID FrameDimensionTime;        // {6AEDBD6D-3FB5-418A-83A6-7F45229DC872}
extern const GUID FrameDimensionResolution;  // {84236F7B-3BD3-428F-8DAB-4EA1439CA315}
extern const GUID FrameDimensionPage;        // {7462DC86-6180-4C7E-8E3F-EE7333A7A483}
// The quality parameter of the JPEG encoder.
extern const GUID EncoderQuality;            // {1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}

}  // namespace imaging
