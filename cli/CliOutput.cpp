// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"

#include <QJsonDocument>

#include <cstdio>
#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace CliOutput {

int fail(int exitCode, const QString &message)
{
    warn(message);
    return exitCode;
}

void warn(const QString &message)
{
    // One line each: a message with a line break in it would read as two complaints.
    QString flat = message;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "zelvarinctl: %s\n", flat.toLocal8Bit().constData());
    std::fflush(stderr);
}

void line(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

void json(const QJsonDocument &doc, bool compact)
{
    const QByteArray text
        = doc.toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented).trimmed();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
    // A watch line must reach a pipe as soon as it is printed, not when the buffer fills.
    std::fflush(stdout);
}

void json(const QJsonObject &object, bool compact)
{
    json(QJsonDocument(object), compact);
}

void bytes(const QByteArray &data)
{
    std::fwrite(data.constData(), 1, size_t(data.size()), stdout);
    std::fflush(stdout);
}

bool stderrIsTerminal()
{
#if defined(Q_OS_WIN)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void progress(const QString &what, int done, int total)
{
    if (!stderrIsTerminal() || total <= 0)
        return;
    std::fprintf(stderr, "\rzelvarinctl: %s %d/%d", what.toLocal8Bit().constData(), done, total);
    if (done >= total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace CliOutput
