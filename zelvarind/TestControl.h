// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QObject>

class BoxModel;

// For tests only, and only with --simulate --test-control: pulls the simulated box out and
// plugs it in again, so a test can see the service lose a box and find it again. Not part of
// the service's interface (io.github.zelvarin.Testing1 at /io/github/zelvarin/Zelvarind/Testing).
class TestControl : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.zelvarin.Testing1")

public:
    explicit TestControl(const QList<BoxModel *> &models, QObject *parent = nullptr);

public Q_SLOTS:
    Q_SCRIPTABLE void SetPresent(bool present);

private:
    QList<BoxModel *> m_models;
};
