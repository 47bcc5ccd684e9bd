#include "app/font_settings.h"

#include "app/profile_store.h"

namespace {

std::int32_t defaultFor(const FontDefaults& defaults, FontField field) {
    switch (field) {
    case FontField::Height: return defaults.height;
    case FontField::Weight: return defaults.weight;
    default: return 0;
    }
}

QString str(const char16_t* s) { return QString::fromUtf16(s); }

}  // namespace

std::int32_t FontFieldValue(const LOGFONTW& f, FontField field) {
    switch (field) {
    case FontField::Height: return f.lfHeight;
    case FontField::Width: return f.lfWidth;
    case FontField::Escapement: return f.lfEscapement;
    case FontField::Orientation: return f.lfOrientation;
    case FontField::Weight: return f.lfWeight;
    case FontField::Italic: return f.lfItalic;
    case FontField::Underline: return f.lfUnderline;
    case FontField::StrikeOut: return f.lfStrikeOut;
    case FontField::CharSet: return f.lfCharSet;
    case FontField::OutPrecision: return f.lfOutPrecision;
    case FontField::ClipPrecision: return f.lfClipPrecision;
    case FontField::PitchAndFamily: return f.lfPitchAndFamily;
    case FontField::FaceName: return 0;
    }
    return 0;
}

void SetFontFieldValue(LOGFONTW& f, FontField field, std::int32_t v) {
    const auto low = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFFu);
    switch (field) {
    case FontField::Height: f.lfHeight = v; break;
    case FontField::Width: f.lfWidth = v; break;
    case FontField::Escapement: f.lfEscapement = v; break;
    case FontField::Orientation: f.lfOrientation = v; break;
    case FontField::Weight: f.lfWeight = v; break;
    case FontField::Italic: f.lfItalic = low; break;
    case FontField::Underline: f.lfUnderline = low; break;
    case FontField::StrikeOut: f.lfStrikeOut = low; break;
    case FontField::CharSet: f.lfCharSet = low; break;
    case FontField::OutPrecision: f.lfOutPrecision = low; break;
    case FontField::ClipPrecision: f.lfClipPrecision = low; break;
    case FontField::PitchAndFamily: f.lfPitchAndFamily = low; break;
    case FontField::FaceName: break;
    }
}

void ReadFontSection(const QString& section, const FontDefaults& defaults, LOGFONTW& font,
                     const std::function<void(FontField)>& afterEachKey) {
    for (const FontKey& k : kFontKeys) {
        if (k.field == FontField::FaceName) {
            font.setFaceName(GetProfileString(section, str(k.key), str(defaults.faceName)));
        } else {
            SetFontFieldValue(font, k.field, GetProfileInt(section, str(k.key), defaultFor(defaults, k.field)));
        }
        if (afterEachKey) afterEachKey(k.field);
    }
}

void WriteFontSection(const QString& section, const LOGFONTW& font, const std::function<void(FontField)>& afterEachKey) {
    for (const FontKey& k : kFontKeys) {
        if (k.field == FontField::FaceName) {
            WriteProfileString(section, str(k.key), font.faceName());
        } else {
            WriteProfileInt(section, str(k.key), FontFieldValue(font, k.field));
        }
        if (afterEachKey) afterEachKey(k.field);
    }
}

void LoadOverlayFont(LOGFONTW& font) {
    ReadFontSection(str(Settings::kCurrentFontSection), kOverlayFontDefaults, font);
}

void SaveOverlayFont(const LOGFONTW& font) { WriteFontSection(str(Settings::kCurrentFontSection), font); }
