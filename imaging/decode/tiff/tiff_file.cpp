#include "imaging/decode/tiff/tiff_file.h"

#include <QFile>

#include <tiffio.h>

#include <cstring>
#include <memory>

namespace imaging::decode::tiff {
namespace {

int OnError(TIFF*, void* user, const char*, const char*, va_list) {
    static_cast<TiffFile*>(user)->NoteError();
    return 1;  // handled: nothing reaches libtiff's global handler (stderr)
}

// Warnings are tolerated. libtiff's guess at strip sizes, when it finds
// the stated ones bogus, is noted: the stated sizes may be zero or too
// small (the data is damaged or missing, and the guess would decode
// whatever bytes follow) or merely wrong with the data intact.
int OnWarning(TIFF*, void* user, const char*, const char* format, va_list) {
    if (format && (std::strstr(format, "Bogus \"StripByteCounts\"") || std::strstr(format, "Wrong \"StripByteCounts\"")))
        static_cast<TiffFile*>(user)->NoteEstimate();
    return 1;
}

struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

}  // namespace

TiffFile::~TiffFile() {
    if (tif_) TIFFClose(tif_);
}

Status TiffFile::Open(const QString& path, std::int64_t maxAllocation) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options) return Status::OutOfMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, this);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(maxAllocation));
    if (!QFile::exists(path)) return Status::FileNotFound;
    path_ = path;
    // "m": read the file instead of mapping it, so that a file cut short
    // while it is read gives read errors rather than a bus error.
    tif_ = TIFFOpenExt(QFile::encodeName(path).constData(), "rm", options.get());
    if (!tif_) return failed_ ? Status::GenericError : Status::UnknownImageFormat;
    return status();
}

std::uint32_t TiffFile::CountPages() { return TIFFNumberOfDirectories(tif_); }

Status TiffFile::SelectPage(std::uint32_t index) {
    if (index > 0xFFFFFFFEu || !TIFFSetDirectory(tif_, static_cast<tdir_t>(index))) return Status::GenericError;
    return status();
}

}  // namespace imaging::decode::tiff
