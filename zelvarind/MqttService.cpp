// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/MqttService.h"

#include "zelvarind/BoxModel.h"
#include "zelvarind/BridgedBoxModel.h"
#include "zelvarind/mqtt/MqttBridge.h"

#include <cstdio>

MqttService::MqttService(MqttConfig config, QObject *parent)
    : QObject(parent)
    , m_config(std::move(config))
{
}

MqttService::~MqttService() = default;

bool MqttService::start(const QList<BoxModel *> &models, QString *error)
{
    m_bridge = std::make_unique<MqttBridge>(m_config);
    // The service's log (standard error, the journal under systemd). The bridge's lines never
    // hold the password: it reads the password file itself and hands it to libmosquitto only.
    m_bridge->setLogger(
        [](const QString &line) { std::fprintf(stderr, "zelvarind: %s\n", qPrintable(line)); });
    if (!m_bridge->start(error))
        return false;
    for (BoxModel *model : models) {
        m_boxes.push_back(std::make_unique<BridgedBoxModel>(*model));
        follow(model, m_boxes.back().get());
    }
    return true;
}

void MqttService::follow(BoxModel *model, BridgedBoxModel *box)
{
    connect(model, &BoxModel::connectedChanged, box, [this, box](bool connected) {
        if (connected)
            m_bridge->addBox(box);
        else
            m_bridge->removeBox(box);
    });
    if (model->state().connected)
        m_bridge->addBox(box);
}
