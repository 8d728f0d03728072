// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints what decoding an EDID costs, per table, over the 250 real tables the decoder test uses:
//  - decode alone (bytes to EdidDecoded);
//  - decode and the lines a window shows (aim: 12 us or less);
//  - decode and the JSON text `zelvarinctl --json edid decode` prints (aim: 25 us or less);
// and, timed in the same run as a yardstick of the machine, the same JSON made the way a
// QJsonObject makes it: parsed into an object and written out again by QJsonDocument.
// The folder of tables can be given as the first argument.
#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <cstdio>

namespace {

QVector<QByteArray> loadTables(const QString &folder)
{
    QVector<QByteArray> tables;
    QDirIterator it(folder, { QStringLiteral("*.bin") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            tables.append(f.readAll());
    }
    return tables;
}

// Microseconds per table, the best of several rounds so that other work on the machine counts
// as little as possible.
template <typename Work> double microsecondsPerTable(const QVector<QByteArray> &tables, Work work)
{
    constexpr int ROUNDS = 20;
    double best = 1e30;
    for (int round = 0; round < ROUNDS; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray &t : tables)
            work(t);
        best = qMin(best, timer.nsecsElapsed() / 1000.0 / tables.size());
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    const QString folder
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(BENCH_DECODE_DATA);
    const QVector<QByteArray> tables = loadTables(folder);
    if (tables.isEmpty()) {
        std::fprintf(stderr, "bench_decode: no *.bin tables under %s\n", qPrintable(folder));
        return 1;
    }
    int sink = 0; // keeps the work from being optimised away
    const double decode = microsecondsPerTable(
        tables, [&sink](const QByteArray &t) { sink += EdidDecoder::decode(t).base.productCode; });
    const double lines = microsecondsPerTable(tables, [&sink](const QByteArray &t) {
        sink += int(EdidDescriber::lines(EdidDecoder::decode(t)).size());
    });
    const double json = microsecondsPerTable(tables, [&sink](const QByteArray &t) {
        sink += int(EdidDescriber::jsonText(EdidDecoder::decode(t), JsonWriter::Indented).size());
    });
    QVector<QByteArray> texts;
    for (const QByteArray &t : tables)
        texts.append(EdidDescriber::jsonText(EdidDecoder::decode(t)));
    int next = 0;
    const double objects = microsecondsPerTable(texts, [&sink, &next, &texts](const QByteArray &) {
        const QJsonDocument doc = QJsonDocument::fromJson(texts[next++ % texts.size()]);
        sink += int(doc.toJson(QJsonDocument::Indented).size());
    });
    std::printf("EDID decode, %d tables: %.1f us per table\n", int(tables.size()), decode);
    std::printf("EDID decode and lines: %.1f us per table (aim: 12 or less)\n", lines);
    std::printf("EDID decode and JSON text: %.1f us per table (aim: 25 or less)\n", json);
    std::printf("yardstick, the same JSON through a QJsonDocument: %.1f us per table; "
                "decode and JSON / that: %.2f\n",
        objects, json / objects);
    return sink == -1;
}
