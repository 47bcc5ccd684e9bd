// The shipped translations fit their controls: after translating the
// converter dialog, every replaced text fits on one line of its control in
// the interface font (labels are one line high, buttons show one line).
#include "language/clanguage.h"

#include "platform/cdialog.h"
#include "resources/dialog_templates.h"
#include "tests/language/language_fixture.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

const QString kSourceRoot = QStringLiteral(TESS_SHIPPED_LANGUAGE_FOLDER "/..");

// The width a control leaves for its text.
int textRoom(QWidget* w) {
    if (qobject_cast<QPushButton*>(w)) return w->width() - 2 * w->style()->pixelMetric(QStyle::PM_ButtonMargin);
    if (qobject_cast<QRadioButton*>(w)) {
        return w->width() - w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
               w->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    }
    if (qobject_cast<QGroupBox*>(w)) return w->width() - 16;
    return w->width();
}

QString textOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return {};
}

class ShippedLayoutTest : public LanguageTest {};

TEST_F(ShippedLayoutTest, EveryTranslatedLabelFitsItsControl) {
    CLanguage language;
    language.Initialize(kSourceRoot, QStringLiteral("english"));
    const int count = language.GetLanguageCount();
    ASSERT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        const QString name = language.GetLanguageName(i);
        SCOPED_TRACE(name.toStdString());
        language.SelectLanguage(name);
        CDialog dialog{ConverterDialogTemplate()};
        dialog.Create();
        language.TranslateDialog(dialog, 102);
        for (const int id : dialog.ChildIds()) {
            if (id <= 0 || language.GetDialogText(id).isEmpty()) continue;
            QWidget* w = dialog.GetDlgItem(id);
            const int needed = QFontMetrics(w->font()).horizontalAdvance(textOf(w));
            EXPECT_LE(needed, textRoom(w)) << id << " " << textOf(w).toStdString();
        }
    }
}

}  // namespace
