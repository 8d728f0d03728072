// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File > Save Settings... and Load Settings... of the window, answered by scripted dialogs.
#include "box/SettingsPreset.h"
#include "tests/support/WindowHarness.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsPresetsWindow : public QObject
{
    Q_OBJECT

private:
    static void trigger(MainWindow &w, const char *name)
    {
        auto *action = w.findChild<QAction *>(QLatin1String(name));
        QVERIFY(action);
        action->trigger();
    }

    // Saves the window's settings to `file` through the scripted dialog and returns the file.
    static QByteArray save(WindowHarness &h, MainWindow &w, const QString &file)
    {
        h.dialogs.fileNames = { file };
        trigger(w, "actionSaveSettings");
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Puts `data` in `file`, then loads it through the scripted dialog, with a fresh frame log.
    static void load(WindowHarness &h, MainWindow &w, const QString &file, const QByteArray &data)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
        f.close();
        h.clearFrames();
        h.dialogs.fileNames = { file };
        trigger(w, "actionLoadSettings");
    }

private Q_SLOTS:
    void saveThenLoadWritesOnlyTheChange()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("window.json"));
        WindowHarness h;
        MainWindow &w = h.create();
        h.tick();

        QByteArray data = save(h, w, file);
        SettingsPreset preset;
        QString why;
        QVERIFY2(SettingsPreset::fromJson(data, preset, &why), qPrintable(why));
        QCOMPARE(preset.firmware, QStringLiteral("2.1.0.17"));

        data.replace("\"input\": \"port-a\"", "\"input\": \"port-b\"");
        load(h, w, file, data);
        QCOMPARE(h.framesHex(), QStringList { QStringLiteral("10 04 E0 00 02") });
        QVERIFY(h.dialogs.texts(QStringLiteral("warning")).isEmpty());
    }

    void corruptFileIsRefusedWhole()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("bad.json"));
        WindowHarness h;
        MainWindow &w = h.create();
        h.tick();
        QByteArray data = save(h, w, file);
        QVERIFY(!data.isEmpty());
        data.replace("\"hdcp\": \"2.2\"", "\"hdcp\": \"1.4\"");
        data.replace("\"input\": \"port-a\"", "\"input\": \"port-q\"");
        load(h, w, file, data);
        QCOMPARE(h.framesHex(), QStringList());
        const QStringList warnings = h.dialogs.texts(QStringLiteral("warning"));
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(QStringLiteral("port-q")), qPrintable(warnings.first()));
    }

    // A file without end (a device) or past the preset size is refused at once, nothing written.
    void endlessOrOversizedFileIsRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero");
        QTest::newRow("past the limit") << QString();
    }
    void endlessOrOversizedFileIsRefused()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        WindowHarness h;
        MainWindow &w = h.create();
        h.tick();
        if (file.isEmpty()) {
            file = dir.filePath(QStringLiteral("big.json"));
            QByteArray data = save(h, w, file);
            data.append(QByteArray(SettingsPreset::FILE_LIMIT, ' '));
            load(h, w, file, data);
        } else {
            h.clearFrames();
            h.dialogs.fileNames = { file };
            trigger(w, "actionLoadSettings");
        }
        QCOMPARE(h.framesHex(), QStringList());
        QCOMPARE(h.dialogs.texts(QStringLiteral("warning")).size(), 1);
    }
};

QTEST_MAIN(TestSettingsPresetsWindow)
#include "tst_settings_presets_window.moc"
