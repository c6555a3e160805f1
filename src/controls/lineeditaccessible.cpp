// A line edit as screen readers read it. Qt's own reading gives each character a
// text-attribute run of length zero, and Orca, speaking a line run by run, then drops
// its last character ("林志" for 林志明). This reading gives the whole text one run and
// is otherwise the line edit's own: its text, caret, selection and editing.

#include "suiteframe/controls/accessible_p.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>

namespace controls {

namespace {

class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit LineEditAccessible(QLineEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text which) const override
    {
        if (which == QAccessible::Value)
            return readableText();
        const QString own = QAccessibleWidget::text(which);
        if (own.isEmpty() && which == QAccessible::Description)
            return edit()->placeholderText();
        return own;
    }

    void setText(QAccessible::Text which, const QString &text) override
    {
        if (which == QAccessible::Value && !edit()->isReadOnly())
            edit()->setText(text);
        else
            QAccessibleWidget::setText(which, text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = edit()->isReadOnly();
        state.editable = !state.readOnly;
        state.selectableText = true;
        state.passwordEdit = edit()->echoMode() != QLineEdit::Normal;
        return state;
    }

    // Text

    QString text(int startOffset, int endOffset) const override
    {
        return readableText().mid(startOffset, endOffset - startOffset);
    }

    int characterCount() const override { return readableText().size(); }

    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        // The whole text is one run of the field's font; past its end there is none.
        const int count = characterCount();
        if (offset < 0 || offset > count) {
            *startOffset = *endOffset = -1;
            return {};
        }
        *startOffset = 0;
        *endOffset = count;
        return {};
    }

    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }

    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }

    void selection(int index, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (index != 0 || !edit()->hasSelectedText())
            return;
        *startOffset = edit()->selectionStart();
        *endOffset = edit()->selectionEnd();
    }

    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }

    void setSelection(int index, int startOffset, int endOffset) override
    {
        if (index == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    void removeSelection(int index) override
    {
        if (index == 0)
            edit()->deselect();
    }

    QString textAtOffset(int offset,
                         QAccessible::TextBoundaryType boundary,
                         int *startOffset,
                         int *endOffset) const override
    {
        return QAccessibleTextInterface::textAtOffset(atCaret(offset),
                                                      boundary,
                                                      startOffset,
                                                      endOffset);
    }

    QString textBeforeOffset(int offset,
                             QAccessible::TextBoundaryType boundary,
                             int *startOffset,
                             int *endOffset) const override
    {
        return QAccessibleTextInterface::textBeforeOffset(atCaret(offset),
                                                          boundary,
                                                          startOffset,
                                                          endOffset);
    }

    QString textAfterOffset(int offset,
                            QAccessible::TextBoundaryType boundary,
                            int *startOffset,
                            int *endOffset) const override
    {
        return QAccessibleTextInterface::textAfterOffset(atCaret(offset),
                                                         boundary,
                                                         startOffset,
                                                         endOffset);
    }

    // A character's box on the screen, measured from the caret's, so that the text's
    // scrolling inside the field is taken into account.
    QRect characterRect(int offset) const override
    {
        const QString shown = edit()->displayText();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics = edit()->fontMetrics();
        const QRect caret = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = caret.x() + metrics.horizontalAdvance(shown.left(offset))
                      - metrics.horizontalAdvance(shown.left(edit()->cursorPosition()));
        const QRect box(x,
                        caret.y(),
                        metrics.horizontalAdvance(shown.mid(offset, 1)),
                        caret.height());
        return QRect(edit()->mapToGlobal(box.topLeft()), box.size());
    }

    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = edit()->mapFromGlobal(point);
        if (!edit()->rect().contains(local))
            return -1;
        return edit()->cursorPositionAt(local);
    }

    void scrollToSubstring(int startIndex, int endIndex) override
    {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }

    // Editable text

    void deleteText(int startOffset, int endOffset) override
    {
        replaceText(startOffset, endOffset, QString());
    }

    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }

    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (edit()->isReadOnly())
            return;
        edit()->setText(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(object()); }

    // A password is read as the field shows it, never as typed.
    QString readableText() const
    {
        return edit()->echoMode() == QLineEdit::Normal ? edit()->text() : edit()->displayText();
    }

    // The offset -2 stands for the caret's.
    int atCaret(int offset) const { return offset == -2 ? cursorPosition() : offset; }
};

// A spin box reads its editor's text itself; Qt gives the editor no reading of its own.
bool isSpinBoxEditor(const QObject *edit)
{
    return edit->objectName() == QLatin1String("qt_spinbox_lineedit");
}

} // namespace

void installLineEditAccessible()
{
    installAccessible<QLineEdit, LineEditAccessible, isSpinBoxEditor>();
}

} // namespace controls
