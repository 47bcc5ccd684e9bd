// The font chooser starts from the description it is given, style included,
// so that OK without a change gives back the same description.
#include "platform/font_chooser.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Presses OK once the chooser is up, and notes the style it shows.
void AcceptChooserSoon(QString& shownStyle) {
    QTimer::singleShot(0, [&shownStyle] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (auto* fonts = dialog->findChild<QFontDialog*>()) shownStyle = fonts->currentFont().styleName();
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Ok)->click();
    });
}

LOGFONTW Face(const QString& face, std::int32_t weight, bool italic) {
    LOGFONTW lf;
    lf.lfHeight = -20;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.setFaceName(face);
    return lf;
}

TEST(FontChooserStart, OkUntouchedGivesBackTheSameDescription) {
    for (const QString family : {"DejaVu Sans", "DejaVu Serif", "Noto Sans", "Liberation Serif"}) {
        if (!QFontDatabase::hasFamily(family)) {
            ADD_FAILURE() << family.toStdString() << " is not installed";
            continue;
        }
        for (const auto& [weight, italic] : {std::pair{FW_NORMAL, false}, {FW_BOLD, false}, {FW_NORMAL, true}}) {
            const LOGFONTW lf = Face(family, weight, italic);
            QString shown;
            AcceptChooserSoon(shown);
            const std::optional<FontChoice> choice = RunFontChooser(nullptr, FontRequest{lf, 0, true});
            ASSERT_TRUE(choice.has_value());
            const std::string what = QStringLiteral("%1 %2 %3 (shown as %4)")
                                         .arg(family)
                                         .arg(weight)
                                         .arg(italic ? "italic" : "upright", shown)
                                         .toStdString();
            EXPECT_EQ(choice->font.faceName(), family) << what;
            EXPECT_EQ(choice->font.lfWeight, weight) << what;
            EXPECT_EQ(choice->font.lfItalic, lf.lfItalic) << what;
            EXPECT_EQ(choice->font.lfHeight, lf.lfHeight) << what;
            EXPECT_EQ(choice->font.lfUnderline, 0) << what;
            EXPECT_EQ(choice->font.lfStrikeOut, 0) << what;
            EXPECT_TRUE(choice->font == lf) << what;
            EXPECT_FALSE(shown.contains(QStringLiteral("Condensed"))) << what;
        }
    }
}

TEST(FontChooserStart, UnderlineAndStrikeOutSurviveOk) {
    LOGFONTW lf = Face(QStringLiteral("DejaVu Serif"), FW_BOLD, true);
    lf.lfUnderline = 1;
    lf.lfStrikeOut = 1;
    QString shown;
    AcceptChooserSoon(shown);
    const std::optional<FontChoice> choice = RunFontChooser(nullptr, FontRequest{lf, 0, true});
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(choice->font == lf) << shown.toStdString();
}

}  // namespace
