#pragma once
// What tessaline-convert prints while several inputs convert: each file's
// lines as it finishes, a running count on a terminal, and a summary line.

#include "cli/convert_one.h"

#include <mutex>

class Progress {
public:
    explicit Progress(int total);
    // Prints one finished file's lines; safe from any thread.
    void Report(const FileConversion& result);
    // The summary ("12 saved, 1 failed") for more than one input.
    void Finish();
    int failed() const { return failed_; }

private:
    void clearCount();

    std::mutex printing_;
    int total_;
    int saved_ = 0;
    int failed_ = 0;
    bool terminal_;  // standard error is a terminal: show a running count
};
