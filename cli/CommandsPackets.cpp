// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "link/HexBytes.h"
#include "protocol/PacketRules.h"
#include "protocol/SettingsTable.h"
#include "protocol/Words.h"
#include "session/ExitCodes.h"

// cec, infoframe and reset: the frames the window's CEC, HDR / IF and reset controls send.

namespace {

// The prepared text of `hex`, or an exit code when it does not parse or does not fit.
int prepare(const QString &command, const QString &hex, bool (*fits)(int), int maxBytes,
    QByteArray &prepared)
{
    if (!PacketRules::isColonHex(hex))
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1: \"%2\" is not hex bytes joined by colons "
                           "(such as 50:04)")
                .arg(command, hex));
    prepared = prepareHexText(hex);
    if (!fits(int(prepared.size())))
        return CliOutput::fail(ExitCode::BadData,
            QStringLiteral("%1: %2 bytes; it takes at least 2 and at most %3")
                .arg(command)
                .arg((hex.size() + 1) / 3)
                .arg(maxBytes));
    return ExitCode::Ok;
}

int outcome(const BoxClient::Steps &steps)
{
    if (const BoxClient::Step *failed = BoxClient::firstFailure(steps))
        return CliSession::boxFailure(failed->what, failed->result);
    return ExitCode::Ok;
}

} // namespace

namespace Commands {

int cec(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("cec");
    if (args.positionals().value(0) == QLatin1String("decode"))
        return cecDecode(session, args);
    if (const int bad = checkLeftovers(command, args, 3))
        return bad;
    const QStringList &w = args.positionals();
    QByteArray prepared;
    if (w.size() == 2 && w.at(0) == QLatin1String("send")) {
        const int maxBytes = PacketRules::MAX_PREPARED_31_BYTES / 3;
        if (const int bad = prepare(
                QStringLiteral("cec send"), w.at(1), PacketRules::fitsCecSend, maxBytes, prepared))
            return bad;
        if (const int failed = session.connect())
            return failed;
        return outcome(BoxClient::packetSteps(
            QStringLiteral("sending the CEC command"), session.box().sendCec(prepared)));
    }
    if (w.size() == 3 && w.at(0) == QLatin1String("store")) {
        const std::optional<int> slot = Words::cecStoreSlot(w.at(1));
        if (!slot)
            return usage(
                command, QStringLiteral("the store slot is 1 or 2, not \"%1\"").arg(w.at(1)));
        const int maxBytes = PacketRules::MAX_PREPARED_STORE / 3;
        if (const int bad = prepare(QStringLiteral("cec store"), w.at(2), PacketRules::fitsCecStore,
                maxBytes, prepared))
            return bad;
        if (const int failed = session.connect())
            return failed;
        const BoxResult r = session.box().storeCec(*slot, prepared);
        return r.ok() ? ExitCode::Ok
                      : CliSession::boxFailure(QStringLiteral("storing the CEC command"), r);
    }
    return usage(command,
        QStringLiteral("expected 'cec send HEX', 'cec store 1|2 HEX' or 'cec decode HEX'"));
}

int infoframe(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("infoframe");
    if (args.positionals().value(0) == QLatin1String("decode"))
        return infoframeDecode(session, args);
    const bool activate = args.flag(QStringLiteral("--activate"));
    const bool replace = args.flag(QStringLiteral("--replace"));
    if (const int bad = checkLeftovers(command, args, 2))
        return bad;
    const QStringList &w = args.positionals();
    const std::optional<InfoFrameKind> kind = Words::infoFrameKind(w.value(0));
    if (w.size() != 2 || !kind)
        return usage(command,
            QStringLiteral("expected 'infoframe hdr HEX', 'infoframe avi HEX' or "
                           "'infoframe decode HEX'"));
    const bool hdr = *kind == InfoFrameKind::Hdr;
    if (hdr && replace)
        return usage(command, QStringLiteral("--replace goes with 'infoframe avi'"));
    if (!hdr && activate)
        return usage(command, QStringLiteral("--activate goes with 'infoframe hdr'"));

    QByteArray prepared;
    if (hdr) {
        if (const int bad = prepare(QStringLiteral("infoframe hdr"), w.at(1),
                PacketRules::fitsHdrInfoFrame, PacketRules::MAX_PREPARED_31_BYTES / 3, prepared))
            return bad;
    } else if (const int bad = prepare(QStringLiteral("infoframe avi"), w.at(1),
                   PacketRules::fitsAvi, PacketRules::MAX_PREPARED_13_BYTES / 3, prepared)) {
        return bad;
    }
    if (const int failed = session.connect())
        return failed;
    BoxClient &box = session.box();

    return outcome(
        hdr ? box.sendHdrInfoFrame(prepared, activate) : box.sendAviInfoFrame(prepared, replace));
}

int reset(CliSession &session, CommandArgs &args)
{
    const QString command = QStringLiteral("reset");
    const bool yes = args.flag(QStringLiteral("--yes"));
    if (const int bad = checkLeftovers(command, args, 1))
        return bad;
    const QStringList &w = args.positionals();
    const QString what = w.value(0);
    const std::optional<Settings::Reset> reset = Words::reset(what);
    if (!reset)
        return usage(command, QStringLiteral("expected 'reset settings|edid|all --yes'"));
    if (!yes)
        return usage(
            command, QStringLiteral("a factory reset cannot be undone; add --yes to do it"));
    if (const int failed = session.connect())
        return failed;
    const BoxResult r = session.box().factoryReset(*reset);
    return r.ok() ? ExitCode::Ok : CliSession::boxFailure(QStringLiteral("factory reset"), r);
}

} // namespace Commands
