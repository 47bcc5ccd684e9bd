// PNG rows decoded without libpng (8-bit grey, grey+alpha, RGB and RGBA)
// against libpng's own decode of the same file: random filtered bytes
// under every filter type, the zlib stream split at every byte, and
// damaged files failing or passing as libpng has them. The files are put
// together chunk by chunk here, so each fault is exactly where it is meant.
#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include <png.h>
#include <zlib.h>

#include <random>

using namespace imaging;
using namespace decode_test;

namespace {

struct Chunk {
    std::string type;
    QByteArray data;
    bool badCrc = false;
};

QByteArray Be32(std::uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray Assemble(const std::vector<Chunk>& chunks) {
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    for (const Chunk& c : chunks) {
        QByteArray body = QByteArray::fromStdString(c.type) + c.data;
        auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size())));
        file += Be32(std::uint32_t(c.data.size())) + body + Be32(c.badCrc ? crc ^ 1u : crc);
    }
    return file;
}

QByteArray Ihdr(int width, int height, int colourType) {
    return Be32(std::uint32_t(width)) + Be32(std::uint32_t(height)) + QByteArray(1, 8) + QByteArray(1, char(colourType)) +
           QByteArray(3, 0);
}

QByteArray Compress(const QByteArray& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray out(int(size), 0);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
              uLong(raw.size()), 9);
    out.resize(int(size));
    return out;
}

int Channels(int colourType) { return colourType == 0 ? 1 : colourType == 4 ? 2 : colourType == 2 ? 3 : 4; }

// Rows of random bytes, each behind a filter byte from `filters` in turn.
QByteArray FilteredRows(int width, int height, int colourType, const std::vector<int>& filters, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw += char(filters[std::size_t(y) % filters.size()]);
        for (int i = 0; i < width * Channels(colourType); ++i) raw += char(random() & 0xFF);
    }
    return raw;
}

// IHDR, the stream in IDATs of `pieceBytes` each, IEND; `extra` chunks go
// between the last IDAT and IEND.
std::vector<Chunk> Picture(int width, int height, int colourType, const QByteArray& stream, int pieceBytes,
                           const std::vector<Chunk>& extra = {}) {
    std::vector<Chunk> chunks{{"IHDR", Ihdr(width, height, colourType)}};
    for (int at = 0; at < stream.size(); at += pieceBytes) chunks.push_back({"IDAT", stream.mid(at, pieceBytes)});
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    chunks.push_back({"IEND", {}});
    return chunks;
}

[[noreturn]] void LibpngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void LibpngWarning(png_structp, png_const_charp) {}

bool LibpngRows(png_structp png, png_infop info, std::vector<std::uint8_t>& pixels) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    pixels.assign(rowBytes * png_get_image_height(png, info), 0);
    for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y) png_read_row(png, &pixels[y * rowBytes], nullptr);
    png_read_end(png, nullptr);
    return true;
}

// libpng's decode of the file, as RGB(A) rows packed; empty when it fails.
std::vector<std::uint8_t> LibpngDecode(const QString& path) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, LibpngError, LibpngWarning);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_WARN_DISCARD);
    std::vector<std::uint8_t> pixels;
    if (!LibpngRows(png, info, pixels)) pixels.clear();
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return pixels;
}

std::vector<std::uint8_t> Packed(const PixelBuffer& frame) {
    std::vector<std::uint8_t> out;
    const std::size_t rowBytes = std::size_t(frame.width()) * frame.channels();
    for (int y = 0; y < frame.height(); ++y) out.insert(out.end(), frame.row(y), frame.row(y) + rowBytes);
    return out;
}

class BandCollector final : public RowSink {
public:
    std::vector<std::uint8_t> pixels;
    std::size_t rowBytes = 0;
    bool Begin(int width, int, PixelLayout layout) override {
        rowBytes = std::size_t(width) * (layout == PixelLayout::Rgba8 ? 4 : 3);
        return true;
    }
    bool Rows(int, int count, const std::uint8_t* data, std::size_t stride) override {
        for (int i = 0; i < count; ++i)
            pixels.insert(pixels.end(), data + stride * std::size_t(i), data + stride * std::size_t(i) + rowBytes);
        return true;
    }
};

class PngRows : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();

    QString Put(const std::vector<Chunk>& chunks, const QString& name = "p.png") {
        const QString path = folder + "/" + name;
        WriteBytes(path, Assemble(chunks));
        return path;
    }

    // Our whole-frame decode, checked against the streamed one.
    static std::vector<std::uint8_t> Decode(const QString& path, Status& status) {
        std::unique_ptr<PictureSource> source;
        status = OpenPictureSource(path, DecodeLimits{}, source);
        if (status != Status::Ok) return {};
        PixelBuffer frame;
        status = source->DecodeFrame(FrameDimensionPage, 0, frame);
        BandCollector sink;
        const Status streamed = source->DecodeFrameRows(FrameDimensionPage, 0, 1, 1, sink);
        EXPECT_EQ(streamed, status);
        if (status != Status::Ok) return {};
        EXPECT_TRUE(frame.empty() == false);
        EXPECT_EQ(sink.pixels, Packed(frame));
        return Packed(frame);
    }
};

TEST_F(PngRows, EveryFilterAndLayoutDecodesAsLibpngDoes) {
    const std::vector<std::vector<int>> filterRuns = {{0, 1, 2, 3, 4}, {3}, {4}, {4, 3, 1, 2, 0, 2, 3}};
    unsigned seed = 1;
    for (int colourType : {0, 2, 4, 6})
        for (int width : {1, 2, 7, 40})
            for (const auto& filters : filterRuns) {
                SCOPED_TRACE(testing::Message() << "colour type " << colourType << ", width " << width
                                                << ", first filter " << filters[0]);
                const int height = 37;  // more than one band of 16 rows
                const QByteArray stream = Compress(FilteredRows(width, height, colourType, filters, seed++));
                const QString path = Put(Picture(width, height, colourType, stream, 100));
                Status status;
                const std::vector<std::uint8_t> ours = Decode(path, status);
                ASSERT_EQ(status, Status::Ok);
                const std::vector<std::uint8_t> reference = LibpngDecode(path);
                ASSERT_FALSE(reference.empty());
                EXPECT_EQ(ours, reference);
            }
}

TEST_F(PngRows, StreamSplitAtEveryByteStillDecodes) {
    // IDATs of one byte: the zlib header, every row and the ADLER32 are
    // each spread over several chunks, with empty IDATs in between.
    const QByteArray stream = Compress(FilteredRows(5, 6, 6, {0, 1, 2, 3, 4}, 99));
    std::vector<Chunk> chunks = Picture(5, 6, 6, stream, 1);
    chunks.insert(chunks.begin() + 3, Chunk{"IDAT", {}});
    const QString path = Put(chunks);
    Status status;
    EXPECT_EQ(Decode(path, status), LibpngDecode(path));
    EXPECT_EQ(status, Status::Ok);
}

TEST_F(PngRows, DamageFailsOrPassesAsLibpngHasIt) {
    const int width = 24, height = 20;
    const QByteArray raw = FilteredRows(width, height, 2, {1, 3, 4}, 7);
    const QByteArray stream = Compress(raw);
    const auto picture = [&](const QByteArray& s, const std::vector<Chunk>& extra = {}) {
        return Picture(width, height, 2, s, 300, extra);
    };
    Status status;
    const std::vector<std::uint8_t> good = Decode(Put(picture(stream)), status);
    ASSERT_EQ(status, Status::Ok);

    QByteArray badAdler = stream;
    badAdler[badAdler.size() - 1] = char(badAdler[badAdler.size() - 1] ^ 0x10);
    QByteArray badFilter = raw;
    badFilter[0] = 5;
    QByteArray shortRows = raw;
    shortRows.chop(width * 3);
    auto badCrc = picture(stream);
    badCrc[2].badCrc = true;  // the second IDAT
    auto badIendCrc = picture(stream);
    badIendCrc.back().badCrc = true;
    auto textBetween = picture(stream);
    textBetween.insert(textBetween.begin() + 2, Chunk{"tEXt", QByteArray("a\0b", 3)});
    auto ihdrAfter = picture(stream, {{"IHDR", Ihdr(width, height, 2)}});
    auto unknownCriticalBadCrc = picture(stream, {{"ABCD", "x", true}});
    auto badName = picture(stream, {{"AB1D", "x"}});
    const QByteArray whole = Assemble(picture(stream));

    const std::vector<std::pair<const char*, QByteArray>> failing = {
        {"idat crc", Assemble(badCrc)},
        {"adler32", Assemble(picture(badAdler))},
        {"adler32 missing", Assemble(picture(stream.left(stream.size() - 4)))},
        {"filter type 5", Assemble(picture(Compress(badFilter)))},
        {"too few rows", Assemble(picture(Compress(shortRows)))},
        {"cut inside an idat", whole.left(whole.size() - 12 - 40)},
        {"cut before iend", whole.left(whole.size() - 12)},
        {"iend crc", Assemble(badIendCrc)},
        {"text between idats", Assemble(textBetween)},
        {"ihdr after the data", Assemble(ihdrAfter)},
        {"critical chunk crc after the data", Assemble(unknownCriticalBadCrc)},
        {"bad chunk name after the data", Assemble(badName)},
    };
    for (const auto& [what, bytes] : failing) {
        SCOPED_TRACE(what);
        WriteBytes(folder + "/bad.png", bytes);
        EXPECT_TRUE(Decode(folder + "/bad.png", status).empty());
        EXPECT_NE(status, Status::Ok);
        EXPECT_TRUE(LibpngDecode(folder + "/bad.png").empty());
    }

    // Where libpng only warns, once every row is out: a bad ADLER32 in an
    // IDAT of its own, and extra image data whose stream then runs out.
    std::vector<Chunk> lateAdler = picture(stream.left(stream.size() - 4));
    lateAdler.insert(lateAdler.end() - 1, Chunk{"IDAT", badAdler.right(4)});
    const QByteArray longer = Compress(raw + raw.left(width * 3 + 1));
    const std::vector<std::pair<const char*, QByteArray>> stricter = {
        {"bad adler32 in the last idat", Assemble(lateAdler)},
        {"extra data cut short", Assemble(picture(longer.left(longer.size() - 8)))},
    };
    for (const auto& [what, bytes] : stricter) {
        SCOPED_TRACE(what);
        WriteBytes(folder + "/late.png", bytes);
        EXPECT_TRUE(Decode(folder + "/late.png", status).empty());
        EXPECT_NE(status, Status::Ok);
    }

    // What libpng lets pass: data past the rows or past the stream's end,
    // more IDATs after it, damaged or unknown ancillary chunks, an unknown
    // critical chunk after the data, bytes after IEND.
    const std::vector<std::pair<const char*, QByteArray>> passing = {
        {"extra rows", Assemble(picture(Compress(raw + raw.left(width * 3 + 1))))},
        {"bytes after the stream", Assemble(picture(stream + "xyz"))},
        {"idat after the stream", Assemble(picture(stream, {{"IDAT", "abc"}}))},
        {"text crc after the data", Assemble(picture(stream, {{"tEXt", QByteArray("a\0b", 3), true}}))},
        {"unknown critical chunk after the data", Assemble(picture(stream, {{"ABCD", "x"}}))},
        {"bytes after iend", whole + "trailing"},
    };
    for (const auto& [what, bytes] : passing) {
        SCOPED_TRACE(what);
        WriteBytes(folder + "/odd.png", bytes);
        EXPECT_EQ(Decode(folder + "/odd.png", status), good);
        EXPECT_EQ(status, Status::Ok);
        EXPECT_EQ(LibpngDecode(folder + "/odd.png"), good);
    }
}

}  // namespace
