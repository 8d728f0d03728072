// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/edid_edit/EditTables.h"

#include "tests/support/TestFiles.h"

#include "edid/EdidChecksum.h"
#include "edid/EdidEditParser.h"

#include <QDir>
#include <QFile>

namespace EditTables {

QStringList allFiles()
{
    QStringList files;
    for (const char *folder : { ZELVARIN_TEST_DATA "/edid-corpus", ZELVARIN_TEST_DATA "/edid" }) {
        const QDir dir(QString::fromUtf8(folder));
        for (const QString &name : dir.entryList({ QStringLiteral("*.bin") }, QDir::Files))
            files << dir.filePath(name);
    }
    return files;
}

QByteArray named(const QString &name)
{
    return TestFiles::readFile(
        QStringLiteral(ZELVARIN_TEST_DATA "/edid/") + name + QStringLiteral(".bin"));
}

QByteArray ctaTable(const QStringList &dataBlocks, const QVector<QByteArray> &timings)
{
    QByteArray t = named(QStringLiteral("tv-hdr-600mhz")).left(128);
    QByteArray cta = QByteArray::fromHex("02030070");
    for (const QString &d : dataBlocks)
        cta += QByteArray::fromHex(d.toLatin1());
    cta[2] = char(cta.size());
    for (const QByteArray &timing : timings)
        cta += timing;
    cta += QByteArray(128 - cta.size(), '\0');
    t += cta;
    t[126] = 1;
    for (int b = 0; b < 2; ++b)
        t[b * 128 + 127]
            = char(edidChecksum(reinterpret_cast<const quint8 *>(t.constData()) + b * 128));
    return t;
}

bool checksumsGood(const QByteArray &table, const QVector<int> &blocks)
{
    for (int b : blocks)
        if (quint8(table.at(b * 128 + 127))
            != edidChecksum(reinterpret_cast<const quint8 *>(table.constData()) + b * 128))
            return false;
    return true;
}

QVector<EdidEdit> edits(const QString &option, const QString &value)
{
    QVector<EdidEdit> out;
    if (!EdidEditParser::parse(option, value, out, nullptr))
        out.clear();
    return out;
}

EdidEdit edit(const QString &option, const QString &value)
{
    const QVector<EdidEdit> e = edits(option, value);
    if (e.size() != 1)
        qFatal("test edit %s %s does not parse", qPrintable(option), qPrintable(value));
    return e.first();
}

} // namespace EditTables
