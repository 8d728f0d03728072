// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QTest>
class TestEdidEditOracle : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestEdidEditOracle)
#include "tst_edid_edit_oracle.moc"
