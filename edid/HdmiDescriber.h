// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "edid/Description.h"
#include "edid/EdidDecoded.h"

// The HDMI blocks of a CTA-861 extension in words and JSON, for CtaDescriber's walk: the HDMI
// 1.4 VSDB as member "hdmi" and the HDMI Forum VSDB or SCDB as member "hdmi_forum" of the open
// object.
namespace HdmiDescriber {

void vsdb(const CtaHdmiVsdb &vsdb, Description &out);
void forum(const CtaHdmiForum &forum, Description &out);

} // namespace HdmiDescriber
