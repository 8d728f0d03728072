// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;

// EDID > Edit...: a copy of the table as a tree of its decoded fields, edited in place (typed
// values, check boxes, a context menu) or by the command line's words, with undo and redo. The
// decoded text and the checksums follow every edit; a refused edit says why and changes
// nothing. The table goes back to the window only on OK (accepted()); Cancel drops the copy.
class EdidEditWindow : public QDialog
{
    Q_OBJECT

public:
    EdidEditWindow(const QByteArray &table, QWidget *parent);

    QByteArray table() const { return m_table; }
    QTreeWidget *tree() const { return m_tree; }
    QUndoStack *undoStack() const { return m_undo; }
    QString decodedText() const;
    QString checksumText() const;
    // Why the last edit was refused; empty after one that was made.
    QString message() const;

    // One edit in the command line's words ("--remove-vic", "118"); false when it does not
    // parse or is refused. A made edit is one step on the undo stack.
    bool applyWords(const QString &option, const QString &value);

    // Puts `table` in place and shows it; the undo stack's commands call this.
    void setTable(const QByteArray &table);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void itemChanged(QTreeWidgetItem *item, int column);
    void contextMenu(const QPoint &at);
    void applyCommandLine();
    void refuse(const QString &why);
    // The tree is filled anew once the event that changed an item is over: the item (and an
    // open editor on it) must not go while Qt is still using it.
    void refillTree();

    QByteArray m_table;
    QTreeWidget *m_tree = nullptr;
    QPlainTextEdit *m_decoded = nullptr;
    QLabel *m_checksums = nullptr;
    QLabel *m_message = nullptr;
    QLineEdit *m_words = nullptr;
    QUndoStack *m_undo = nullptr;
    bool m_inTreeSignal = false; // in itemChanged: the tree cannot be filled now
    bool m_refillQueued = false;
};
