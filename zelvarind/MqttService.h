// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/mqtt/MqttConfig.h"

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

class BoxModel;
class BridgedBoxModel;
class MqttBridge;

// The service's boxes on an MQTT broker: the bridge made from the configuration's [mqtt] section,
// one bridged view per box model, and each box handed to the bridge when the service finds it
// and taken back when it is lost, so that its topics say "offline" until it is back.
class MqttService : public QObject
{
    Q_OBJECT

public:
    explicit MqttService(MqttConfig config, QObject *parent = nullptr);
    ~MqttService() override; // the bridge says "offline" for the boxes before they go

    // Starts the bridge (it reads the password file now) and follows the models, which outlive
    // this object. False, with one line in `error`, when a file of the section is refused.
    bool start(const QList<BoxModel *> &models, QString *error);

private:
    void follow(BoxModel *model, BridgedBoxModel *box);

    MqttConfig m_config;
    std::vector<std::unique_ptr<BridgedBoxModel>> m_boxes;
    std::unique_ptr<MqttBridge> m_bridge; // declared last: goes first
};
