// The settings store: defaults, 32-bit values, letter case, font sections.

#include "app/font_settings.h"
#include "app/profile_store.h"
#include "app/settings_access.h"
#include "tests/support/test_environment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override { FreshSettings(); }
    // Writes a raw line into the store's file, as another program might.
    void writeRaw(const QString& section, const QString& key, const QString& value) {
        QSettings raw(ProfileFilePath(), QSettings::IniFormat);
        raw.setValue(section + u'/' + key, value);
        raw.sync();
    }
};

}  // namespace

TEST_F(ProfileStoreTest, AnEmptyStoreGivesTheDefaults) {
    EXPECT_EQ(ReadSetting(Settings::JpegQuality), 80);
    EXPECT_EQ(ReadSetting(Settings::RotateAngle), 0);
    EXPECT_EQ(ReadSetting(Settings::FlipType), 0);
    EXPECT_EQ(ReadSetting(Settings::CurrentLanguage), QStringLiteral("english"));
    EXPECT_EQ(ReadSetting(Settings::LastPhotoFolder), QString());
    EXPECT_EQ(ReadSetting(Settings::OverlayColor), 0);
    LOGFONTW font;
    LoadOverlayFont(font);
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.faceName(), QString());
}

TEST_F(ProfileStoreTest, SignedValuesReadBackSignedAndBytesKeepTheLowEightBits) {
    WriteProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("lfHeight"), -20);
    WriteProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("lfItalic"), 256);
    WriteProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("lfUnderline"), 257);
    LOGFONTW font;
    LoadOverlayFont(font);
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfUnderline, 1);
}

TEST_F(ProfileStoreTest, AnUnsignedSpellingIsReadAsTwosComplement) {
    writeRaw(QStringLiteral("CurrentFont"), QStringLiteral("lfHeight"), QStringLiteral("4294967276"));
    EXPECT_EQ(GetProfileInt(QStringLiteral("CurrentFont"), QStringLiteral("lfHeight"), -13), -20);
}

TEST_F(ProfileStoreTest, AValueThatIsNoThirtyTwoBitIntegerReadsAsTheDefault) {
    writeRaw(QStringLiteral("Option"), QStringLiteral("nCurrentJpegQuality"), QStringLiteral("high"));
    EXPECT_EQ(ReadSetting(Settings::JpegQuality), 80);
    writeRaw(QStringLiteral("Option"), QStringLiteral("nCurrentJpegQuality"), QStringLiteral("99999999999"));
    EXPECT_EQ(ReadSetting(Settings::JpegQuality), 80);
}

TEST_F(ProfileStoreTest, SectionsAndKeysMatchWithoutRegardToLetterCase) {
    WriteProfileString(QStringLiteral("German"), QStringLiteral("lfFaceName"), QStringLiteral("Serif"));
    EXPECT_EQ(GetProfileString(QStringLiteral("GERMAN"), QStringLiteral("LFFACENAME")), QStringLiteral("Serif"));
    // A write under another spelling replaces the value; it makes no twin.
    WriteProfileString(QStringLiteral("german"), QStringLiteral("LfFaceName"), QStringLiteral("Sans"));
    EXPECT_EQ(GetProfileString(QStringLiteral("German"), QStringLiteral("lfFaceName")), QStringLiteral("Sans"));
    EXPECT_EQ(ReadSettingsFileText().count(QStringLiteral("Sans")), 1);
    EXPECT_EQ(ReadSettingsFileText().count(QStringLiteral("Serif")), 0);
}

TEST_F(ProfileStoreTest, EveryWriteReachesTheFileAtOnce) {
    WriteSetting(Settings::LastPhotoFolder, QStringLiteral("/photos/"));
    QSettings other(ProfileFilePath(), QSettings::IniFormat);
    EXPECT_EQ(other.value(QStringLiteral("Option/LastPhotoFolder")).toString(), QStringLiteral("/photos/"));
}

TEST_F(ProfileStoreTest, BeforeTheKeyIsSetReadsGiveDefaultsAndNothingIsWritten) {
    ResetRegistryKey();
    EXPECT_FALSE(WriteProfileInt(QStringLiteral("Option"), QStringLiteral("nFlipType"), 2));
    EXPECT_EQ(GetProfileInt(QStringLiteral("Option"), QStringLiteral("nFlipType"), 7), 7);
}

TEST_F(ProfileStoreTest, AFontRoundTripsAndALongFaceNameIsCut) {
    LOGFONTW font;
    font.lfHeight = -40;
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfPitchAndFamily = 34;
    font.setFaceName(QStringLiteral("An Extraordinarily Long Face Name Beyond Limits"));
    EXPECT_EQ(font.faceName().size(), 31);
    SaveOverlayFont(font);
    LOGFONTW back;
    LoadOverlayFont(back);
    EXPECT_EQ(back, font);
}

TEST_F(ProfileStoreTest, FontKeysAreWrittenInTheirOrder) {
    QStringList written;
    SetProfileWriteObserver([&](const QString& section, const QString& key) { written << section + u'/' + key; });
    SaveOverlayFont(LOGFONTW{});
    SetProfileWriteObserver({});
    // Written out here rather than taken from the key table, so that a key
    // renamed or moved in the table shows up.
    const QStringList fields = {
        QStringLiteral("lfHeight"),       QStringLiteral("lfWidth"),     QStringLiteral("lfEscapement"),
        QStringLiteral("lfOrientation"),  QStringLiteral("lfWeight"),    QStringLiteral("lfItalic"),
        QStringLiteral("lfUnderline"),    QStringLiteral("lfStrikeOut"), QStringLiteral("lfCharSet"),
        QStringLiteral("lfOutPrecision"), QStringLiteral("lfClipPrecision"), QStringLiteral("lfPitchAndFamily"),
        QStringLiteral("lfFaceName"),
    };
    QStringList expected;
    for (const QString& field : fields) expected << QStringLiteral("CurrentFont/") + field;
    EXPECT_EQ(written, expected);
}
