// Code-page decoding over iconv. The conversion writes UTF-16LE into a
// growing buffer; invalid input is replaced by U+FFFD one byte at a time, so
// no input can make the loop stop early or run over a buffer.
#include "language/code_page.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <iconv.h>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

iconv_t asIconv(void* descriptor) { return static_cast<iconv_t>(descriptor); }

// The output side of one conversion: a byte buffer that grows on demand.
class Utf16Output {
public:
    explicit Utf16Output(size_t expectedUnits) : buffer_(std::max<size_t>(16, expectedUnits * 2 + 8)) {}

    char* cursor() { return buffer_.data() + used_; }
    size_t room() const { return buffer_.size() - used_; }
    void advance(char* newCursor) { used_ = static_cast<size_t>(newCursor - buffer_.data()); }
    void grow() { buffer_.resize(buffer_.size() * 2); }
    void append(char16_t unit) {
        if (room() < 2) grow();
        buffer_[used_++] = static_cast<char>(unit & 0xFF);
        buffer_[used_++] = static_cast<char>(unit >> 8);
    }
    QString text() const {
        QString result(static_cast<qsizetype>(used_ / 2), Qt::Uninitialized);
        for (size_t i = 0; i + 1 < used_; i += 2) {
            const auto low = static_cast<unsigned char>(buffer_[i]);
            const auto high = static_cast<unsigned char>(buffer_[i + 1]);
            result[static_cast<qsizetype>(i / 2)] = QChar(static_cast<char16_t>(low | (high << 8)));
        }
        return result;
    }

private:
    std::vector<char> buffer_;
    size_t used_ = 0;
};

// Emits whatever the converter still holds back (some code pages wait for a
// combining mark that may follow) and resets it.
void flush(iconv_t cd, Utf16Output& out) {
    for (;;) {
        char* cursor = out.cursor();
        size_t room = out.room();
        const size_t result = ::iconv(cd, nullptr, nullptr, &cursor, &room);
        out.advance(cursor);
        if (result != static_cast<size_t>(-1) || errno != E2BIG) return;
        out.grow();
    }
}

}  // namespace

void CodePageDecoder::Closer::operator()(void* descriptor) const { ::iconv_close(asIconv(descriptor)); }

QByteArray IconvNameOfCodePage(std::uint32_t codePage) {
    if (codePage == 0) codePage = kSystemAnsiCodePage;
    if (codePage == kUtf8CodePage) return QByteArrayLiteral("UTF-8");
    return QByteArrayLiteral("CP") + QByteArray::number(codePage);
}

std::optional<CodePageDecoder> CodePageDecoder::Open(std::uint32_t codePage) {
    const QByteArray name = IconvNameOfCodePage(codePage);
    const iconv_t cd = ::iconv_open("UTF-16LE", name.constData());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    return CodePageDecoder(static_cast<void*>(cd));
}

QString CodePageDecoder::Decode(const QByteArray& bytes, bool cutAtEnd) const {
    const iconv_t cd = asIconv(descriptor_.get());
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh start
    Utf16Output out(static_cast<size_t>(bytes.size()));
    // iconv's input pointer is not const; it only reads through it.
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* cursor = out.cursor();
        size_t room = out.room();
        const size_t result = ::iconv(cd, &in, &inLeft, &cursor, &room);
        out.advance(cursor);
        if (result != static_cast<size_t>(-1)) break;
        const int error = errno;
        if (error == E2BIG) {
            out.grow();
        } else if (error == EILSEQ) {
            flush(cd, out);
            out.append(kReplacement);
            ++in;
            --inLeft;
        } else if (error == EINVAL) {
            // An incomplete sequence at the end of the input.
            flush(cd, out);
            if (!cutAtEnd) out.append(kReplacement);
            inLeft = 0;
        } else {
            out.append(kReplacement);
            inLeft = 0;
        }
    }
    flush(cd, out);
    return out.text();
}

std::optional<CodePageDecoder> OpenDecoderOrFallback(std::uint32_t codePage) {
    if (std::optional<CodePageDecoder> decoder = CodePageDecoder::Open(codePage)) return decoder;
    // A code page the system lacks: read the bytes as the system would.
    return CodePageDecoder::Open(kSystemAnsiCodePage);
}

QString DecodeWith(const std::optional<CodePageDecoder>& decoder, const QByteArray& bytes, bool cutAtEnd) {
    return decoder ? decoder->Decode(bytes, cutAtEnd) : QString::fromLatin1(bytes);
}

QString DecodeCodePage(const QByteArray& bytes, std::uint32_t codePage, bool cutAtEnd) {
    return DecodeWith(OpenDecoderOrFallback(codePage), bytes, cutAtEnd);
}
