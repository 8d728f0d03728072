// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "edid/DisplayIdDescriber.h"

#include "edid/EdidDescriber.h"
#include "edid/HexText.h"

namespace {

// Display product types of DisplayID 1.x, and the primary use cases that replace them in 2.x.
const char *const kProductTypes1[7] = { "extension section", "test structure", "display panel",
    "standalone display", "television", "repeater or translator", "direct drive monitor" };
const char *const kUseCases2[9] = { "extension section", "test structure", "generic display",
    "television", "desktop productivity display", "desktop gaming display", "presentation display",
    "virtual reality headset", "augmented reality headset" };
const char *const kAspects[9]
    = { "1:1", "5:4", "4:3", "15:9", "16:9", "16:10", "64:27", "256:135", "no aspect ratio" };

QString productTypeText(const DisplayIdBlock &d)
{
    const bool two = d.version >= 2;
    const int count = two ? 9 : 7;
    if (d.productType >= 0 && d.productType < count)
        return QLatin1String(two ? kUseCases2[d.productType] : kProductTypes1[d.productType]);
    return QLatin1String("reserved type ") % Decimal(d.productType).text();
}

} // namespace

void DisplayIdDescriber::describe(const DisplayIdBlock &d, Description &out)
{
    const QString version
        = Decimal(d.version).text() % QLatin1Char('.') % Decimal(d.revision).text();
    const QString product = productTypeText(d);
    out.line(QLatin1String("Block ") % Decimal(d.blockIndex).text()
        % QLatin1String(": DisplayID extension, version ") % version);
    out.line((d.version >= 2 ? QLatin1String("  Primary use: ") : QLatin1String("  Product type: "))
        % product % QLatin1String(", ") % Decimal(d.extensionCount).text()
        % QLatin1String(" extension sections"));
    out.beginObject();
    out.field("block", d.blockIndex);
    out.field("version", version);
    out.field("product_type", d.productType);
    out.field("product_type_name", product);
    out.field("extension_count", d.extensionCount);
    out.field("section_checksum_good", d.sectionChecksumOk);
    out.beginArray("timings");
    for (const DisplayIdTiming &t : d.timings) {
        const QLatin1String aspect(
            t.aspect >= 0 && t.aspect < 9 ? kAspects[t.aspect] : "reserved aspect ratio");
        if (out.wantsLines())
            out.line(QLatin1String("  Detailed timing: ")
                % EdidDescriber::detailedTimingText(t.timing, false) % QLatin1String(", ") % aspect
                % (t.preferred ? QLatin1String(", preferred") : QLatin1String()));
        out.beginObject();
        EdidDescriber::detailedTimingFields(t.timing, false, out);
        out.field("aspect", aspect);
        out.field("preferred", t.preferred);
        out.field("stereo", t.stereo);
        out.endObject();
    }
    out.endArray();
    out.beginArray("other_blocks");
    for (const DisplayIdOtherBlock &o : d.others) {
        out.line(QLatin1String("  Data block, tag ") % HexText::byte(o.tag) % QLatin1String(", ")
            % Decimal(o.length).text() % QLatin1String(" bytes"));
        out.beginObject();
        out.field("tag", o.tag);
        out.field("revision", o.revision);
        out.field("length", o.length);
        out.endObject();
    }
    out.endArray();
    out.endObject();
}
