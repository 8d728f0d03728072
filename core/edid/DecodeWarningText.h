#pragma once

#include "DecodeWarning.h"

#include <QString>

// The words for a decoder's warning, shared by every describer.
namespace DecodeWarningText {

QString describe(const DecodeWarning &warning);

} // namespace DecodeWarningText
