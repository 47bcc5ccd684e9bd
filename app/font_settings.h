#pragma once
// Fonts in the settings store: a LOGFONTW kept field by field under the
// fields' own names in one section.

#include "app/settings_keys.h"
#include "imaging/core/logfont.h"

#include <functional>

// Fills the fields of `font` from the section, in key order, each with its
// default; byte fields take the low 8 bits. Fields without a key (the
// quality) are left as they are. `afterEachKey`, when given, runs after each
// key is read (the interface font reads one key twice).
void ReadFontSection(const QString& section, const FontDefaults& defaults, LOGFONTW& font,
                     const std::function<void(FontField)>& afterEachKey = {});
// Writes the fields in key order; `afterEachKey` as above.
void WriteFontSection(const QString& section, const LOGFONTW& font,
                      const std::function<void(FontField)>& afterEachKey = {});

// The field's value as stored (byte fields zero-extended).
std::int32_t FontFieldValue(const LOGFONTW& font, FontField field);
void SetFontFieldValue(LOGFONTW& font, FontField field, std::int32_t value);

// The overlay font of the text stamp: section "CurrentFont".
void LoadOverlayFont(LOGFONTW& font);
void SaveOverlayFont(const LOGFONTW& font);
