#include "imaging/decode/gif/gif_file.h"

#include "imaging/decode/gif/gif_lzw.h"

#include <QFile>

#include <cstdio>

namespace imaging::decode {
namespace {

int ReadFromFile(GifFileType* gif, GifByteType* bytes, int count) {
    auto* file = static_cast<std::FILE*>(gif->UserData);
    return static_cast<int>(std::fread(bytes, 1, static_cast<std::size_t>(count), file));
}

Status Checked(int result) { return result == GIF_OK ? Status::Ok : Status::GenericError; }

}  // namespace

void GifFile::Closer::operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
}

Status GifFile::Open(const QString& path) {
    gif_.reset();
    file_ = OpenForReading(QFile::encodeName(path).constData());
    if (!file_) return Status::FileNotFound;
    int error = 0;
    gif_.reset(DGifOpen(file_.get(), ReadFromFile, &error));
    if (!gif_) return error == D_GIF_ERR_NOT_ENOUGH_MEM ? Status::OutOfMemory : Status::GenericError;
    return Status::Ok;
}

// Bytes that start no record are skipped one by one, as other readers do:
// some files hold stray bytes, even a second GIF header, between images.
Status GifFile::NextRecord(GifRecordType& type) {
    for (;;) {
        type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif_.get(), &type) == GIF_OK) return Status::Ok;
        if (gif_->Error != D_GIF_ERR_WRONG_RECORD) return Status::GenericError;
    }
}

Status GifFile::ReadExtension(std::optional<GifControl>& control) {
    control.reset();
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif_.get(), &code, &block) != GIF_OK) return Status::GenericError;
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        // block[0] is the length; the flags, the delay, the transparent index follow.
        const int length = block[0];
        GifControl c;
        if (length >= 1) c.disposal = (block[1] >> 2) & 7;
        if (length >= 4 && (block[1] & 1)) c.transparentIndex = block[4];
        control = c;
    }
    while (block)
        if (DGifGetExtensionNext(gif_.get(), &block) != GIF_OK) return Status::GenericError;
    return Status::Ok;
}

// giflib reads the descriptor, the local colour map and then the code
// size byte, and fails on a code size above 8 with everything before it
// read. Such an image is recognised by exactly that much having been read
// and that byte being 9 to 11; its data is then read by ReadWideImage.
bool GifFile::WideCodeSizeFollows(long start) {
    std::FILE* file = file_.get();
    const long end = std::ftell(file);
    const GifImageDesc& image = gif_->Image;
    const long mapBytes = image.ColorMap ? 3L * image.ColorMap->ColorCount : 0;
    if (start < 0 || end != start + 9 + mapBytes + 1 || std::fseek(file, end - 1, SEEK_SET) != 0) return false;
    const int codeSize = std::fgetc(file);
    if (codeSize < 9 || codeSize > 11) return false;
    wideCodeSize_ = codeSize;
    return true;
}

Status GifFile::ReadImageDescriptor() {
    wideCodeSize_ = 0;
    const long start = std::ftell(file_.get());
    if (DGifGetImageDesc(gif_.get()) != GIF_OK && !WideCodeSizeFollows(start)) return Status::GenericError;
    // giflib also appends every descriptor to SavedImages, which only
    // whole-file reading needs; dropping them keeps memory flat however
    // many frames the file has.
    GifFreeSavedImages(gif_.get());
    gif_->ImageCount = 0;
    return Status::Ok;
}

Status GifFile::ReadRow(GifPixelType* row, int width) { return Checked(DGifGetLine(gif_.get(), row, width)); }

template <typename Use>
Status GifFile::ReadSubBlocks(Use use) {
    std::uint8_t block[255];
    for (;;) {
        const int size = std::fgetc(file_.get());
        if (size == EOF) return Status::GenericError;
        if (size == 0) return Status::Ok;
        if (std::fread(block, 1, static_cast<std::size_t>(size), file_.get()) != static_cast<std::size_t>(size))
            return Status::GenericError;
        if (!use(block, static_cast<std::size_t>(size))) return Status::GenericError;
    }
}

Status GifFile::ReadWideImage(std::size_t pixels, std::vector<std::uint16_t>& indices) {
    indices.clear();
    if (wideCodeSize_ == 0) return Status::WrongState;
    GifLzwDecoder decoder(wideCodeSize_, pixels);
    const Status s = ReadSubBlocks([&](const std::uint8_t* data, std::size_t size) { return decoder.Feed(data, size); });
    if (s != Status::Ok || !decoder.complete()) return Status::GenericError;
    indices = decoder.indices();
    return Status::Ok;
}

Status GifFile::SkipImageData() {
    if (wideCodeSize_ != 0) return ReadSubBlocks([](const std::uint8_t*, std::size_t) { return true; });
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif_.get(), &codeSize, &block) != GIF_OK) return Status::GenericError;
    while (block)
        if (DGifGetCodeNext(gif_.get(), &block) != GIF_OK) return Status::GenericError;
    return Status::Ok;
}

}  // namespace imaging::decode
