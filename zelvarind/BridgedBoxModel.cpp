// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/BridgedBoxModel.h"

#include "edid/HexText.h"
#include "packets/HexInput.h"
#include "zelvarind/BoxModel.h"

namespace {

BoxModel::Done answer(BridgedBox::Done done)
{
    return [done = std::move(done)](const CommandResult &r) {
        done(r.ok() ? BridgedBox::Result::success() : BridgedBox::Result::failure(r.errorText));
    };
}

} // namespace

const QString &BridgedBoxModel::clientName()
{
    static const QString name = QStringLiteral("mqtt-bridge");
    return name;
}

BridgedBoxModel::BridgedBoxModel(BoxModel &model, QObject *parent)
    : BridgedBox(parent)
    , m_model(model)
{
    connect(&m_model, &BoxModel::propertiesChanged, this, &BridgedBox::changed);
}

QString BridgedBoxModel::serial() const
{
    return m_model.serial();
}

QString BridgedBoxModel::model() const
{
    return QStringLiteral("ZELVARIN 4K HDMI matrix");
}

QString BridgedBoxModel::firmware() const
{
    return m_model.state().firmware;
}

bool BridgedBoxModel::available() const
{
    return m_model.state().connected;
}

bool BridgedBoxModel::busy() const
{
    return m_model.state().busy;
}

QString BridgedBoxModel::setting(const QString &name) const
{
    return m_model.state().settings.value(name);
}

QString BridgedBoxModel::signalText(SignalLine line) const
{
    const BoxState &s = m_model.state();
    switch (line) {
    case SignalLine::Source:
        return s.signalSource;
    case SignalLine::Video:
        return s.signalVideo;
    case SignalLine::Colour:
        return s.signalColour;
    case SignalLine::Hdr:
        return s.signalHdr;
    case SignalLine::HdrInfoFrame:
        // Until the signal has been read, no capture is known either way.
        if (s.signalSource.isEmpty())
            return {};
        return s.hdrInfoFrame.isEmpty() ? QStringLiteral("none") : HexText::bytes(s.hdrInfoFrame);
    }
    return {};
}

void BridgedBoxModel::setSetting(const QString &name, const QString &value, Done done)
{
    m_model.setSettings(clientName(), StringMap { { name, value } }, answer(std::move(done)));
}

void BridgedBoxModel::sendCec(const QString &hex, Done done)
{
    // The bridge has checked the text; the model checks the bytes again as for any client.
    m_model.sendCec(clientName(), HexInput::parse(hex).bytes, answer(std::move(done)));
}
