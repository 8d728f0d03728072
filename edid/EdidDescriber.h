// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/Description.h"
#include "edid/EdidDecoded.h"
#include "edid/JsonWriter.h"

#include <QJsonObject>
#include <QStringList>

// Puts a decoded EDID into words: indented lines for people, a JSON object for programs. Both
// come from the one walk of describe(), so every field is in both; the JSON keys are snake_case
// (edid/README.md lists them).
namespace EdidDescriber {

// The walk: lines and JSON members (of the object the caller has opened), as `out` wants them.
void describe(const EdidDecoded &edid, Description &out);

QStringList lines(const EdidDecoded &edid);
// The members of the table's object, into the object `json` has open.
void writeJson(const EdidDecoded &edid, JsonWriter &json);
// The table's object as JSON text.
QByteArray jsonText(const EdidDecoded &edid, JsonWriter::Style style = JsonWriter::Compact);
// The same as an object, for code that wants to look into it; slower than the text.
QJsonObject json(const EdidDecoded &edid);

// "3840x2160 60.000 Hz" (with "i" after the height when interlaced).
QString timingText(const EdidDetailedTiming &t);
// A detailed timing in full: timingText(), pixel clock, blanking, sync, and the image size where
// the block has one; and the same as members of the JSON object `out` has open.
QString detailedTimingText(const EdidDetailedTiming &t, bool withImageSize);
void detailedTimingFields(const EdidDetailedTiming &t, bool withImageSize, Description &out);
// "1.0.0.0"; each level a hex digit ("1.a.0.0")
QString physicalAddressText(quint16 address);

} // namespace EdidDescriber
