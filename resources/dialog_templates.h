#pragma once
// The program's dialog templates: 102, the converter dialog, and 100, the
// About box.

#include "platform/dialog_template.h"

const DialogTemplate& ConverterDialogTemplate();  // 102
const DialogTemplate& AboutDialogTemplate();      // 100
// The template with this identifier, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

// The About box's texts that are the program's own.
extern const QString kAboutVersionLine;
extern const QString kAboutThirdLine;
extern const QString kSupportAddress;
