// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/StatusSnapshot.h"

#include "box/BoxClient.h"
#include "box/SignalDescription.h"
#include "packets/InfoFrameDecoder.h"
#include "packets/InfoFrameDescriber.h"
#include "protocol/SettingsTable.h"

#include <QJsonValue>

BoxResult StatusSnapshot::read(BoxClient &box, StatusSnapshot &snapshot, QString *failedStep)
{
    const auto failed = [failedStep](const char *step, const BoxResult &r) {
        if (failedStep)
            *failedStep = QLatin1String(step);
        return r;
    };

    // The same reads the window makes at connection and on every tick, in its order.
    BoxClient::FirmwareVersion version;
    if (const BoxResult r = box.identify(version); !r.ok())
        return failed("reading the firmware version", r);
    BoxClient::Status status;
    if (const BoxResult r = box.readStatus(status); !r.ok())
        return failed("reading the status", r);
    const BoxClient::SignalRead signal = box.readSignal();
    for (const BoxResult &r : signal.results) {
        if (!r.ok())
            return failed("reading the signal", r);
    }

    StatusSnapshot s;
    const RegisterImage image = status.settings();
    QJsonObject settings;
    s.lines.append({ QStringLiteral("firmware"), version.dotted() });
    s.lines.append(
        { QStringLiteral("busy"), status.busy() ? QStringLiteral("yes") : QStringLiteral("no") });
    for (const Settings::Setting &setting : Settings::all()) {
        const QString value = Settings::valueName(setting, image[setting.position]);
        settings.insert(QLatin1String(setting.name), value);
        s.lines.append({ QLatin1String(setting.name), value });
    }

    const SignalInfo decoded = signal.decode();
    const SignalDescription words = SignalDescription::describe(decoded);
    QJsonObject signalJson;
    signalJson.insert(QStringLiteral("source"), words.sourceLine);
    signalJson.insert(QStringLiteral("video"), words.videoLine);
    signalJson.insert(QStringLiteral("colour"), words.colourLine);
    signalJson.insert(QStringLiteral("hdr"), words.hdrLine);
    signalJson.insert(QStringLiteral("hdr_infoframe"), words.hdrCapture);
    s.lines.append({ QStringLiteral("signal source"), words.sourceLine });
    s.lines.append({ QStringLiteral("signal video"), words.videoLine });
    s.lines.append({ QStringLiteral("signal colour"), words.colourLine });
    s.lines.append({ QStringLiteral("signal hdr"), words.hdrLine });
    s.lines.append({ QStringLiteral("signal hdr-infoframe"),
        words.hdrCapture.isEmpty() ? QStringLiteral("none") : words.hdrCapture });
    // The box hands over the captured frame's data bytes without type and length, so they are
    // decoded as an HDR payload. Null in the JSON when nothing was captured, so the key is
    // always there for scripts.
    QJsonValue hdrDecoded;
    if (decoded.hasHdrInfoFrame()) {
        const InfoFrameDecoded frame
            = InfoFrameDecoder::decode(decoded.hdrInfoFrame, InfoFrameDecoder::Hint::HdrPayload);
        hdrDecoded = InfoFrameDescriber::json(frame);
        // The first line only says "payload of N bytes", which the hex above already shows.
        const QStringList described = InfoFrameDescriber::lines(frame);
        for (int i = 1; i < described.size(); ++i)
            s.lines.append(
                { QStringLiteral("signal hdr-infoframe decoded"), described.at(i).trimmed() });
    }
    signalJson.insert(QStringLiteral("hdr_infoframe_decoded"), hdrDecoded);

    s.json.insert(QStringLiteral("firmware"), version.dotted());
    s.json.insert(QStringLiteral("settings"), settings);
    s.json.insert(QStringLiteral("signal"), signalJson);
    s.json.insert(QStringLiteral("busy"), status.busy());
    snapshot = s;
    return BoxResult {};
}
