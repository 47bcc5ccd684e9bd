// The launcher's choice of worker, made without Qt, against what the
// converter itself makes of the same command line and the same bytes: the
// single input its parser finds, and the light worker's formats as the
// decoders' signature check tells them apart.
#include "cli/cli_options.h"
#include "cli/launcher/engine_choice.h"
#include "cli/launcher/worker_choice.h"
#include "imaging/decode/file_signature.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using imaging::sandbox::WorkerKind;

std::optional<std::string> OnlyInput(const std::vector<const char*>& words) {
    std::vector<const char*> argv = {"tessaline-convert"};
    argv.insert(argv.end(), words.begin(), words.end());
    return launcher::OnlyInput(static_cast<int>(argv.size()), argv.data());
}

// Lines the converter accepts: the launcher finds the same single input.
TEST(LauncherChoice, FindsTheInputTheConverterFinds) {
    const std::vector<std::vector<const char*>> lines = {
        {"in.heic", "-o", "out.jpg", "--width", "1920", "--height", "1440", "--quality", "85", "--force"},
        {"-o", "x.heic", "in.jpg"},
        {"--output", "out/", "--fit", "10x10", "--rotate", "90", "--flip", "none", "a.png"},
        {"--long-edge", "5", "-o", "o.jpg", "c.cr3"},
        {"--text", "in.png", "--at", "1,2", "--font", "Serif", "--font-size", "9", "--color", "#000000",
         "--frame", "1", "--jobs", "2", "--bold", "--italic", "--shrink-only", "--keep-location",
         "--strip-metadata", "--keep-profile", "b.tif", "-o", "o"},
        {"-o", "o", "--", "-dash.heic"},
    };
    for (const auto& words : lines) {
        QStringList args;
        for (const char* w : words) args << QString::fromUtf8(w);
        const CliParse parse = ParseCommandLine(args);
        ASSERT_TRUE(parse.options) << parse.error.toStdString();
        ASSERT_EQ(parse.options->inputs.size(), 1);
        EXPECT_EQ(OnlyInput(words), parse.options->inputs[0].toStdString()) << words[0];
    }
}

// No guess where there is no single file to read, a word it does not know
// (a newer option would otherwise have its value taken for a file), or an
// option without its value.
TEST(LauncherChoice, NoInputWithoutExactlyOneKnownFile) {
    const std::vector<std::vector<const char*>> lines = {
        {},
        {"-o", "out/"},
        {"a.heic", "b.heic", "-o", "out/"},
        {"-", "-o", "out.jpg"},
        {"a.heic", "-o", "out.jpg", "--sharpen", "2"},
        {"a.heic", "-o"},
    };
    for (const auto& words : lines) EXPECT_EQ(OnlyInput(words), std::nullopt) << words.size();
}

QByteArray Head(const char* bytes, int size) { return QByteArray(bytes, size); }

QByteArray Ftyp(const char* major, const char* compatible) {
    QByteArray box("\0\0\0\x18" "ftyp", 8);
    box += QByteArray(major, 4) + QByteArray("\0\0\0\0", 4) + QByteArray("mif1", 4) + QByteArray(compatible, 4);
    return box + QByteArray(40, '\0');
}

// The full worker exactly for the kinds the light worker hands on and the
// full one reads without Qt's GUI side: camera RAW containers, HEIF and
// JPEG XL. The light one for its own kinds and for everything else.
TEST(LauncherChoice, TheFullWorkerForEveryPictureTheLightOneHandsOn) {
    const std::vector<QByteArray> heads = {
        Head("\xFF\xD8\xFF\xE0\0\x10JFIF", 10),
        Head("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        Head("GIF89a\x10\0\x10\0", 10),
        Head("GIF87a", 6),
        Head("II*\0\x08\0\0\0\x10\0", 10),
        Head("MM\0*\0\0\0\x08", 8),
        Head("II+\0\x08\0\0\0", 8),
        Head("II*\0\x10\0\0\0CR\x02\0", 12),  // CR2
        Head("IIRO\x08\0\0\0", 8),             // ORF
        Head("IIU\0\x08\0\0\0", 8),            // RW2
        Head("FUJIFILMCCD-RAW ", 16),
        Head("\0\0\0\x18" "ftypcrx \0\0\0\x01", 16),
        Head("II\x1a\0\0\0HEAPCCDR", 14),  // CRW
        Head("\0MRM\0\0", 6),
        Head("FOVb", 4),
        Head("IIII\x01\0\0\0", 8),
        Head("MMOR\0\0", 6),
        Head("\0\0\0\x14" "ftypisom\0\0\0\0isom", 20),  // an MP4, no HEIF brand
        Head("\0\0\0\x0C" "ftypheic", 12),                 // a box too short for a brand list
        Ftyp("heic", "heic"),
        Ftyp("avif", "miaf"),
        Ftyp("MiHE", "MiHE"),
        Head("\xFF\x0A\xFA\x7F", 4),
        Head("\0\0\0\x0CJXL \r\n\x87\n", 12),
        Head("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0", 16),
        Head("RIFF\x24\0\0\0WEBPVP8 ", 16),
        Head("\xD7\xCD\xC6\x9A\0\0", 6),  // placeable WMF
        Head("\0\0\x01\0\x01\0\x10\x10\0\0\x01\0\x20\0\x68\x04\0\0\x16\0\0\0", 22),
        Head("plain text, no picture", 22),
        Head("\xFF", 1),
        Head("", 0),
    };
    for (const QByteArray& head : heads) {
        const imaging::decode::FileKind kind = imaging::decode::SniffFileKind(head);
        using imaging::decode::FileKind;
        const bool full = kind == FileKind::CameraRaw || kind == FileKind::Heif || kind == FileKind::JpegXl;
        const auto* bytes = reinterpret_cast<const unsigned char*>(head.constData());
        EXPECT_EQ(launcher::WorkerKindForHead(bytes, static_cast<std::size_t>(head.size())),
                  full ? WorkerKind::Full : WorkerKind::Light)
            << head.toHex().toStdString();
    }
}

// From the file itself: read when it can be, the light worker otherwise
// (it then says what is wrong, as it always did).
TEST(LauncherChoice, ReadsTheInputsFirstBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.filePath(name).toStdString();
    };
    const std::string heic = write("a.heic", Ftyp("heic", "heic"));
    const std::string jpeg = write("photo.heic", Head("\xFF\xD8\xFF\xE1", 4));  // the name says nothing
    const std::string empty = write("empty.heic", {});
    const std::string missing = dir.filePath("missing.heic").toStdString();
    const auto kind = [](const std::vector<std::string>& words) {
        std::vector<const char*> argv = {"tessaline-convert"};
        for (const std::string& w : words) argv.push_back(w.c_str());
        return launcher::WorkerKindFor(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EQ(kind({heic, "-o", "out.jpg"}), WorkerKind::Full);
    EXPECT_EQ(kind({jpeg, "-o", "out.jpg"}), WorkerKind::Light);
    EXPECT_EQ(kind({empty, "-o", "out.jpg"}), WorkerKind::Light);
    EXPECT_EQ(kind({missing, "-o", "out.jpg"}), WorkerKind::Light);
    EXPECT_EQ(kind({dir.path().toStdString(), "-o", "out.jpg"}), WorkerKind::Light);
    EXPECT_EQ(kind({heic, heic, "-o", "out/"}), WorkerKind::Light);
}

// The converter that draws text runs a line that asks for it, wherever
// "--text" stands as an option with some text; nowhere else (scripts pass
// an empty --text when there is none to stamp).
TEST(LauncherChoice, TheTextConverterOnlyForText) {
    const std::vector<std::pair<std::vector<const char*>, bool>> lines = {
        {{"in.jpg", "-o", "o.jpg"}, false},
        {{"in.jpg", "-o", "o.jpg", "--text", "Hi"}, true},
        {{"--text", "", "in.jpg"}, false},
        {{"--text", " ", "in.jpg"}, true},
        {{"--bold", "--text", "--text", "in.jpg"}, true},
        {{"-o", "--text", "in.jpg"}, false},
        {{"--font", "--text", "in.jpg"}, false},
        {{"in.jpg", "--", "--text"}, false},
        {{"in.jpg", "--text"}, false},
    };
    for (const auto& [words, text] : lines) {
        std::vector<const char*> argv = {"tessaline-convert"};
        argv.insert(argv.end(), words.begin(), words.end());
        const int argc = static_cast<int>(argv.size());
        EXPECT_EQ(launcher::AsksForText(argc, argv.data()), text) << words.size();
        EXPECT_STREQ(launcher::ConverterFor(argc, argv.data()),
                     text ? launcher::kTextConverterName : launcher::kConverterName);
    }
}

}  // namespace
