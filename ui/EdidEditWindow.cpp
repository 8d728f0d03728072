// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/EdidEditWindow.h"

#include "edid/EdidDecoder.h"
#include "edid/EdidDescriber.h"
#include "edid/EdidEditParser.h"
#include "edid/EdidEditor.h"
#include "edid/HexText.h"
#include "ui/EdidEditTree.h"
#include "ui/TextColours.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

// One edit on the undo stack: the table before and after it.
class EditCommand : public QUndoCommand
{
public:
    EditCommand(EdidEditWindow *window, const QByteArray &before, const QByteArray &after,
        const QString &text)
        : QUndoCommand(text)
        , m_window(window)
        , m_before(before)
        , m_after(after)
    {
    }
    void undo() override { m_window->setTable(m_before); }
    void redo() override { m_window->setTable(m_after); }

private:
    EdidEditWindow *m_window;
    QByteArray m_before, m_after;
};

} // namespace

EdidEditWindow::EdidEditWindow(const QByteArray &table, QWidget *parent)
    : QDialog(parent)
    , m_table(table)
{
    setObjectName(QStringLiteral("edidEditWindow"));
    setWindowTitle(tr("ZELVARIN Utility: edit EDID"));
    m_undo = new QUndoStack(this);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("edidEditTree"));
    m_tree->setHeaderLabels({ tr("Field"), tr("Value") });
    m_tree->setAccessibleName(tr("EDID fields"));
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    // Only the value column is typed over: double click, Enter or F2 open it.
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->header()->setSectionResizeMode(
        EdidEditTree::FieldColumn, QHeaderView::ResizeToContents);
    const auto editValue = [this](QTreeWidgetItem *item) {
        if (EdidEditTree::isEditable(item))
            m_tree->editItem(item, EdidEditTree::ValueColumn);
    };
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, editValue);
    connect(m_tree, &QTreeWidget::itemActivated, this, editValue);
    connect(m_tree, &QTreeWidget::itemChanged, this, &EdidEditWindow::itemChanged);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &EdidEditWindow::contextMenu);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_decoded = new QPlainTextEdit(this);
    m_decoded->setObjectName(QStringLiteral("edidEditDecoded"));
    m_decoded->setReadOnly(true);
    m_decoded->setFont(fixed);
    m_decoded->setAccessibleName(tr("Decoded table"));
    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_decoded);

    m_checksums = new QLabel(this);
    m_checksums->setObjectName(QStringLiteral("edidEditChecksums"));
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("edidEditMessage"));
    m_message->setWordWrap(true);
    QPalette warning = m_message->palette();
    warning.setColor(QPalette::WindowText, TextColours::forText(palette(), QColor(180, 0, 0)));
    m_message->setPalette(warning);

    // The command line's words, for what the tree has no field for.
    m_words = new QLineEdit(this);
    m_words->setObjectName(QStringLiteral("edidEditWords"));
    m_words->setPlaceholderText(tr("an edit as zelvarinctl takes it, such as --remove-vic 118"));
    auto *wordsLabel = new QLabel(tr("&Edit:"), this);
    wordsLabel->setBuddy(m_words);
    auto *apply = new QPushButton(tr("&Apply"), this);
    connect(apply, &QPushButton::clicked, this, &EdidEditWindow::applyCommandLine);
    connect(m_words, &QLineEdit::returnPressed, this, &EdidEditWindow::applyCommandLine);

    auto *undo = new QToolButton(this);
    undo->setDefaultAction(m_undo->createUndoAction(this, tr("&Undo")));
    undo->defaultAction()->setShortcut(QKeySequence::Undo);
    auto *redo = new QToolButton(this);
    redo->setDefaultAction(m_undo->createRedoAction(this, tr("&Redo")));
    redo->defaultAction()->setShortcut(QKeySequence::Redo);
    addActions({ undo->defaultAction(), redo->defaultAction() });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *wordsRow = new QHBoxLayout;
    wordsRow->addWidget(wordsLabel);
    wordsRow->addWidget(m_words, 1);
    wordsRow->addWidget(apply);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(undo);
    bottom->addWidget(redo);
    bottom->addWidget(m_checksums, 1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_message);
    layout->addLayout(wordsRow);
    layout->addLayout(bottom);

    const QFontMetrics metrics(fixed);
    resize(metrics.horizontalAdvance(QLatin1Char('0')) * 170, metrics.lineSpacing() * 40);
    setTable(table);
}

void EdidEditWindow::keyPressEvent(QKeyEvent *event)
{
    // Enter belongs to what has the focus (the tree's editor, the edit line): it must never take
    // the table with OK behind the user's back, as a dialog's default button would.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString EdidEditWindow::decodedText() const
{
    return m_decoded->toPlainText();
}

QString EdidEditWindow::checksumText() const
{
    return m_checksums->text();
}

QString EdidEditWindow::message() const
{
    return m_message->text();
}

void EdidEditWindow::setTable(const QByteArray &table)
{
    m_table = table;
    const EdidDecoded decoded = EdidDecoder::decode(table);
    m_decoded->setPlainText(EdidDescriber::lines(decoded).join(QLatin1Char('\n')));
    QStringList sums;
    for (const EdidBlockState &b : decoded.blocks) {
        if (!b.complete)
            continue;
        sums << tr("block %1 checksum %2 %3")
                    .arg(b.index)
                    .arg(HexText::number(b.checksum, 2, HexText::Case::Upper))
                    .arg(b.checksumOk() ? tr("good") : tr("bad"));
    }
    m_checksums->setText(sums.join(QStringLiteral(", ")));
    if (m_inTreeSignal) {
        // Changed from inside the tree's own signal: fill it once that is over.
        if (!m_refillQueued) {
            m_refillQueued = true;
            QMetaObject::invokeMethod(this, &EdidEditWindow::refillTree, Qt::QueuedConnection);
        }
        return;
    }
    refillTree();
}

void EdidEditWindow::refillTree()
{
    m_refillQueued = false;
    // The reader's place: what was open, what was current, how far down.
    QSet<QString> expanded;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->isExpanded())
            expanded << EdidEditTree::path(*it);
    const QString current = EdidEditTree::path(m_tree->currentItem());
    const int scrolled = m_tree->verticalScrollBar()->value();
    const bool first = m_tree->topLevelItemCount() == 0;

    const QSignalBlocker quiet(m_tree);
    EdidEditTree::fill(m_tree, m_table);
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        (*it)->setExpanded(first ? !(*it)->parent() : expanded.contains(EdidEditTree::path(*it)));
    if (QTreeWidgetItem *again = EdidEditTree::find(m_tree, current))
        m_tree->setCurrentItem(again);
    m_tree->verticalScrollBar()->setValue(scrolled);
}

bool EdidEditWindow::applyWords(const QString &option, const QString &value)
{
    QVector<EdidEdit> edits;
    QString error;
    if (!EdidEditParser::parse(option, value, edits, &error)) {
        refuse(error);
        return false;
    }
    // The words' edits are one step: all made, or none.
    QByteArray table = m_table;
    for (const EdidEdit &e : edits) {
        const EdidEditResult r = EdidEditor::apply(table, e);
        if (!r.ok) {
            refuse(EdidEditParser::optionText(e) + QStringLiteral(": ") + r.message);
            return false;
        }
    }
    m_message->clear();
    if (table != m_table)
        m_undo->push(new EditCommand(
            this, m_table, table, value.isEmpty() ? option : option + QLatin1Char(' ') + value));
    return true;
}

void EdidEditWindow::refuse(const QString &why)
{
    m_message->setText(why);
    // The tree shows the table again, not what was typed or ticked.
    setTable(m_table);
}

void EdidEditWindow::itemChanged(QTreeWidgetItem *item, int column)
{
    if (column != EdidEditTree::ValueColumn
        || !(EdidEditTree::isEditable(item) || EdidEditTree::isCheckable(item)))
        return;
    const EdidEditTree::Words words = EdidEditTree::wordsFor(item);
    m_inTreeSignal = true;
    applyWords(words.option, words.value);
    m_inTreeSignal = false;
}

void EdidEditWindow::contextMenu(const QPoint &at)
{
    QTreeWidgetItem *item = m_tree->itemAt(at);
    const QVector<EdidEditTree::Action> actions = EdidEditTree::actionsFor(item);
    if (actions.isEmpty())
        return;
    QMenu menu(this);
    for (const EdidEditTree::Action &a : actions) {
        QAction *action = menu.addAction(a.label);
        connect(action, &QAction::triggered, this,
            [this, a] { applyWords(a.words.option, a.words.value); });
    }
    menu.exec(m_tree->viewport()->mapToGlobal(at));
}

void EdidEditWindow::applyCommandLine()
{
    const QString text = m_words->text().trimmed();
    if (text.isEmpty())
        return;
    // "--option value" or "--option=value", as on the command line.
    const QString first = text.section(QLatin1Char(' '), 0, 0);
    const bool joined = first.contains(QLatin1Char('='));
    const QString option = first.section(QLatin1Char('='), 0, 0);
    const QString value
        = joined ? text.section(QLatin1Char('='), 1) : text.section(QLatin1Char(' '), 1).trimmed();
    if (applyWords(option, value))
        m_words->clear();
}
