// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/CliOutput.h"

#include "session/ExitCodes.h"

#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace CliOutput {

namespace {

// The reason of the first failed write to standard output (an errno value), 0 while none failed.
// A buffered write fails only when the buffer goes out, so the reason is caught where that
// happens rather than read from errno at the end, when it may say something else.
int g_stdoutError = 0;

void check(bool ok)
{
    if ((!ok || std::ferror(stdout)) && g_stdoutError == 0)
        g_stdoutError = errno != 0 ? errno : EIO;
}

void write(const QByteArray &data, bool flush)
{
    errno = 0;
    bool ok = std::fwrite(data.constData(), 1, size_t(data.size()), stdout) == size_t(data.size());
    if (flush)
        ok = std::fflush(stdout) == 0 && ok;
    check(ok);
}

} // namespace

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
    write(text.toLocal8Bit() + '\n', false);
}

void text(const QString &text)
{
    write(text.toLocal8Bit(), false);
}

QByteArray jsonText(const QJsonObject &object, bool compact)
{
    // QJsonObject keeps its keys in alphabetical order; the version goes in front of them by hand
    // so that a reader sees it first.
    const QByteArray body = QJsonDocument(object)
                                .toJson(compact ? QJsonDocument::Compact : QJsonDocument::Indented)
                                .trimmed();
    const QByteArray version = QByteArray::number(JSON_FORMAT_VERSION);
    if (object.isEmpty())
        return compact ? "{\"format_version\":" + version + '}'
                       : "{\n    \"format_version\": " + version + "\n}";
    // body is "{...}" (compact) or "{\n    ...\n}" (indented).
    return compact ? "{\"format_version\":" + version + ',' + body.mid(1)
                   : "{\n    \"format_version\": " + version + ',' + body.mid(1);
}

void json(const QJsonObject &object, bool compact)
{
    // A watch line must reach a pipe as soon as it is printed, not when the buffer fills.
    write(jsonText(object, compact) + '\n', true);
}

void bytes(const QByteArray &data)
{
    write(data, true);
}

void flush()
{
    errno = 0;
    check(std::fflush(stdout) == 0);
}

bool stdoutFailed()
{
    return g_stdoutError != 0;
}

int finish(int exitCode)
{
    flush();
    if (!stdoutFailed())
        return exitCode;
    warn(QStringLiteral("cannot write to standard output: %1")
             .arg(QString::fromLocal8Bit(std::strerror(g_stdoutError))));
    return exitCode == ExitCode::Ok ? ExitCode::BadData : exitCode;
}

bool stderrIsTerminal()
{
#if defined(Q_OS_WIN)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

} // namespace CliOutput
