// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QVector>

class EdidEditContext;
struct CtaLayout;

// Data blocks that point at the short video descriptors of their CTA block by position rather
// than by VIC: the YCbCr 4:2:0 capability map (one bit per descriptor) and the 3D fields of the
// HDMI block (a mask over the first 16 descriptors and entries naming one by its place). When
// descriptors leave, arrive or move, these must follow, or they would describe other formats.
namespace CtaSvdFollow {

// A descriptor added at `position` (in the new order), marked YCbCr 4:2:0 capable or not.
struct Added
{
    int position;
    bool ycbcr420;
};

// `oldToNew[i]` is the new position of the descriptor that was at i, or -1 when it left;
// `newCount` how many there are now. False, with the refusal set, when the HDMI 3D fields cannot
// follow (they reach only the first 16 descriptors) or the map would outgrow its block.
bool follow(EdidEditContext &c, CtaLayout &cta, const QVector<int> &oldToNew, int newCount,
    const QVector<Added> &added);

// Takes HDMI VIC `hdmiVic` out of the HDMI block `vsdb`; false when it is not listed there.
bool removeHdmiVic(QByteArray &vsdb, int hdmiVic);

} // namespace CtaSvdFollow
