#pragma once
// What every fuzz target shares: the entry point libFuzzer calls (also
// called by the replay program, which runs saved inputs in the test suite),
// and one offscreen Qt application for the targets that draw or decode text.

#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

// The input as a QByteArray that owns a copy, so that reads past its end
// are caught by the address sanitizer rather than landing in libFuzzer's
// buffer.
inline QByteArray Bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Fonts, painters and text layout need a QGuiApplication; it lives until
// the process ends.
inline void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

}  // namespace fuzz
