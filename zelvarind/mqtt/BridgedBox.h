// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <functional>

// One box as the MQTT bridge sees it: what it publishes about the box and the two things it asks
// of it. The service implements this over its own box object; the tests over a box client on the
// simulated box. Everything is read on the thread of the bridge, and changed() is how the bridge
// learns that any of it moved; it reads again and publishes what differs.
class BridgedBox : public QObject
{
    Q_OBJECT

public:
    // The answer to a request. `error` says in words why the box did not do it ("no reply from
    // the box", "unknown setting ..."); it is logged, never published.
    struct Result
    {
        bool ok = true;
        QString error;
        static Result success() { return {}; }
        static Result failure(const QString &why) { return { false, why }; }
    };
    // Called once, when the request is done; it may be called before the request returns.
    using Done = std::function<void(const Result &)>;

    // The lines that describe the incoming signal, as `zelvarinctl status` prints them.
    enum class SignalLine { Source, Video, Colour, Hdr, HdrInfoFrame };

    using QObject::QObject;

    // The box's serial number as the USB bus reports it.
    virtual QString serial() const = 0;
    // What the box is, for the device entry in Home Assistant ("ZELVARIN 4K HDMI matrix").
    virtual QString model() const = 0;
    // "2.1.0.17"; empty while the box has not been asked.
    virtual QString firmware() const = 0;
    // Connected and answering. While false, nothing below is taken for current.
    virtual bool available() const = 0;
    virtual bool busy() const = 0;
    // A setting's value by the names of the settings table ("input" -> "port-b"; a value without a
    // name as its decimal number); empty while unknown.
    virtual QString setting(const QString &name) const = 0;
    // The signal's words ("none" for an HDR InfoFrame the box has not captured); empty while
    // unknown.
    virtual QString signalText(SignalLine line) const = 0;

    // Requests. The bridge has already checked the name and the value against the settings table
    // and the hex text against the CEC rules; the box checks again as it would for any client.
    virtual void setSetting(const QString &name, const QString &value, Done done) = 0;
    // `hex` is bytes of two hex digits joined by colons ("50:04"), as `zelvarinctl cec send`.
    virtual void sendCec(const QString &hex, Done done) = 0;

Q_SIGNALS:
    // Something above may have changed (a poll saw a difference, a request went through, the box
    // was lost or came back).
    void changed();
};
