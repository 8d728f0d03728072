// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every edit over every real table, read back by edid-decode, a decoder this program shares no
// code with: the edited table must raise no complaint the original did not, and edid-decode must
// show the edited field with its new value. All tables go to edid-decode in one batch, so the
// test takes seconds.
#include "edid/EdidDecoder.h"
#include "edid/EdidEditor.h"
#include "tests/edid_edit/EditTables.h"
#include "tests/edid_edit/OracleCases.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace EditTables;
using namespace OracleCases;

namespace {

QString decodeAll(const QString &folder)
{
    // xargs runs edid-decode over the files, two at a time; one process of ours for all.
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("sh"),
        { QStringLiteral("-c"),
            QStringLiteral("ls | grep '\\.bin$' | xargs -P 2 -n 64 sh -c 'for f; do \"$0\" -c -s "
                           "--skip-sha \"$f\" > \"$f.txt\" 2>&1; done' \"%1\"")
                .arg(QStringLiteral(EDID_DECODE)) });
    if (!p.waitForFinished(240000) || p.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("edid-decode did not finish: ") + p.errorString();
    return p.exitCode() == 0 ? QString()
                             : QString::fromLocal8Bit(p.readAllStandardError()).left(2000);
}

// Most tables share their patterns: each is compiled once.
const QRegularExpression &compiled(const QString &pattern)
{
    static QHash<QString, QRegularExpression> cache;
    auto it = cache.find(pattern);
    if (it == cache.end())
        it = cache.insert(pattern, QRegularExpression(pattern));
    return *it;
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestEdidEditOracle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyEditReadsBackInEdidDecode();
};

void TestEdidEditOracle::everyEditReadsBackInEdidDecode()
{
    const QString decoder = QStringLiteral(EDID_DECODE);
    if (decoder.isEmpty() || !QFileInfo(decoder).isExecutable())
        QFAIL("edid-decode was not found when the build was configured: install the Debian "
              "package edid-decode (scripts/packages.sh lists it) and configure again");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVector<Table> tables;
    for (const QString &file : allFiles()) {
        Table t;
        t.name = QFileInfo(file).completeBaseName();
        t.bytes = TestFiles::readFile(file);
        t.decoded = EdidDecoder::decode(t.bytes);
        tables << t;
        QFile out(dir.filePath(t.name + QStringLiteral(".bin")));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(t.bytes) == t.bytes.size());
    }
    const QString failed = decodeAll(dir.path());
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    for (Table &t : tables) {
        t.text = readText(dir.filePath(t.name + QStringLiteral(".bin.txt")));
        t.original = reading(t.text);
    }

    // Every case of every table, written for the second batch.
    QTemporaryDir edited;
    edited.setAutoRemove(qEnvironmentVariableIsEmpty("ZELVARIN_KEEP_EDITED"));
    QVERIFY(edited.isValid());
    struct Done
    {
        int table;
        Case c;
        QString file;
    };
    QVector<Done> done;
    QMap<QString, int> applied, notApplicable;
    QStringList problems;
    for (int i = 0; i < tables.size(); ++i) {
        const Table &t = tables[i];
        const QVector<Case> cases = casesFor(t);
        for (int k = 0; k < cases.size(); ++k) {
            const Case &c = cases[k];
            const QString option = c.what.section(QLatin1Char(' '), 0, 0);
            QVERIFY2(!c.edits.isEmpty(), qPrintable(c.what));
            QByteArray table = t.bytes;
            bool refused = false;
            for (const EdidEdit &e : c.edits) {
                const QByteArray before = table;
                const EdidEditResult r = EdidEditor::apply(table, e);
                // The blocks the edit did not touch keep every byte, checksum and all.
                for (int block = 0; r.ok && block < table.size() / 128; ++block)
                    if (!r.touchedBlocks.contains(block)
                        && table.mid(block * 128, 128) != before.mid(block * 128, 128))
                        problems << t.name + QStringLiteral(": ") + c.what
                                + QStringLiteral(": block %1 changed, untouched").arg(block);
                if (r.ok && checksumsGood(table, r.touchedBlocks))
                    continue;
                refused = true;
                if (r.ok)
                    problems << t.name + QStringLiteral(": ") + c.what
                            + QStringLiteral(": bad checksum");
                else if (table != before)
                    problems << t.name + QStringLiteral(": ") + c.what
                            + QStringLiteral(": refused, and the table changed");
                else if (!r.message.contains(QLatin1String("cannot be edited"))
                    && (c.notApplicable.isEmpty()
                        || !r.message.contains(QRegularExpression(c.notApplicable))))
                    problems << t.name + QStringLiteral(": ") + c.what
                            + QStringLiteral(": refused: ") + r.message;
                break;
            }
            if (refused) {
                ++notApplicable[option];
                continue;
            }
            ++applied[option];
            const QString file = QStringLiteral("%1__%2.bin").arg(t.name).arg(k);
            QFile out(edited.filePath(file));
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(table) == table.size());
            done << Done { i, c, file };
        }
    }
    const QString failedEdits = decodeAll(edited.path());
    QVERIFY2(failedEdits.isEmpty(), qPrintable(failedEdits));

    for (const Done &d : done) {
        const Table &t = tables[d.table];
        const Reading r = reading(readText(edited.filePath(d.file + QStringLiteral(".txt"))));
        const QString where = t.name + QStringLiteral(": ") + d.c.what + QStringLiteral(": ");
        bool consequence = false;
        for (auto it = r.complaints.cbegin(); it != r.complaints.cend(); ++it) {
            if (it.value() <= t.original.complaints.value(it.key()))
                continue;
            if (!d.c.consequence.isEmpty() && it.key().contains(d.c.consequence))
                consequence = true;
            else
                problems << where + QStringLiteral("new complaint: ") + it.key();
        }
        if (!d.c.consequence.isEmpty() && !consequence && !t.original.body.isEmpty()
            && !r.body.isEmpty()) {
            bool before = false;
            for (auto it = t.original.complaints.cbegin(); it != t.original.complaints.cend(); ++it)
                before = before || it.key().contains(d.c.consequence);
            if (!before)
                problems << where + QStringLiteral("edid-decode does not say ") + d.c.consequence;
        }
        for (const QString &pattern : d.c.present)
            if (!compiled(pattern).match(r.body).hasMatch())
                problems << where + QStringLiteral("edid-decode does not show ") + pattern;
        for (const QString &pattern : d.c.absent)
            if (compiled(pattern).match(r.body).hasMatch())
                problems << where + QStringLiteral("edid-decode still shows ") + pattern;
    }
    for (auto it = applied.cbegin(); it != applied.cend(); ++it)
        qInfo("%-20s applied to %3d tables, refused for want of room or place on %d",
            qPrintable(it.key()), it.value(), notApplicable.value(it.key()));
    problems.sort();
    for (const QString &p : problems)
        qWarning("%s", qPrintable(p));
    QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 problems").arg(problems.size())));
}

QTEST_GUILESS_MAIN(TestEdidEditOracle)
#include "tst_edid_edit_oracle.moc"
