#pragma once
// One libtiff handle on one file, with its own error state: libtiff reports
// errors and warnings through handlers set for this handle alone, so two
// decodes on two threads share nothing. Any error libtiff reports makes the
// handle failed for good; warnings are tolerated. A strip byte count that
// libtiff found bogus and replaced by its own estimate is noted, for the
// decoder to check whether the estimate can be trusted.

#include "imaging/core/status.h"

#include <QString>

#include <cstdint>

struct tiff;

namespace imaging::decode::tiff {

class TiffFile {
public:
    TiffFile() = default;
    ~TiffFile();
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    // Opens the file read-only; no single allocation inside libtiff may
    // exceed `maxAllocation` bytes. UnknownImageFormat when it is no TIFF.
    Status Open(const QString& path, std::int64_t maxAllocation);
    // The number of directories (pages); libtiff stops at a loop in the chain.
    std::uint32_t CountPages();
    // Makes directory `index` the current one.
    Status SelectPage(std::uint32_t index);

    ::tiff* handle() const { return tif_; }
    // True once libtiff has reported an error on this handle.
    bool failed() const { return failed_; }
    // Ok while no error was reported, GenericError after.
    Status status() const { return failed_ ? Status::GenericError : Status::Ok; }
    // Called by the error handler.
    void NoteError() { failed_ = true; }
    // True once libtiff estimated the strip byte counts of a directory.
    bool estimated() const { return estimated_; }
    void NoteEstimate() { estimated_ = true; }
    const QString& path() const { return path_; }

private:
    ::tiff* tif_ = nullptr;
    bool failed_ = false;
    bool estimated_ = false;
    QString path_;
};

}  // namespace imaging::decode::tiff
