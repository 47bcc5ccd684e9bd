#pragma once
// The program's dialog templates: IDD_PROGRAM_JPG, the converter dialog, and
// IDD_ABOUTBOX, the About box.

#include "platform/dialog_template.h"

const DialogTemplate& ConverterDialogTemplate();  // IDD_PROGRAM_JPG
const DialogTemplate& AboutDialogTemplate();      // IDD_ABOUTBOX
// The template with this identifier, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

// The About box's texts that are the program's own.
extern const QString kAboutVersionLine;
extern const QString kAboutThirdLine;
extern const QString kSupportAddress;
