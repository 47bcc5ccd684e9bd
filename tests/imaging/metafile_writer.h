#pragma once
// A tiny metafile writer for the player's tests: records are written field
// by field, little-endian, so each test states exactly what its file holds.

#include "imaging/decode/open_picture_source.h"
#include "imaging/metafile/metafile_source.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/metafile/record_types.h"

#include <QByteArray>
#include <QColor>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <vector>

namespace metafile_test {

// Tests write records, modes and styles by their documented names.
using enum imaging::metafile::WmfRecord;
using enum imaging::metafile::EmfRecord;
using imaging::metafile::EmfRecord;
using imaging::metafile::WmfRecord;
using namespace imaging::metafile::gdi;

class Bytes {
public:
    Bytes& u8(std::uint8_t v) { data_.append(static_cast<char>(v)); return *this; }
    Bytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& i16(std::int16_t v) { return u16(static_cast<std::uint16_t>(v)); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Bytes& f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Bytes& bytes(const QByteArray& b) { data_.append(b); return *this; }
    Bytes& pad4() { while (data_.size() % 4) u8(0); return *this; }
    const QByteArray& data() const { return data_; }
    qsizetype size() const { return data_.size(); }

private:
    QByteArray data_;
};

// EMF: header with a frame in 0.01 mm and a reference device; records are
// a type and their body (the size is filled in).
class EmfWriter {
public:
    EmfWriter(int frameRight, int frameBottom, int deviceW, int deviceH, int mmW, int mmH) {
        Bytes h;
        h.u32(RecordNumber(EMR_HEADER)).u32(88);
        h.i32(0).i32(0).i32(deviceW - 1).i32(deviceH - 1);        // bounds
        h.i32(0).i32(0).i32(frameRight).i32(frameBottom);         // frame
        h.u32(0x464D4520).u32(0x10000).u32(0).u32(0);            // signature, version, sizes (fixed later)
        h.u16(8).u16(0).u32(0).u32(0).u32(0);                    // handles, reserved, description, palette
        h.i32(deviceW).i32(deviceH).i32(mmW).i32(mmH);
        file_ = h.data();
    }
    EmfWriter& Record(EmfRecord type, const Bytes& body) {
        Bytes r;
        r.u32(RecordNumber(type)).u32(static_cast<std::uint32_t>(8 + body.size()));
        r.bytes(body.data());
        file_.append(r.data());
        ++records_;
        return *this;
    }
    EmfWriter& Record(EmfRecord type, std::initializer_list<std::int32_t> fields) {
        Bytes b;
        for (std::int32_t f : fields) b.i32(f);
        return Record(type, b);
    }
    QByteArray Finish() {
        Record(EMR_EOF, {0, 0, 20});
        QByteArray out = file_;
        Patch(out, 48, static_cast<std::uint32_t>(out.size()));
        Patch(out, 52, records_);
        return out;
    }

    static void Patch(QByteArray& b, int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }

private:
    QByteArray file_;
    std::uint32_t records_ = 1;
};

// WMF with a placeable header; records are a function and 16-bit words.
class WmfWriter {
public:
    WmfWriter(std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom, std::uint16_t inch) {
        Bytes p;
        p.u32(0x9AC6CDD7).u16(0).i16(left).i16(top).i16(right).i16(bottom).u16(inch).u32(0);
        // Checksum: XOR of the ten words before it.
        std::uint16_t sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(p.data()[i]) |
                                              (static_cast<std::uint8_t>(p.data()[i + 1]) << 8));
        p.u16(sum);
        placeable_ = p.data();
    }
    WmfWriter& Record(WmfRecord function, const Bytes& params) {
        Bytes r;
        r.u32(static_cast<std::uint32_t>(3 + (params.size() + 1) / 2)).u16(RecordNumber(function)).bytes(params.data());
        if (params.size() % 2) r.u8(0);
        records_.append(r.data());
        return *this;
    }
    WmfWriter& Record(WmfRecord function, std::initializer_list<std::int16_t> words) {
        Bytes b;
        for (std::int16_t w : words) b.i16(w);
        return Record(function, b);
    }
    QByteArray Finish(bool placeable = true) {
        Record(META_EOF, Bytes());
        Bytes h;
        h.u16(1).u16(9).u16(0x0300).u32(static_cast<std::uint32_t>((18 + records_.size()) / 2)).u16(objects).u32(64).u16(0);
        return (placeable ? placeable_ : QByteArray()) + h.data() + records_;
    }
    std::uint16_t objects = 8;

private:
    QByteArray placeable_;
    QByteArray records_;
};

// A BITMAPINFOHEADER for a bottom-up 24-bit DIB, and its rows from the
// bottom row up, each padded to 4 bytes.
inline QByteArray Dib24Info(int w, int h) {
    Bytes b;
    b.u32(40).i32(w).i32(h).u16(1).u16(24).u32(0).u32(0).i32(2835).i32(2835).u32(0).u32(0);
    return b.data();
}
inline QByteArray Dib24Bits(const std::vector<std::vector<QRgb>>& topDownRows) {
    Bytes b;
    for (auto row = topDownRows.rbegin(); row != topDownRows.rend(); ++row) {
        for (QRgb c : *row) b.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c));
        b.pad4();
    }
    return b.data();
}

// Plays `file` through the public source and returns the first frame.
inline imaging::Status Render(const QByteArray& file, imaging::PixelBuffer& out,
                              const imaging::DecodeLimits& limits = {}) {
    std::unique_ptr<imaging::PictureSource> source;
    const imaging::Status opened = imaging::OpenMetafileSourceFromBytes(file, limits, source);
    if (opened != imaging::Status::Ok) return opened;
    return source->DecodeFrame(imaging::FrameDimensionPage, 0, out);
}

inline QRgb Pixel(const imaging::PixelBuffer& b, int x, int y) {
    const std::uint8_t* p = b.row(y) + 3 * x;
    return qRgb(p[0], p[1], p[2]);
}

// Colours within a small tolerance (antialiased edges are never sampled).
inline bool Near(QRgb a, QRgb b, int tolerance = 8) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Pixels darker than mid grey in [x0, x1) x [y0, y1): where text or lines landed.
inline int CountDark(const imaging::PixelBuffer& b, int x0, int y0, int x1, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) dark += qGray(Pixel(b, x, y)) < 128;
    return dark;
}

constexpr QRgb kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kBlack = 0xFF000000, kGreen = 0xFF00FF00;

// A 2 x 2 bitmap with a colour in each quarter: red, green on top; blue,
// black below. Drawn scaled, each pixel becomes a block of its colour.
inline QByteArray QuadrantBits() { return Dib24Bits({{kRed, kGreen}, {kBlue, kBlack}}); }

// A pixel a test expects: its place, its colour, and how far each channel
// may be off (0: exactly that colour).
struct Spot {
    int x, y;
    QRgb colour;
    int tolerance = 0;
};

// Checks every spot, naming each one that differs.
inline ::testing::AssertionResult Shows(const imaging::PixelBuffer& out, std::initializer_list<Spot> spots) {
    std::ostringstream wrong;
    for (const Spot& s : spots) {
        const QRgb got = Pixel(out, s.x, s.y);
        if (s.tolerance == 0 ? got == s.colour : Near(got, s.colour, s.tolerance)) continue;
        wrong << "(" << s.x << ", " << s.y << ") is " << std::hex << got << ", expected " << s.colour << std::dec
              << " within " << s.tolerance << "; ";
    }
    if (wrong.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong.str();
}

// Plays `file` and checks the spots on what it drew.
inline ::testing::AssertionResult RendersAs(const QByteArray& file, std::initializer_list<Spot> spots) {
    imaging::PixelBuffer out;
    if (const imaging::Status s = Render(file, out); s != imaging::Status::Ok)
        return ::testing::AssertionFailure() << "rendering failed with status " << static_cast<int>(s);
    return Shows(out, spots);
}

// The quarters of QuadrantBits() sampled at the given columns and rows.
inline ::testing::AssertionResult ShowsQuadrants(const imaging::PixelBuffer& out, int left, int right, int top,
                                                 int bottom) {
    return Shows(out, {{left, top, kRed, 12}, {right, top, kGreen, 12}, {left, bottom, kBlue, 12},
                       {right, bottom, kBlack, 12}});
}

}  // namespace metafile_test
