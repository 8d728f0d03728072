// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "cli/CommandArgs.h"
#include "cli/Commands.h"
#include "session/ExitCodes.h"

#include <QJsonArray>
#include <QJsonObject>

// list: every device of the USB layer, with the firmware version of those that open and answer.

namespace {

QString productString(UsbXpress &usb, quint32 index, quint32 kind)
{
    char buffer[ProductString::kBufferSize] = {};
    if (usb.getProductString(index, buffer, kind) != UsbStatus::Success)
        return QString();
    buffer[ProductString::kBufferSize - 1] = '\0';
    return QString::fromLatin1(buffer);
}

} // namespace

namespace Commands {

int list(CliSession &session, CommandArgs &args)
{
    if (const int bad = checkLeftovers(QStringLiteral("list"), args, 0))
        return bad;
    if (const int failed = session.start())
        return failed;
    quint32 count = 0;
    if (session.usb().getNumDevices(&count) != UsbStatus::Success)
        count = 0;

    QJsonArray boxes;
    for (quint32 i = 0; i < count; ++i) {
        const QString serial = productString(session.usb(), i, ProductString::SerialNumber);
        const QString product = productString(session.usb(), i, ProductString::Description);
        QString firmware;
        // Another program may hold the box; it is listed all the same, without a version.
        if (session.link().open(i)) {
            BoxClient::FirmwareVersion version;
            if (session.box().identify(version).ok())
                firmware = version.dotted();
            session.link().close();
        }
        if (session.json()) {
            boxes.append(QJsonObject { { QStringLiteral("index"), int(i) },
                { QStringLiteral("serial"), serial }, { QStringLiteral("product"), product },
                { QStringLiteral("firmware"),
                    firmware.isEmpty() ? QJsonValue() : QJsonValue(firmware) } });
        } else {
            CliOutput::line(
                QStringLiteral("%1\t%2\t%3\t%4")
                    .arg(i)
                    .arg(serial, product, firmware.isEmpty() ? QStringLiteral("-") : firmware));
        }
    }
    // An object, as every answer, so that it carries the format version.
    if (session.json())
        CliOutput::json(QJsonObject { { QStringLiteral("boxes"), boxes } });
    return ExitCode::Ok;
}

} // namespace Commands
