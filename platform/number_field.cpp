#include "platform/number_field.h"

#include "platform/cdialog.h"
#include "platform/number_text.h"

std::optional<std::int32_t> ReadNumberField(const CDialog& dialog, int id, int bufferChars) {
    const QString text = dialog.GetDlgItemText(id, bufferChars);
    if (text.isEmpty()) return std::nullopt;
    return ParseDecimalField(text);
}
