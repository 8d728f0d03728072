// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/CommandChecks.h"

#include "edid/EdidChecksum.h"
#include "edid/EdidFile.h"
#include "edid/HexText.h"
#include "link/HexBytes.h"
#include "protocol/Frames.h"
#include "protocol/PacketRules.h"
#include "zelvarind/client/ServiceNames.h"

#include <algorithm>

namespace CommandChecks {

CommandResult invalid(const QString &text)
{
    return CommandResult::failure(ServiceNames::Error::invalidArgs(), text);
}

namespace {

CommandResult bad(const QString &text)
{
    return CommandResult::failure(ServiceNames::Error::badData(), text);
}

} // namespace

CommandResult settings(const StringMap &named, QList<QPair<Settings::Id, quint8>> &out)
{
    out.clear();
    if (named.isEmpty())
        return invalid(QStringLiteral("no setting given"));
    if (named.size() > Settings::all().size())
        return invalid(QStringLiteral("%1 settings given; there are %2")
                           .arg(named.size())
                           .arg(Settings::all().size()));
    for (auto it = named.cbegin(); it != named.cend(); ++it) {
        if (it.key().size() > MAX_WORD || it.value().size() > MAX_WORD)
            return invalid(QStringLiteral("a setting name or value is longer than %1 characters")
                               .arg(MAX_WORD));
        const Settings::Setting *s = Settings::find(it.key());
        if (!s)
            return invalid(QStringLiteral("unknown setting \"%1\"; the settings are: %2")
                               .arg(it.key(), Settings::names().join(QLatin1Char(' '))));
        if (!Settings::valueOf(*s, it.value()))
            return invalid(QStringLiteral("%1 does not take \"%2\"; its values are: %3")
                               .arg(it.key(), it.value(), Settings::valueNames(*s)));
    }
    for (const Settings::Setting &s : Settings::all()) {
        const auto it = named.constFind(QLatin1String(s.name));
        if (it != named.cend())
            out.append({ s.id, *Settings::valueOf(s, it.value()) });
    }
    return CommandResult::success();
}

CommandResult edidTable(const QByteArray &bytes, EdidImage &out)
{
    if (bytes.size() != EDID_SIZE)
        return bad(
            QStringLiteral("an EDID table has %1 bytes, not %2").arg(EDID_SIZE).arg(bytes.size()));
    if (!EdidFile::holdsEdid(bytes))
        return bad(QStringLiteral("the bytes do not start with the EDID header"));
    std::copy_n(reinterpret_cast<const quint8 *>(bytes.constData()), EDID_SIZE, out.begin());
    for (int block = 0; block < 2; ++block) {
        if (edidChecksum(out.data() + block * 128) != out[block * 128 + 127])
            return bad(QStringLiteral("the checksum of block %1 is not correct").arg(block));
    }
    return CommandResult::success();
}

CommandResult packet(Packet kind, const QByteArray &bytes, QByteArray &prepared)
{
    int maxPrepared = PacketRules::MAX_PREPARED_31_BYTES; // CEC send, HDR InfoFrame
    if (kind == Packet::CecStore)
        maxPrepared = PacketRules::MAX_PREPARED_STORE;
    else if (kind == Packet::Avi)
        maxPrepared = PacketRules::MAX_PREPARED_13_BYTES;
    // Checked on the count, so a huge array is never turned into text. n bytes make a prepared
    // text of 3n characters (PacketRules.h), so a count within these limits always fits.
    const int maxBytes = maxPrepared / 3;
    if (bytes.size() < 2 || bytes.size() > maxBytes)
        return bad(QStringLiteral("%1 bytes; it takes at least 2 and at most %2")
                       .arg(bytes.size())
                       .arg(maxBytes));
    prepared = prepareHexText(HexText::bytes(bytes));
    return CommandResult::success();
}

CommandResult frame(const QByteArray &request, uint minReplyLength)
{
    if (request.size() < MIN_FRAME || request.size() > MAX_FRAME)
        return invalid(QStringLiteral("a request frame has %1 to %2 bytes, not %3")
                           .arg(MIN_FRAME)
                           .arg(MAX_FRAME)
                           .arg(request.size()));
    const quint8 kind = quint8(request.at(0));
    if (kind != FRAME_READ && kind != FRAME_WRITE)
        return invalid(QStringLiteral("a request frame starts with 0x%1 or 0x%2")
                           .arg(FRAME_WRITE, 2, 16, QLatin1Char('0'))
                           .arg(FRAME_READ, 2, 16, QLatin1Char('0')));
    if (minReplyLength > uint(MAX_REPLY))
        return invalid(QStringLiteral("a reply has at most %1 bytes").arg(MAX_REPLY));
    return CommandResult::success();
}

} // namespace CommandChecks
