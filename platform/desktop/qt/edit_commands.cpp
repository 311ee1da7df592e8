#include "platform/desktop/qt/edit_commands.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

#include <optional>

namespace tlvx::desktop {

namespace {

// The text an edit showed right after an undo this unit made: while it
// still shows it, the next undo is taken back instead.
constexpr char kUndoneText[] = "tlvxUndoneText";

QLineEdit* lineEditOf(QWidget& widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(&widget)) return edit;
    if (auto* combo = qobject_cast<QComboBox*>(&widget)) return combo->lineEdit();
    if (qobject_cast<QAbstractSpinBox*>(&widget))
        return widget.findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    return nullptr;
}

// What the three kinds of edit have in common, for the commands.
struct Edit {
    QWidget* widget;
    QLineEdit* line = nullptr;
    QTextEdit* rich = nullptr;
    QPlainTextEdit* plain = nullptr;

    bool readOnly() const {
        return line ? line->isReadOnly() : rich ? rich->isReadOnly() : plain->isReadOnly();
    }
    bool hidesText() const { return line && line->echoMode() != QLineEdit::Normal; }
    QString text() const {
        return line ? line->text() : rich ? rich->toPlainText() : plain->toPlainText();
    }
    bool redoAvailable() const {
        return line   ? line->isRedoAvailable()
               : rich ? rich->document()->isRedoAvailable()
                      : plain->document()->isRedoAvailable();
    }
    void undo() const { line ? line->undo() : rich ? rich->undo() : plain->undo(); }
    void redo() const { line ? line->redo() : rich ? rich->redo() : plain->redo(); }
    void cut() const { line ? line->cut() : rich ? rich->cut() : plain->cut(); }
    void copy() const { line ? line->copy() : rich ? rich->copy() : plain->copy(); }
    void paste() const { line ? line->paste() : rich ? rich->paste() : plain->paste(); }
    void clearSelection() const {
        if (line) {
            if (line->hasSelectedText()) line->del();
            return;
        }
        QTextCursor cursor = rich ? rich->textCursor() : plain->textCursor();
        cursor.removeSelectedText();
    }
};

std::optional<Edit> editOf(QWidget& widget) {
    Edit edit{&widget};
    edit.line = lineEditOf(widget);
    if (!edit.line) edit.rich = qobject_cast<QTextEdit*>(&widget);
    if (!edit.line && !edit.rich) edit.plain = qobject_cast<QPlainTextEdit*>(&widget);
    if (!edit.line && !edit.rich && !edit.plain) return std::nullopt;
    return edit;
}

void undoOrTakeBack(const Edit& edit) {
    QWidget& holder = *edit.widget;
    const QVariant undone = holder.property(kUndoneText);
    if (undone.isValid() && edit.redoAvailable() && edit.text() == undone.toString()) {
        edit.redo();
        holder.setProperty(kUndoneText, QVariant());
        return;
    }
    edit.undo();
    holder.setProperty(kUndoneText, edit.text());
}

}  // namespace

void runEditCommand(QWidget& widget, EditCommand command) {
    const std::optional<Edit> edit = editOf(widget);
    if (!edit) return;
    switch (command) {
        case EditCommand::Undo:
            undoOrTakeBack(*edit);
            break;
        case EditCommand::Cut:
            if (!edit->readOnly() && !edit->hidesText()) edit->cut();
            break;
        case EditCommand::Copy:
            if (!edit->hidesText()) edit->copy();
            break;
        case EditCommand::Paste:
            if (!edit->readOnly()) edit->paste();
            break;
        case EditCommand::Clear:
            if (!edit->readOnly()) edit->clearSelection();
            break;
    }
}

void setWidgetText(QWidget& widget, const QString& text) {
    const QString shown = text.left(text.indexOf(QChar(u'\0')));
    if (auto* line = lineEditOf(widget)) {
        line->setText(shown);
    } else if (auto* rich = qobject_cast<QTextEdit*>(&widget)) {
        rich->setPlainText(shown);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(&widget)) {
        plain->setPlainText(shown);
    } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(shown);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        button->setText(shown);
    } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
        group->setTitle(shown);
    } else if (widget.isWindow()) {
        widget.setWindowTitle(shown);
    }
}

}  // namespace tlvx::desktop
