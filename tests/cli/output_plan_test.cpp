// Output paths settled before any conversion: file or folder, the folder to
// create, the extension warning, and the refusals.
#include "cli/output_plan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CliOptions Options(const QString& output, QStringList inputs) {
    CliOptions o;
    o.output = output;
    o.inputs = std::move(inputs);
    return o;
}

TEST(CliOutputPlan, TwoInputsOntoOneFileAreRefusedNamingBoth) {
    // a.jpg and a.png both make a_out.jpg; --force changes nothing.
    CliOptions o = Options("out", {"x/a.jpg", "y/a.png"});
    o.force = true;
    const OutputPlan plan = PlanOutputs(o);
    EXPECT_TRUE(plan.outputs.isEmpty());
    EXPECT_TRUE(plan.error.contains("x/a.jpg")) << plan.error.toStdString();
    EXPECT_TRUE(plan.error.contains("y/a.png")) << plan.error.toStdString();
    EXPECT_TRUE(plan.error.contains("a_out.jpg")) << plan.error.toStdString();
    // The same input twice is the same collision.
    EXPECT_FALSE(PlanOutputs(Options("out", {"a.png", "./a.png"})).error.isEmpty());
    // Different names are fine.
    EXPECT_TRUE(PlanOutputs(Options("out", {"a.png", "b.png"})).error.isEmpty());
}

TEST(CliOutputPlan, SeveralInputsNeedAFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("taken.jpg");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(PlanOutputs(Options(file, {"a.png", "b.png"})).error.contains("folder"));
    EXPECT_TRUE(PlanOutputs(Options(dir.filePath("new.jpg"), {"a.png", "b.png"})).error.contains("folder"));
    // Written with a slash, the same name is a folder.
    const OutputPlan slash = PlanOutputs(Options(dir.filePath("new.jpg") + "/", {"a.png", "b.png"}));
    EXPECT_TRUE(slash.error.isEmpty()) << slash.error.toStdString();
    EXPECT_EQ(slash.outputs.value(1), dir.filePath("new.jpg") + "/b_out.jpg");
}

TEST(CliOutputPlan, AMissingFolderIsToBeCreated) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const OutputPlan slash = PlanOutputs(Options(dir.filePath("later/"), {"a.png"}));
    EXPECT_EQ(slash.folderToCreate, dir.filePath("later/"));
    EXPECT_EQ(slash.outputs, QStringList{dir.filePath("later/a_out.jpg")});
    const OutputPlan several = PlanOutputs(Options(dir.filePath("many"), {"a.png", "b.png"}));
    EXPECT_EQ(several.folderToCreate, dir.filePath("many"));
    // An existing folder: nothing to create, NAME_out.jpg inside.
    const OutputPlan existing = PlanOutputs(Options(dir.path(), {"in/a.png"}));
    EXPECT_TRUE(existing.folderToCreate.isEmpty());
    EXPECT_EQ(existing.outputs, QStringList{dir.filePath("a_out.jpg")});
}

TEST(CliOutputPlan, AFileNameThatIsNotJpegIsWarnedAbout) {
    const OutputPlan png = PlanOutputs(Options("result.png", {"a.png"}));
    EXPECT_TRUE(png.error.isEmpty());
    EXPECT_EQ(png.outputs, QStringList{"result.png"});
    ASSERT_EQ(png.warnings.size(), 1);
    EXPECT_TRUE(png.warnings[0].contains("result.png"));
    EXPECT_TRUE(png.warnings[0].contains("JPEG"));
    EXPECT_TRUE(PlanOutputs(Options("result.JPG", {"a.png"})).warnings.isEmpty());
    EXPECT_TRUE(PlanOutputs(Options("result.jpeg", {"a.png"})).warnings.isEmpty());
    EXPECT_TRUE(PlanOutputs(Options("result.jpeg", {"a.png"})).folderToCreate.isEmpty());
}

}  // namespace
