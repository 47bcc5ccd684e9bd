#include "decoder/preparation.h"

#include "decoder/lockdown.h"
#include "imaging/decode/file_signature.h"
#include "imaging/sandbox/protocol.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImageReader>

#include <unistd.h>

namespace tessaline_decoder {
namespace {

using imaging::decode::FileKind;

QByteArray Head(int fd) {
    QByteArray head(imaging::decode::kSignatureBytes, '\0');
    const ssize_t got = ::pread(fd, head.data(), static_cast<std::size_t>(head.size()), 0);
    head.resize(got > 0 ? static_cast<int>(got) : 0);
    return head;
}

}  // namespace

Preparation Prepare(int& argc, char** argv, int pictureFd, const QString& picturePath) {
    Preparation p;
    const FileKind kind = imaging::decode::SniffFileKind(Head(pictureFd));
    // Qt's readers draw text too (an SVG may hold some), and its font
    // database is only ready once read.
    const bool qtReaders = kind == FileKind::Other;
    const bool fonts = kind == FileKind::Metafile || qtReaders;
    if (fonts || qtReaders) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        p.app = std::make_unique<QGuiApplication>(argc, argv);
    }
    if (fonts) {
        // The font list and the default face are read now; other faces are
        // opened from the font folders when text asks for them.
        (void)QFontDatabase::families();
        (void)QFontMetrics(QFont()).height();
    }
    if (qtReaders) {
        // Loads the plugin that claims the picture.
        (void)QImageReader(picturePath).canRead();
    }
    p.readable = ReadableFolders(fonts, qtReaders);
    return p;
}

}  // namespace tessaline_decoder
