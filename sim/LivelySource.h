// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "protocol/Frames.h"

#include <QByteArray>

// What the simulated box changes by itself in lively mode, so that a person running --simulate
// sees the window follow the box. Each call makes one change, taking turns by `step`:
// the active input (only with automatic switching on), the source's video format, its HDR state.
namespace LivelySource {

void change(int step, RegisterImage &status, QByteArray &signalBlock, QByteArray &hdrBlock);

} // namespace LivelySource
