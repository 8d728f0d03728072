// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ProgressLine.h"

#include "cli/CliOutput.h"

#include <cstdio>

ProgressLine::ProgressLine(const QString &what)
    : m_what(what)
    , m_terminal(CliOutput::stderrIsTerminal())
{
}

ProgressLine::~ProgressLine()
{
    finish();
}

void ProgressLine::update(int done, int total)
{
    if (!m_terminal || total <= 0)
        return;
    std::fprintf(stderr, "\rzelvarinctl: %s %d/%d", m_what.toLocal8Bit().constData(), done, total);
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressLine::finish()
{
    if (!m_drawn)
        return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    m_drawn = false;
}
