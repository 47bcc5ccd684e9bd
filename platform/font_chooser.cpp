// The font chooser with effects: the platform's font dialog for face, style,
// size, underline and strike-out, with a colour row of the sixteen basic
// colours and a custom pick below it.

#include "platform/font_chooser.h"

#include "imaging/core/font_conversion.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QVBoxLayout>

#include <cstdlib>
#include <functional>

namespace {

// The sixteen basic colours of the classic chooser, as COLORREF values.
constexpr COLORREF kBasicColours[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(128, 128, 128),
    RGB(192, 192, 192), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};
constexpr const char* kBasicNames[16] = {"Black", "Maroon", "Green",  "Olive", "Navy", "Purple",
                                         "Teal",  "Grey",   "Silver", "Red",   "Lime", "Yellow",
                                         "Blue",  "Fuchsia", "Aqua",  "White"};

QColor toQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF fromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

QIcon swatch(COLORREF c) {
    QPixmap pixmap(16, 16);
    pixmap.fill(toQColor(c));
    return QIcon(pixmap);
}

class ColourBox : public QComboBox {
public:
    ColourBox(COLORREF initial, QWidget* parent) : QComboBox(parent) {
        setObjectName(QStringLiteral("colour"));
        for (int i = 0; i < 16; ++i) addItem(swatch(kBasicColours[i]), tr(kBasicNames[i]), kBasicColours[i]);
        addItem(tr("Custom..."), -1);
        select(initial);
        connect(this, &QComboBox::activated, this, [this](int index) {
            if (itemData(index).toInt() != -1) {
                colour_ = itemData(index).toUInt();
            } else {
                const QColor picked = QColorDialog::getColor(toQColor(colour_), this);
                if (picked.isValid()) colour_ = fromQColor(picked);
                select(colour_);
            }
            if (changed_) changed_(colour_);
        });
    }
    COLORREF colour() const { return colour_; }
    void onChanged(std::function<void(COLORREF)> changed) { changed_ = std::move(changed); }

private:
    void select(COLORREF c) {
        colour_ = c;
        const int index = findData(c);
        if (index >= 0) {
            setCurrentIndex(index);
            return;
        }
        // A colour outside the basic sixteen gets an entry of its own.
        insertItem(count() - 1, swatch(c), toQColor(c).name(), c);
        setCurrentIndex(count() - 2);
    }
    COLORREF colour_ = 0;
    std::function<void(COLORREF)> changed_;
};

// The font dialog's sample line (the one centred edit among its fields), so
// that the sample can show the chosen colour too.
QLineEdit* sampleOf(QFontDialog& fonts) {
    for (QLineEdit* edit : fonts.findChildren<QLineEdit*>())
        if (edit->alignment() & Qt::AlignHCenter) return edit;
    return nullptr;
}

void paintSample(QLineEdit* sample, COLORREF colour) {
    if (!sample) return;
    QPalette palette = sample->palette();
    palette.setColor(QPalette::Text, toQColor(colour));
    sample->setPalette(palette);
}

// The family's style that draws `font`: the same slant (italic and oblique
// count as one, as the descriptions have a single italic flag), the nearest
// weight, and among equals the shortest name, which is the plain width
// ("Bold" before "Condensed Bold"). Empty for a family the desktop lacks.
QString StyleFor(const QFont& font) {
    const QString family = font.families().isEmpty() ? font.family() : font.families().constFirst();
    QString best;
    qint64 bestScore = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        const QFont face = QFontDatabase::font(family, style, 12);
        if (face.italic() != font.italic()) continue;
        const qint64 score = qint64{std::abs(face.weight() - font.weight())} * 1000 + style.size();
        if (best.isEmpty() || score < bestScore) {
            best = style;
            bestScore = score;
        }
    }
    return best;
}

// The chooser works in points, the descriptions in pixels at 96 DPI. Sizes
// are converted at that fixed resolution rather than the screen's, so that a
// 40-pixel description shows as 30 points and comes back as 40 pixels on any
// screen.
//
// The style is named for the chooser: left to match weight and slant on its
// own, it selects the first style of the family's list that is close enough
// (DejaVu Sans's regular shows as "Oblique", DejaVu Serif's as "Condensed
// Italic"), and OK then hands back that style.
QFont chooserFont(const LOGFONTW& lf) {
    QFont font = FontFromLogFont(lf);
    if (font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    const QString style = StyleFor(font);
    if (!style.isEmpty()) font.setStyleName(style);
    return font;
}

}  // namespace

std::optional<FontChoice> RunFontChooser(QWidget* owner, const FontRequest& request) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QObject::tr("Font"));
    auto* layout = new QVBoxLayout(&dialog);  // owned by the dialog
    auto* fonts = new QFontDialog(chooserFont(request.font), &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    // Turned from a window into a child, the font dialog is hidden until
    // shown again.
    fonts->setWindowFlags(Qt::Widget);
    fonts->setVisible(true);
    layout->addWidget(fonts);
    ColourBox* colours = nullptr;
    if (request.effects) {
        auto* row = new QHBoxLayout;  // owned by the outer layout
        auto* label = new QLabel(QObject::tr("&Colour:"), &dialog);
        colours = new ColourBox(request.color, &dialog);
        label->setBuddy(colours);
        QLineEdit* sample = sampleOf(*fonts);
        paintSample(sample, request.color);
        colours->onChanged([sample](COLORREF colour) { paintSample(sample, colour); });
        row->addWidget(label);
        row->addWidget(colours, 1);
        layout->addLayout(row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;

    FontChoice choice;
    choice.font = LogFontFromFont(fonts->currentFont());
    if (!request.effects) {
        choice.font.lfUnderline = 0;
        choice.font.lfStrikeOut = 0;
    }
    choice.color = colours ? colours->colour() : request.color;
    return choice;
}
