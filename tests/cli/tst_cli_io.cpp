// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// zelvarinctl where a script's world gets in the way: a full disk, device nodes and FIFOs as
// output files, inputs without end, Ctrl+C during an upload, a terminal on standard error.
#include "box/SettingsPreset.h"
#include "tests/support/CliRun.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using TestFiles::readFile;
using TestFiles::writeFile;

const QString kData = QStringLiteral(ZELVARIN_TEST_DATA);
const QString kTable = kData + QStringLiteral("/edid/tv-hdr-600mhz.bin");

mode_t fileType(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// Everything a descriptor has ready, without waiting.
QByteArray drain(int fd)
{
    QByteArray all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return all;
        all.append(buffer, int(n));
    }
}

} // namespace

class TestCliIo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_customPreset; // the box in custom EDID mode, the one mode that takes an upload

    QString path(const QString &name) const { return m_dir.filePath(name); }

    CliRun run(const QStringList &args, const QByteArray &input = {}, const QString &out = {})
    {
        return runZelvarinctl(m_dir.path(), args, input, out);
    }

    QStringList customBox() const { return { QStringLiteral("--simulate=") + m_customPreset }; }

    // zelvarinctl started, not waited for, its trace in `trace`.
    void start(QProcess &p, const QString &trace, const QStringList &args)
    {
        QFile::remove(trace);
        p.start(QStringLiteral(ZELVARINCTL),
            QStringList { QStringLiteral("--trace=") + trace } + customBox() + args);
        QVERIFY(p.waitForStarted());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_customPreset = path(QStringLiteral("custom.json"));
        QCOMPARE(run({ "settings", "save", m_customPreset }).exitCode, 0);
        QString preset = QString::fromUtf8(readFile(m_customPreset));
        preset.replace(QRegularExpression(QStringLiteral("\"edid-mode\": \"[a-z]+\"")),
            QStringLiteral("\"edid-mode\": \"custom\""));
        preset.replace(QRegularExpression(QStringLiteral("\"custom-edid\": \"[a-z0-9-]+\"")),
            QStringLiteral("\"custom-edid\": \"custom\""));
        QVERIFY(writeFile(m_customPreset, preset.toUtf8()));
        // The upload works on that box: the interruption below is the only thing that stops it.
        const CliRun whole = run(customBox() + QStringList { "edid", "write", kTable });
        QCOMPARE(whole.exitCode, 0);
        QCOMPARE(whole.requests.filter(QRegularExpression("^10 08 B0 ")).size(), 32);
        QCOMPARE(whole.requests.last(), QStringLiteral("10 08 B1"));
    }

    // A result that does not reach standard output is a failure, said once, whatever printed it.
    void failedOutputIsAFailure_data()
    {
        QTest::addColumn<QStringList>("args");
        const auto row = [](const char *args) {
            QTest::newRow(args) << QString::fromLatin1(args).split(QLatin1Char(' '));
        };
        row("edid read");
        row("status");
        row("--json status");
        row("get input");
        row("list");
        row("--json list");
        row("cec decode 40:04");
        row("infoframe decode 87:01:1a:00:02:00:34:21");
        row("help");
        row("help edid");
        row("--help");
        row("--version");
        QTest::newRow("edid decode") << QStringList { "edid", "decode", kTable };
        QTest::newRow("edid check") << QStringList { "--json", "edid", "check", kTable };
    }

    void failedOutputIsAFailure()
    {
        QFETCH(QStringList, args);
        const CliRun r = run(args, {}, QStringLiteral("/dev/full"));
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err,
            QByteArray("zelvarinctl: cannot write to standard output: No space left on device\n"));
    }

    // A FIFO named as the output is written into, and is still a FIFO afterwards.
    void outputOntoAFifo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("startsWith");
        const QString fifo = path(QStringLiteral("out.fifo"));
        QTest::newRow("edid read -o")
            << QStringList { "edid", "read", "-o", fifo } << QByteArray("00 FF FF FF FF FF FF 00");
        QTest::newRow("edid fix -o") << QStringList { "edid", "fix", kTable, "-o", fifo }
                                     << QByteArray("00 FF FF FF FF FF FF 00");
        QTest::newRow("settings save")
            << QStringList { "settings", "save", fifo } << QByteArray("{");
        QTest::newRow("edid edit -o") << QStringList { "edid", "edit", kTable, "--name=Study", "-o",
            fifo } << QByteArray("00 FF FF FF FF FF FF 00");
    }

    void outputOntoAFifo()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, startsWith);
        const QString fifo = path(QStringLiteral("out.fifo"));
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // Held open for reading and writing, so the program's open never waits for a reader, and
        // what it wrote stays in the pipe to be read once it has ended.
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(fd >= 0);
        const CliRun r = run(args);
        const QByteArray written = drain(fd);
        ::close(fd);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(written.startsWith(startsWith), written.constData());
        QCOMPARE(fileType(fifo), mode_t(S_IFIFO));
    }

    // /dev/stdout is the descriptor the shell gave the program, not a file to replace.
    void outputOntoStandardOutput()
    {
        const CliRun r = run({ "edid", "read", "-o", "/dev/stdout" });
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("00 FF FF FF FF FF FF 00"), r.err.constData());
    }

    // A device node stays a device node (one for root to make; the same device as /dev/null).
    void outputOntoADeviceNode()
    {
        const QString node = path(QStringLiteral("null"));
        QFile::remove(node);
        if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (root only)");
        for (const QStringList &args : { QStringList { "edid", "read", "-o", node },
                 QStringList { "settings", "save", node } }) {
            QCOMPARE(run(args).exitCode, 0);
            QCOMPARE(fileType(node), mode_t(S_IFCHR));
        }
        // A regular file is still replaced whole.
        const QString file = path(QStringLiteral("table.bin"));
        QVERIFY(writeFile(file, "old"));
        QCOMPARE(run({ "edid", "read", "-o", file }).exitCode, 0);
        QCOMPARE(readFile(file).size(), 256);
    }

    // Every input has a size limit suited to what it holds: at the limit it is read, a byte past
    // it is bad data at once.
    void inputsHaveLimits_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");

        const QByteArray preset = readFile(m_customPreset);
        QVERIFY(preset.size() < SettingsPreset::FILE_LIMIT);
        const QString presetAtLimit = path(QStringLiteral("limit.json"));
        const QString presetPastLimit = path(QStringLiteral("past.json"));
        QVERIFY(writeFile(presetAtLimit,
            preset + QByteArray(int(SettingsPreset::FILE_LIMIT - preset.size()), ' ')));
        QVERIFY(writeFile(presetPastLimit,
            preset + QByteArray(int(SettingsPreset::FILE_LIMIT - preset.size() + 1), ' ')));

        // The window's Load reads the first 1024 bytes of a file: a raw table of eight blocks
        // fits, one of nine does not.
        const QByteArray table = readFile(kTable);
        const QString tableAtLimit = path(QStringLiteral("limit.bin"));
        const QString tablePastLimit = path(QStringLiteral("past.bin"));
        QVERIFY(writeFile(tableAtLimit, table + QByteArray(1024 - table.size(), '\0')));
        QVERIFY(writeFile(tablePastLimit, table + QByteArray(1024 + 128 - table.size(), '\0')));

        QTest::newRow("preset at the limit")
            << QStringList { "settings", "load", presetAtLimit } << QByteArray() << 0;
        QTest::newRow("preset past the limit")
            << QStringList { "settings", "load", presetPastLimit } << QByteArray() << 3;
        QTest::newRow("preset from /dev/zero")
            << QStringList { "settings", "load", "/dev/zero" } << QByteArray() << 3;
        QTest::newRow("simulated box's preset past the limit")
            << QStringList { "--simulate=" + presetPastLimit, "status" } << QByteArray() << 3;
        QTest::newRow("table at the limit")
            << QStringList { "edid", "check", tableAtLimit } << QByteArray() << 0;
        QTest::newRow("table past the limit")
            << QStringList { "edid", "check", tablePastLimit } << QByteArray() << 3;
        QTest::newRow("table from /dev/zero")
            << QStringList { "edid", "write", "/dev/zero" } << QByteArray() << 3;
        QTest::newRow("decoded table from /dev/zero")
            << QStringList { "edid", "decode", "/dev/zero" } << QByteArray() << 3;
        QTest::newRow("hex on standard input at the limit")
            << QStringList { "cec", "decode", "-" } << QByteArray("40:04").leftJustified(4096, ' ')
            << 0;
        QTest::newRow("hex on standard input past the limit")
            << QStringList { "cec", "decode", "-" } << QByteArray("40:04").leftJustified(4097, ' ')
            << 3;
    }

    void inputsHaveLimits()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        const CliRun r = run(args, input);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 3) {
            QVERIFY2(r.err.contains("too much for"), r.err.constData());
            QCOMPARE(r.err.count('\n'), 1);
            QVERIFY(!r.boxTouched);
        }
    }

    // Ctrl+C or SIGTERM during `edid write` stops the upload between two chunks: the commit is
    // never sent, so the box keeps its table, and the program ends as the signal ends it.
    void interruptedUploadCommitsNothing_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }

    void interruptedUploadCommitsNothing()
    {
        QFETCH(int, signal);
        const QString trace = path(QStringLiteral("upload-trace.txt"));
        QProcess p;
        start(p, trace, { "edid", "write", kTable });
        // Once the box has answered the first chunk (the trace is flushed with each reply).
        const auto chunks
            = [&] { return traceRequests(trace).filter(QRegularExpression("^10 08 B0 ")).size(); };
        for (int polls = 0; chunks() == 0 && polls < 6000 && p.state() == QProcess::Running;
             ++polls)
            QThread::msleep(5);
        QVERIFY2(chunks() > 0, "the upload did not start");
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(60000));

        QCOMPARE(p.exitStatus(), QProcess::CrashExit); // ended by the signal
        const QStringList requests = traceRequests(trace);
        QVERIFY2(chunks() < 32, qPrintable(requests.join('\n')));
        QVERIFY2(!requests.contains(QStringLiteral("10 08 B1")), qPrintable(requests.join('\n')));
        QVERIFY(p.readAllStandardError().contains("nothing was committed"));
    }

    // On a terminal the count of a transfer is redrawn in place and its line finished; into a
    // pipe or a log nothing of it is written.
    void progressOnATerminal_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("last");
        QTest::newRow("edid read") << QStringList { "edid", "read", "-o", path("read.bin") }
                                   << QByteArray("zelvarinctl: reading EDID 255/255");
        QTest::newRow("edid write") << QStringList { "edid", "write", kTable }
                                    << QByteArray("zelvarinctl: writing EDID 32/32");
    }

    void progressOnATerminal()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, last);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QByteArray slave = ::ptsname(master);
        ::fcntl(master, F_SETFL, O_NONBLOCK);

        QProcess p;
        p.setChildProcessModifier([slave] {
            const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY);
            if (fd >= 0) {
                ::dup2(fd, STDERR_FILENO);
                ::close(fd);
            }
        });
        start(p, path(QStringLiteral("tty-trace.txt")), args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QByteArray screen = drain(master);
        ::close(master);
        screen.replace("\r\n", "\n"); // the terminal's own line ends

        QVERIFY2(
            screen.startsWith("\r" + last.left(last.lastIndexOf(' ')) + " 0/"), screen.constData());
        QVERIFY2(screen.endsWith("\r" + last + "\n"), screen.constData());
        QCOMPARE(screen.count('\n'), 1);

        const CliRun piped = run(customBox() + args);
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(piped.err, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCliIo)
#include "tst_cli_io.moc"
