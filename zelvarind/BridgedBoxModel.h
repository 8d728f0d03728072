// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "zelvarind/mqtt/BridgedBox.h"

class BoxModel;

// One of the service's boxes as the MQTT bridge sees it. What it answers is what the box model
// holds from its last poll; its two requests go to the model's checked entry points and so into
// the box's one queue, behind and between the D-Bus clients' requests, as those of one more
// client (whose share of the queue is bounded like theirs).
class BridgedBoxModel : public BridgedBox
{
    Q_OBJECT

public:
    // The name the bridge's requests carry in the queue; no D-Bus name looks like it (those
    // begin with ':' or have dots), so it never shares a client's holds or queue share.
    static const QString &clientName();

    // The model outlives this object.
    explicit BridgedBoxModel(BoxModel &model, QObject *parent = nullptr);

    QString serial() const override;
    QString model() const override;
    QString firmware() const override;
    bool available() const override;
    bool busy() const override;
    QString setting(const QString &name) const override;
    QString signalText(SignalLine line) const override;
    void setSetting(const QString &name, const QString &value, Done done) override;
    void sendCec(const QString &hex, Done done) override;

private:
    BoxModel &m_model;
};
