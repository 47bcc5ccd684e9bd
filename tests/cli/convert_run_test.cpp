// tessaline-convert run as a program: exit statuses, what is written and
// what is not, and the lines a user reads.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct RunResult {
    int exitCode = -1;
    QString out;
    QStringList errLines;
};

class ConvertRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        picture("a.png", 64, 48);
    }
    RunResult run(const QStringList& arguments, const QStringList& variables = {}) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        // Qt's own note about a missing runtime folder is no line of ours.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        for (const QString& variable : variables)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESS_CONVERT_PATH), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        RunResult r;
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        r.errLines = QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        return r;
    }
    void picture(const QString& name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(dir.filePath(name), "PNG"));
    }
    bool exists(const QString& name) const { return QFileInfo::exists(dir.filePath(name)); }
    // A whole JPEG stream: SOI at the start, EOI at the end.
    bool isJpeg(const QString& name) const {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) return false;
        const QByteArray bytes = f.readAll();
        return bytes.startsWith("\xFF\xD8") && bytes.endsWith("\xFF\xD9");
    }
    QStringList folder(const QString& name) const { return QDir(dir.filePath(name)).entryList(QDir::Files); }

    QTemporaryDir dir;
    QTemporaryDir runtime;
};

TEST_F(ConvertRun, TwoInputsOntoOneFileConvertNothing) {
    QFile::copy(dir.filePath("a.png"), dir.filePath("a.jpg"));
    const RunResult r = run({"a.jpg", "a.png", "-o", "out", "--force"});
    EXPECT_EQ(r.exitCode, 2);
    ASSERT_EQ(r.errLines.size(), 1) << r.errLines.join('\n').toStdString();
    EXPECT_TRUE(r.errLines[0].contains("a.jpg") && r.errLines[0].contains("a.png")) << r.errLines[0].toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(exists("out"));
}

TEST_F(ConvertRun, AFileStartingWithADash) {
    picture("-dash.png", 8, 8);
    // What `tessaline-convert * -o out` expands to: refused, with the way out.
    const RunResult star = run({"-dash.png", "a.png", "-o", "out"});
    EXPECT_EQ(star.exitCode, 2);
    ASSERT_EQ(star.errLines.size(), 1);
    EXPECT_TRUE(star.errLines[0].contains("-dash.png"));
    EXPECT_TRUE(star.errLines[0].contains("--"));
    EXPECT_FALSE(exists("out"));
    // After --, it is a file like any other.
    const RunResult ended = run({"-o", "out", "--", "-dash.png", "a.png"});
    EXPECT_EQ(ended.exitCode, 0) << ended.errLines.join('\n').toStdString();
    EXPECT_TRUE(isJpeg("out/-dash_out.jpg"));
    EXPECT_TRUE(isJpeg("out/a_out.jpg"));
    EXPECT_EQ(ended.errLines.value(0), "2 saved, 0 failed");
}

TEST_F(ConvertRun, UsageErrorsExitTwoAndWriteNothing) {
    const QList<QStringList> bad = {{"--quality", "0"},  {"--quality", "101"}, {"--rotate", "45"},
                                    {"--width", "0"},    {"--frame", "-1"},    {"--color", "#GG0000"},
                                    {"--fit", "10"},     {"--wobble"},         {"--long-edge", "-3"}};
    for (const QStringList& option : bad) {
        const RunResult r = run(QStringList{"a.png", "-o", "b.jpg"} + option);
        EXPECT_EQ(r.exitCode, 2) << option.join(' ').toStdString();
        ASSERT_EQ(r.errLines.size(), 1) << r.errLines.join('\n').toStdString();
        EXPECT_TRUE(r.errLines[0].contains(option[0])) << r.errLines[0].toStdString();
        EXPECT_FALSE(exists("b.jpg")) << option.join(' ').toStdString();
    }
    EXPECT_EQ(run({"a.png"}).exitCode, 2);
    EXPECT_EQ(run({"--help"}).exitCode, 0);
}

TEST_F(ConvertRun, FailuresCarryTheSystemsReasonAndExitOne) {
    const RunResult missing = run({"nothing.png", "-o", "b.jpg"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errLines.join('\n').contains("No such file or directory"))
        << missing.errLines.join('\n').toStdString();
    const RunResult nowhere = run({"a.png", "-o", "no/such/folder/b.jpg"});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_TRUE(nowhere.errLines.join('\n').contains("No such file or directory"))
        << nowhere.errLines.join('\n').toStdString();
    QFile junk(dir.filePath("junk.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture at all");
    junk.close();
    const RunResult garbage = run({"junk.png", "-o", "j.jpg"});
    EXPECT_EQ(garbage.exitCode, 1);
    ASSERT_FALSE(garbage.errLines.isEmpty());
    EXPECT_TRUE(garbage.errLines[0].contains("cannot read this picture:") ||
                garbage.errLines[0].contains("cannot read this picture (or frame 0 of it):"));
    EXPECT_FALSE(garbage.errLines[0].endsWith(':'));
    EXPECT_FALSE(exists("j.jpg"));
}

TEST_F(ConvertRun, SomeFailedSomeSaved) {
    const RunResult r = run({"a.png", "gone.png", "-o", "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(isJpeg("out/a_out.jpg"));
    EXPECT_EQ(folder("out"), QStringList{"a_out.jpg"});
    EXPECT_EQ(r.errLines.last(), "1 saved, 1 failed");
}

TEST_F(ConvertRun, OutputAsFileFolderAndNewFolder) {
    const RunResult png = run({"a.png", "-o", "result.png"});
    EXPECT_EQ(png.exitCode, 0);
    EXPECT_TRUE(isJpeg("result.png"));  // JPEG data, as the warning says
    ASSERT_EQ(png.errLines.size(), 1);
    EXPECT_TRUE(png.errLines[0].contains("JPEG"));
    const RunResult made = run({"a.png", "-o", "new/deeper/"});
    EXPECT_EQ(made.exitCode, 0) << made.errLines.join('\n').toStdString();
    EXPECT_TRUE(isJpeg("new/deeper/a_out.jpg"));
    EXPECT_TRUE(made.errLines.isEmpty());  // one input: no summary
    // An existing folder without the slash is still a folder.
    const RunResult existing = run({"a.png", "-o", "new"});
    EXPECT_EQ(existing.exitCode, 0);
    EXPECT_TRUE(isJpeg("new/a_out.jpg"));
}

TEST_F(ConvertRun, AnOutputBeyondTheEngineIsOneError) {
    const RunResult r = run({"a.png", "-o", "big.jpg", "--width", "20000", "--height", "20000"});
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.errLines.size(), 1) << r.errLines.join('\n').toStdString();
    EXPECT_TRUE(r.errLines[0].contains("20000 x 20000"));
    EXPECT_FALSE(exists("big.jpg"));
}

TEST_F(ConvertRun, DerivedSidesAreRounded) {
    if (!QImageReader::supportedImageFormats().contains("jpeg")) GTEST_SKIP() << "no JPEG reader in Qt";
    picture("three.png", 3, 2);
    // 2 * 4 / 3 = 2.67: 3 rounded (truncation gave 2).
    ASSERT_EQ(run({"three.png", "-o", "w.jpg", "--width", "4"}).exitCode, 0);
    EXPECT_EQ(QImage(dir.filePath("w.jpg")).size(), QSize(4, 3));
    ASSERT_EQ(run({"a.png", "-o", "fit.jpg", "--fit", "100x100"}).exitCode, 0);
    EXPECT_EQ(QImage(dir.filePath("fit.jpg")).size(), QSize(100, 75));
    ASSERT_EQ(run({"a.png", "-o", "shrink.jpg", "--long-edge", "1000", "--shrink-only"}).exitCode, 0);
    EXPECT_EQ(QImage(dir.filePath("shrink.jpg")).size(), QSize(64, 48));
}

// At its own size a picture goes from the decoder into the encoder row by
// row; one that breaks half-way is refused as any unreadable picture, with
// neither the output nor a temporary file left, and an existing output
// is only replaced when asked.
TEST_F(ConvertRun, AtItsOwnSizeNothingIsLeftOrReplacedUnasked) {
    picture("tall.png", 600, 2400);
    QFile tall(dir.filePath("tall.png"));
    ASSERT_TRUE(tall.open(QIODevice::ReadOnly));
    const QByteArray bytes = tall.readAll();
    QFile cut(dir.filePath("cut.png"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    const RunResult broken = run({"cut.png", "-o", "cut.jpg", "--width", "600", "--height", "2400"});
    EXPECT_EQ(broken.exitCode, 1);
    ASSERT_EQ(broken.errLines.size(), 1) << broken.errLines.join('\n').toStdString();
    EXPECT_TRUE(broken.errLines[0].startsWith("cut.png: cannot read this picture (or frame 0 of it): "))
        << broken.errLines[0].toStdString();
    EXPECT_FALSE(broken.errLines[0].endsWith(": "));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.png", "cut.png", "tall.png"}));

    QFile kept(dir.filePath("kept.jpg"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("mine");
    kept.close();
    const RunResult unasked = run({"a.png", "-o", "kept.jpg"});
    EXPECT_EQ(unasked.exitCode, 1);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("mine"));
    kept.close();
    EXPECT_EQ(run({"a.png", "-o", "kept.jpg", "--force"}).exitCode, 0);
    EXPECT_TRUE(isJpeg("kept.jpg"));
}

// Text needs Qt's GUI side, which only the converter for text loads: the
// text is really drawn, and a run without it still converts.
TEST_F(ConvertRun, TextIsDrawnOnlyWhenAsked) {
    ASSERT_EQ(run({"a.png", "-o", "plain.jpg"}).exitCode, 0);
    const RunResult stamped =
        run({"a.png", "-o", "text.jpg", "--text", "Hi", "--at", "2,2", "--font-size", "30", "--color", "#FFFFFF"});
    ASSERT_EQ(stamped.exitCode, 0) << stamped.errLines.join('\n').toStdString();
    const QImage plain(dir.filePath("plain.jpg")), text(dir.filePath("text.jpg"));
    ASSERT_FALSE(plain.isNull());
    ASSERT_EQ(text.size(), plain.size());
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (qGray(text.pixel(x, y)) > qGray(plain.pixel(x, y)) + 60) ++changed;
    EXPECT_GT(changed, 20);

    // The converter the launcher runs without text hands a line with text,
    // given to it straight, to the one that draws it: the same output.
    const QString plainConverter = QFileInfo(QStringLiteral(TESS_CONVERT_PATH)).dir().filePath("tessaline-convert-engine");
    QProcess direct;
    direct.setWorkingDirectory(dir.path());
    direct.start(plainConverter,
                 {"a.png", "-o", "direct.jpg", "--text", "Hi", "--at", "2,2", "--font-size", "30", "--color", "#FFFFFF"});
    ASSERT_TRUE(direct.waitForFinished(60000));
    EXPECT_EQ(direct.exitCode(), 0) << direct.readAllStandardError().toStdString();
    QFile a(dir.filePath("text.jpg")), b(dir.filePath("direct.jpg"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // And it loads none of Qt's GUI side, which is why it exists.
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {plainConverter});
    ASSERT_TRUE(ldd.waitForFinished(60000));
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_TRUE(libraries.contains("libQt6Core"));
    EXPECT_FALSE(libraries.contains("libQt6Gui")) << libraries.toStdString();
}

// Without a runtime folder named by the session, neither the converter nor
// a worker that uses Qt's GUI side (the full one, for a BMP) leaves one
// behind in the temporary folder, whether text is stamped or not.
TEST_F(ConvertRun, NothingIsLeftInTheTemporaryFolder) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    ASSERT_TRUE(image.save(dir.filePath("b.bmp"), "BMP"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("tmp"));
    for (const QStringList& extra : {QStringList{}, QStringList{"--text", "Hi"}}) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.insert(QStringLiteral("TMPDIR"), dir.filePath("tmp"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESS_CONVERT_PATH), QStringList{"b.bmp", "-o", "b.jpg", "--force"} + extra);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(isJpeg("b.jpg"));
        EXPECT_EQ(QDir(dir.filePath("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{})
            << extra.join(' ').toStdString();
    }
}

// For a single picture the light worker would only hand on (a HEIC), the
// launcher starts the full worker straight away, and the converter asks no
// light worker first: with none to be found, the HEIC still converts. A
// PNG is still the light worker's, and fails without it.
TEST_F(ConvertRun, TheLauncherStartsTheFullWorkerForAHeic) {
    const QString heifEnc = QStandardPaths::findExecutable(QStringLiteral("heif-enc"));
    if (heifEnc.isEmpty()) GTEST_SKIP() << "heif-enc is not installed";
    picture("b.png", 32, 24);
    ASSERT_EQ(QProcess::execute(heifEnc, {"-q", "90", "-o", dir.filePath("b.heic"), dir.filePath("b.png")}), 0);
    const QStringList noLight = {QStringLiteral("TESS_DECODER_LIGHT=") + dir.filePath("no-such-decoder")};
    const RunResult heic = run({"b.heic", "-o", "b.jpg", "--force"}, noLight);
    EXPECT_EQ(heic.exitCode, 0) << heic.errLines.join('\n').toStdString();
    EXPECT_TRUE(isJpeg("b.jpg"));
    EXPECT_EQ(QImage(dir.filePath("b.jpg")).size(), QSize(32, 24));
    const RunResult png = run({"a.png", "-o", "a.jpg", "--force"}, noLight);
    EXPECT_EQ(png.exitCode, 1);
    EXPECT_FALSE(exists("a.jpg"));
}

// tessaline-convert is a launcher that execs the converter beside it:
// alone, it says what is missing and converts nothing.
TEST_F(ConvertRun, TheLauncherWithoutItsConverterSaysSo) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("alone"));
    const QString alone = dir.filePath("alone/tessaline-convert");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESS_CONVERT_PATH), alone));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(alone, {"a.png", "-o", "out.jpg"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 127);
    EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardError()).contains("tessaline-convert-engine"));
    EXPECT_FALSE(exists("out.jpg"));
}

}  // namespace
