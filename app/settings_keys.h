#pragma once
// Every setting the program keeps, declared once: its section, key, type and
// default. Readers and writers elsewhere use these rows, never spelled-out
// names.

#include <QString>

#include <array>
#include <cstdint>

struct IntSetting {
    const char16_t* section;
    const char16_t* key;
    std::int32_t defaultValue;
};

struct StringSetting {
    const char16_t* section;
    const char16_t* key;
    const char16_t* defaultValue;  // "last_output_folder" has a computed default
};

namespace Settings {

inline constexpr const char16_t* kOptionSection = u"Option";
inline constexpr const char16_t* kCurrentFontSection = u"CurrentFont";

inline constexpr StringSetting CurrentLanguage{kOptionSection, u"CurrentLanguage", u"english"};
inline constexpr StringSetting LastOutputFolder{kOptionSection, u"last_output_folder", u""};
inline constexpr StringSetting LastPhotoFolder{kOptionSection, u"LastPhotoFolder", u""};
inline constexpr IntSetting JpegQuality{kOptionSection, u"nCurrentJpegQuality", 80};
inline constexpr IntSetting RotateAngle{kOptionSection, u"nRotateAngel", 0};
inline constexpr IntSetting FlipType{kOptionSection, u"nFlipType", 0};
inline constexpr IntSetting OverlayColor{kCurrentFontSection, u"nCurrentColor", 0};

}  // namespace Settings

// The font keys, in the order they are read and written: one per field of a
// LOGFONTW, the face name last. The same names serve the overlay font's
// section and each language's interface-font section; only the defaults and
// the section differ.
enum class FontField {
    Height, Width, Escapement, Orientation, Weight, Italic, Underline, StrikeOut,
    CharSet, OutPrecision, ClipPrecision, PitchAndFamily, FaceName,
};

struct FontKey {
    FontField field;
    const char16_t* key;
    bool byteField;  // stored zero-extended, read back as the low 8 bits
};

inline constexpr std::array<FontKey, 13> kFontKeys = {{
    {FontField::Height, u"lfHeight", false},
    {FontField::Width, u"lfWidth", false},
    {FontField::Escapement, u"lfEscapement", false},
    {FontField::Orientation, u"lfOrientation", false},
    {FontField::Weight, u"lfWeight", false},
    {FontField::Italic, u"lfItalic", true},
    {FontField::Underline, u"lfUnderline", true},
    {FontField::StrikeOut, u"lfStrikeOut", true},
    {FontField::CharSet, u"lfCharSet", true},
    {FontField::OutPrecision, u"lfOutPrecision", true},
    {FontField::ClipPrecision, u"lfClipPrecision", true},
    {FontField::PitchAndFamily, u"lfPitchAndFamily", true},
    {FontField::FaceName, u"lfFaceName", false},
}};

// Defaults of a font section: every integer field 0 but these.
struct FontDefaults {
    std::int32_t height;
    std::int32_t weight;
    const char16_t* faceName;
};

inline constexpr FontDefaults kOverlayFontDefaults{-13, 400, u""};
inline constexpr FontDefaults kInterfaceFontDefaults{-11, 400, u"Microsoft Sans Serif"};
