// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "zelvarind/TestControl.h"

#include "zelvarind/BoxModel.h"

TestControl::TestControl(const QList<BoxModel *> &models, QObject *parent)
    : QObject(parent)
    , m_models(models)
{
}

void TestControl::SetPresent(bool present)
{
    for (BoxModel *model : m_models)
        model->setSimulatedPresent(present);
}
