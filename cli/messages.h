#pragma once
// The one place where the command line turns what happened into the
// window's message numbers and texts.

#include "imaging/conversion/conversion.h"
#include "imaging/conversion/conversion_rules.h"

#include <QString>

#include <variant>

using CliEvent = std::variant<imaging::ConversionOutcome, imaging::ConversionNotice, imaging::TextReset>;

// The message number of an event; 0 for a conversion that was saved.
int MessageNumber(const CliEvent& event);
// Its built-in text ("error N" should the table lack the row).
QString MessageText(const CliEvent& event);
