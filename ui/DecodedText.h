// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

struct SignalInfo;

// The decoded view's words for what the user typed and what the box reports: the describers' lines,
// or one plain sentence saying why there is nothing to describe. Text in, text out, so the wording
// is tested without a window.
namespace DecodedText {

// The hex text of an EDID table, as EDIDtext holds it.
QStringList edid(const QString &text);
// An HDR InfoFrame as IFtext holds it (header, checksum and data) or as txtHdrIf shows it (the
// data bytes alone); InfoFrameDecoder::decodeAs tells them apart, as zelvarinctl does.
QStringList hdrInfoFrame(const QString &text);
// An AVI InfoFrame as AVItext holds it (the data bytes, or a whole frame pasted in).
QStringList aviInfoFrame(const QString &text);
// One CEC message: header, opcode, operands, as CECtext holds it.
QStringList cec(const QString &text);
// The HDR InfoFrame the box captured from the incoming signal; null when no signal was read yet.
QStringList captured(const SignalInfo *signal);

// The same on one line, for a tooltip; empty when the text is empty.
QString cecLine(const QString &text);
QString hdrInfoFrameLine(const QString &text);
QString aviInfoFrameLine(const QString &text);

} // namespace DecodedText
