#include "imaging/decode/gif/gif_file.h"

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
    file_.reset(std::fopen(QFile::encodeName(path).constData(), "rb"));
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

Status GifFile::ReadImageDescriptor() {
    if (DGifGetImageDesc(gif_.get()) != GIF_OK) return Status::GenericError;
    // giflib also appends every descriptor to SavedImages, which only
    // whole-file reading needs; dropping them keeps memory flat however
    // many frames the file has.
    GifFreeSavedImages(gif_.get());
    gif_->ImageCount = 0;
    return Status::Ok;
}

Status GifFile::ReadRow(GifPixelType* row, int width) { return Checked(DGifGetLine(gif_.get(), row, width)); }

Status GifFile::SkipImageData() {
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif_.get(), &codeSize, &block) != GIF_OK) return Status::GenericError;
    while (block)
        if (DGifGetCodeNext(gif_.get(), &block) != GIF_OK) return Status::GenericError;
    return Status::Ok;
}

}  // namespace imaging::decode
