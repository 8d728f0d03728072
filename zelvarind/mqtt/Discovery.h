// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/mqtt/BoxTopics.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Home Assistant's MQTT discovery for one box: one device, and under it a select for the input and
// every setting with named values, a switch for every on/off setting, sensors for the signal and
// the firmware, and buttons that turn the TV on and put it in standby over CEC. Each entity's
// config goes, retained, to DISCOVERY/COMPONENT/zelvarin_BOX/OBJECT/config; an empty retained
// message there removes the entity.
class Discovery
{
public:
    struct Device
    {
        QString serial;
        QString model;
        QString firmware;
    };

    // The CEC messages of the two buttons: from the box as audio system (5) to the TV (0).
    static constexpr const char *CEC_TV_ON = "50:04"; // Image View On
    static constexpr const char *CEC_TV_STANDBY = "50:36"; // Standby

    // (topic, JSON) for every entity of the box. An entity is available only while both the
    // bridge (`bridgeAvailability`) and the box say "online".
    static QList<QPair<QString, QByteArray>> configs(const QString &discoveryPrefix,
        const BoxTopics &topics, const QString &bridgeAvailability, const Device &device);
    // Just the config topics, for removing a box whose details are gone.
    static QStringList configTopics(const QString &discoveryPrefix, const QString &boxId);
};
