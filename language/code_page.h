#pragma once
// Decoding byte strings in Windows code pages, through the C library's
// iconv ("CP<n>" names; 65001 is UTF-8). Decoding never fails: a byte
// sequence that is not valid in the code page becomes U+FFFD and decoding
// goes on after it.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

// The code page that stands in for the system's ANSI code page.
inline constexpr std::uint32_t kSystemAnsiCodePage = 1252;
inline constexpr std::uint32_t kUtf8CodePage = 65001;

// An open conversion from one code page to UTF-16.
class CodePageDecoder {
public:
    // Nothing when the system cannot convert from that code page. Code page
    // 0 means the system's ANSI code page.
    static std::optional<CodePageDecoder> Open(std::uint32_t codePage);

    // `bytes` decoded. When `cutAtEnd` is set the bytes were cut from a
    // longer text, so an incomplete sequence at their end is dropped instead
    // of being shown as U+FFFD.
    QString Decode(const QByteArray& bytes, bool cutAtEnd = false) const;

private:
    struct Closer {
        void operator()(void* descriptor) const;
    };
    explicit CodePageDecoder(void* descriptor) : descriptor_(descriptor) {}
    std::unique_ptr<void, Closer> descriptor_;
};

// The iconv name of a code page ("CP1251", "UTF-8").
QByteArray IconvNameOfCodePage(std::uint32_t codePage);

// A decoder for the code page, or for the system's ANSI code page when the
// system does not have that one; nothing when it has neither. Opened once and
// kept, it decodes any number of texts.
std::optional<CodePageDecoder> OpenDecoderOrFallback(std::uint32_t codePage);
// Decodes with such a decoder; without one the bytes are read as Latin-1.
QString DecodeWith(const std::optional<CodePageDecoder>& decoder, const QByteArray& bytes, bool cutAtEnd = false);

// Decodes with the code page, or with the system's ANSI code page when the
// system does not have that one (a decoder opened for this one text).
QString DecodeCodePage(const QByteArray& bytes, std::uint32_t codePage, bool cutAtEnd = false);
