// Runs saved inputs through a fuzz target without libFuzzer: every file
// named, or found under a folder named, is handed to the target once. A
// crash or sanitizer report fails the run; the suite runs each target's
// seeds and regression inputs this way in every build.

#include "tests/fuzz/fuzz_support.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QStringList InputFiles(const QString& path) {
    if (QFileInfo(path).isFile()) return {path};
    QStringList files;
    QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int a = 1; a < argc; ++a) {
        const QString path = QString::fromLocal8Bit(argv[a]);
        if (!QFileInfo::exists(path)) continue;  // a target may have no regressions yet
        for (const QString& file : InputFiles(path)) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
                return 1;
            }
            const QByteArray bytes = in.readAll();
            // An exact-size heap copy, so that the sanitizer sees a read past the end.
            std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
            std::fprintf(stderr, "%s\n", qPrintable(file));
            LLVMFuzzerTestOneInput(copy.data(), copy.size());
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
