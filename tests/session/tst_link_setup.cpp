// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/Clock.h"
#include "link/DeviceLink.h"
#include "link/DeviceWarnings.h"
#include "session/LinkSetup.h"

#include <QCommandLineParser>
#include <QTemporaryDir>
#include <QtTest>

namespace {
class NoWarnings : public DeviceWarnings
{
public:
    void deviceWarning(const QString &) override { }
};
} // namespace

class TestLinkSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void traceForms_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("bare, last")
            << QStringList { "p", "--trace" } << QStringList { "p", "--trace=-" };
        QTest::addRow("bare, before an option") << QStringList { "p", "--trace", "--simulate" }
                                                << QStringList { "p", "--trace=-", "--simulate" };
        QTest::addRow("with a space") << QStringList { "p", "--trace", "t.txt", "--simulate" }
                                      << QStringList { "p", "--trace=t.txt", "--simulate" };
        QTest::addRow("with =") << QStringList { "p", "--trace=t.txt" }
                                << QStringList { "p", "--trace=t.txt" };
    }
    void traceForms()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, expected);
        QCOMPARE(LinkSetup::normalisedArguments(args), expected);
    }

    void traceStartsWithAHeader()
    {
        QCoreApplication::setApplicationName("ZELVARIN Utility");
        QCoreApplication::setApplicationVersion("9.9");
        QTemporaryDir dir;
        LinkSetup::Options options;
        options.simulate = true;
        options.trace = true;
        options.traceTarget = dir.filePath("trace.txt");
        options.usbIds = { "1234:ABCD" };
        VirtualClock clock;
        NoWarnings warnings;
        LinkSetup setup;
        QString error;
        auto usb = setup.createBackend(options, clock, &error);
        QVERIFY(usb);
        DeviceLink link(*usb, clock, warnings);
        QVERIFY(setup.startTrace(options, link, &error));
        Reply reply {};
        const quint8 request[] = { 0x11, 0x2A, 0xE1 };
        link.transact(reply, request, 42, sizeof request);

        QFile file(options.traceTarget);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.size() >= 3);
        QVERIFY(lines[0].startsWith("# ZELVARIN Utility 9.9, "));
        QVERIFY(lines[0].endsWith(", backend simulated box, USB ids 10c4:ea61 1234:abcd"));
        QVERIFY(lines[1].endsWith(" > 11 2A E1"));

        options.traceTarget = dir.filePath("no/such/folder/trace.txt");
        LinkSetup other;
        QVERIFY(!other.startTrace(options, link, &error));
        QVERIFY(error.startsWith("Cannot write the trace to "));

        // Targets that open for writing and then take no byte: a full disk for everyone, and,
        // for root, a file of /proc that refuses writes.
        for (const QString target : { "/dev/full", "/proc/version" }) {
            if (!QFile::exists(target))
                continue;
            options.traceTarget = target;
            LinkSetup refused;
            QVERIFY2(!refused.startTrace(options, link, &error), qPrintable(target));
            QVERIFY2(error.startsWith("Cannot write the trace to " + target), qPrintable(error));
        }
    }

    // A wrong USB value is one with the simulated box too: both front ends refuse to start.
    void usbValuesAreCheckedWhateverTheBox_data()
    {
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("usbOptions");
        QTest::addColumn<bool>("valid");
        for (const bool simulate : { true, false }) {
            const char *box = simulate ? "simulated" : "usb";
            QTest::addRow("%s, id not a pair", box)
                << simulate << QStringList { "x" } << QStringList {} << false;
            QTest::addRow("%s, unknown option", box)
                << simulate << QStringList {} << QStringList { "colour=1" } << false;
            QTest::addRow("%s, good values", box)
                << simulate << QStringList { "10c4:ea62" } << QStringList { "open=0002" } << true;
        }
    }
    void usbValuesAreCheckedWhateverTheBox()
    {
        QFETCH(bool, simulate);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, usbOptions);
        QFETCH(bool, valid);
        // A build without the libusb backend takes no USB values at all.
        valid = valid && LinkSetup::hasUsbSettings();
        LinkSetup::Options options;
        options.simulate = simulate;
        options.usbIds = ids;
        options.usbOptions = usbOptions;
        VirtualClock clock;
        LinkSetup setup;
        QString error;
        QCOMPARE(bool(setup.createBackend(options, clock, &error)), valid);
        QCOMPARE(error.isEmpty(), valid);
        QCOMPARE(LinkSetup::checkUsbValues(options, nullptr), valid);

        // As the window and the service read them from their command lines.
        if (!LinkSetup::hasUsbSettings())
            return;
        QCommandLineParser parser;
        LinkSetup::addUsbOptions(parser);
        QStringList args { QStringLiteral("program") };
        for (const QString &id : ids)
            args << QStringLiteral("--usb-id=") + id;
        for (const QString &option : usbOptions)
            args << QStringLiteral("--usb-option=") + option;
        QVERIFY(parser.parse(args));
        LinkSetup::Options read;
        read.simulate = simulate;
        QCOMPARE(LinkSetup::readUsbOptions(parser, read, &error), valid);
        QCOMPARE(read.usbIds, ids);
        QCOMPARE(read.usbOptions, usbOptions);
    }
};

QTEST_GUILESS_MAIN(TestLinkSetup)
#include "tst_link_setup.moc"
