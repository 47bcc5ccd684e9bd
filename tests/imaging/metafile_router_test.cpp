// Metafiles reach the player through the decoders' one entry point, chosen
// by content whatever the file is called.

#include "metafile_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace metafile_test;
using imaging::PixelBuffer;
using imaging::Status;

namespace {

QString WriteFile(const QString& name, const QByteArray& bytes) {
    static QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return path;
}

}  // namespace

TEST(MetafileRouter, WmfAndEmfOpenByContentUnderAnyName) {
    WmfWriter wmf(0, 0, 1440, 720, 1440);
    Bytes brush;
    brush.u16(BS_SOLID).u32(0x0000FF).u16(0);
    wmf.Record(META_CREATEBRUSHINDIRECT, brush).Record(META_SELECTOBJECT, {0}).Record(META_RECTANGLE, {720, 720, 0, 0});
    EmfWriter emf(2000, 1000, 200, 100, 20, 10);

    struct Case {
        QString name;
        QByteArray bytes;
        int width, height;
    };
    const Case cases[] = {{"drawing.wmf", wmf.Finish(), 96, 48},
                          {"drawing.jpg", wmf.Finish(), 96, 48},  // a wrong extension changes nothing
                          {"standard.wmf", [] {
                               WmfWriter w(0, 0, 10, 10, 96);
                               w.Record(META_SETWINDOWEXT, {30, 40});
                               return w.Finish(false);
                           }(), 40, 30},
                          {"chart.emf", emf.Finish(), 200, 100},
                          {"chart", emf.Finish(), 200, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString path = WriteFile(c.name, c.bytes);
        ASSERT_FALSE(path.isEmpty());
        std::unique_ptr<imaging::PictureSource> source;
        ASSERT_EQ(imaging::OpenPictureSource(path, {}, source), Status::Ok);
        ASSERT_EQ(source->Dimensions().size(), 1u);
        EXPECT_EQ(source->Dimensions()[0].id, imaging::FrameDimensionPage);
        PixelBuffer out;
        ASSERT_EQ(source->DecodeFrame(imaging::FrameDimensionPage, 0, out), Status::Ok);
        EXPECT_EQ(out.width(), c.width);
        EXPECT_EQ(out.height(), c.height);
    }
}

TEST(MetafileRouter, DamagedMetafileIsAnErrorNotAPicture) {
    EmfWriter emf(2000, 1000, 200, 100, 20, 10);
    emf.Record(EMR_RECTANGLE, {0, 0, 10, 10});
    const QByteArray good = emf.Finish();
    const QString path = WriteFile("cut.emf", good.left(good.size() - 12));
    std::unique_ptr<imaging::PictureSource> source;
    EXPECT_NE(imaging::OpenPictureSource(path, {}, source), Status::Ok);
    EXPECT_FALSE(source);
}
