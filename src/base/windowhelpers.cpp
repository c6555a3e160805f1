// Window and field helpers of basBase: window centring and the suite's keyboard
// convention for data-entry fields.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/controls/form.h"
#include "suiteframe/platform/desktop.h"
#include "suiteframe/platform/keystrokes.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <utility>

namespace basBase {

namespace {

// The free vertical space loses 375 twips (25 pixels) before it is halved, so the
// window sits a little above the true centre.
constexpr float CentreLift = 375.0f;

// The key codes of key-down events that the field convention acts on.
namespace KeyCode {
constexpr qint16 Enter = 13;
constexpr qint16 Up = 38;
constexpr qint16 Down = 40;
} // namespace KeyCode

qint16 keyCodeOf(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Down:
        return KeyCode::Down;
    default:
        return 0; // no key the convention acts on
    }
}

template<typename TextEdit>
void selectAll(TextEdit &edit)
{
    QTextCursor cursor(edit.document());
    cursor.select(QTextCursor::Document);
    edit.setTextCursor(cursor);
}

// The three event handlers of the field convention, on one entry field. Each guards its
// body with a report under "<window>_<field>_<event>", so that nothing thrown inside
// ever reaches the event loop.
class EntryFieldConvention : public QObject
{
    Q_OBJECT

public:
    explicit EntryFieldConvention(QLineEdit *field)
        : QObject(field)
        , m_field(field)
    {
        field->installEventFilter(this);
        // A line edit tells of its caret the first time it is entered, ahead of its
        // focus, and a screen reader then takes the focus as already spoken. Placing the
        // caret once now makes that first entry like every later one.
        field->setCursorPosition(field->cursorPosition());
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_field)
            return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            m_clickedIn = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
            return gotFocus(event);
        case QEvent::MouseButtonRelease:
            clickedIn();
            return false;
        case QEvent::KeyPress:
            return keyDown(*static_cast<QKeyEvent *>(event));
        default:
            return false;
        }
    }

private:
    QString procedureName(const char *eventName) const
    {
        return m_field->window()->objectName() + u'_' + m_field->objectName() + u'_'
               + QLatin1StringView(eventName);
    }

    // The field and every other filter on it handle the focus first, and only then is
    // its text selected, so that nothing of the field's own handling undoes it.
    bool gotFocus(QEvent *event)
    {
        if (m_delivering)
            return false;
        m_delivering = true;
        QCoreApplication::sendEvent(m_field, event);
        m_delivering = false;
        failure::report(procedureName("GotFocus"), [this] { SelectAllText(*m_field); });
        return true;
    }

    // The click that brought the focus placed the cursor after the text was selected;
    // the whole text is selected again, unless the click dragged a selection of its own.
    void clickedIn()
    {
        if (!std::exchange(m_clickedIn, false) || m_field->hasSelectedText())
            return;
        failure::report(procedureName("GotFocus"), [this] { SelectAllText(*m_field); });
    }

    // Enter is swallowed: the field neither inserts nor beeps for it, and it goes no
    // further (a dialog's default button does not take it either).
    bool keyDown(const QKeyEvent &event)
    {
        const qint16 keyCode = keyCodeOf(event);
        failure::report(procedureName("KeyDown"), [keyCode] { MoveFocusByKey(keyCode); });
        return keyCode == KeyCode::Enter;
    }

    QLineEdit *m_field;
    bool m_delivering = false;
    bool m_clickedIn = false;
};

} // namespace

void CenterForm(controls::Form &form)
{
    failure::skip([&form] {
        const float screenWidth = static_cast<float>(platform::desktop::screenWidthTwips());
        form.setLeft((screenWidth - static_cast<float>(form.Width())) / 2.0f);
    });
    failure::skip([&form] {
        const float screenHeight = static_cast<float>(platform::desktop::screenHeightTwips());
        form.setTop((screenHeight - static_cast<float>(form.Height()) - CentreLift) / 2.0f);
    });
}

void SelectAllText(QWidget &field)
{
    if (auto *edit = qobject_cast<QLineEdit *>(&field)) {
        // An empty field has nothing to select; selecting nothing would still tell a
        // screen reader of a selection, ahead of the focus it is entered with.
        if (!edit->text().isEmpty())
            edit->setSelection(0, edit->text().size());
    } else if (auto *combo = qobject_cast<QComboBox *>(&field); combo && combo->lineEdit()) {
        SelectAllText(*combo->lineEdit());
    } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(&field)) {
        spin->selectAll();
    } else if (auto *text = qobject_cast<QTextEdit *>(&field)) {
        selectAll(*text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(&field)) {
        selectAll(*plain);
    } else {
        // A control without a text selection, as a late-bound SelStart would fail.
        throw platform::RuntimeError(platform::ErrorNumber::NotSupported);
    }
}

void MoveFocusByKey(qint16 keyCode)
{
    using platform::keystrokes::Keystroke;
    if (keyCode == KeyCode::Enter || keyCode == KeyCode::Down)
        platform::keystrokes::send(Keystroke::Tab);
    else if (keyCode == KeyCode::Up)
        platform::keystrokes::send(Keystroke::ShiftTab);
}

void wireEntryField(QLineEdit *field)
{
    Q_ASSERT(field);
    if (field->findChild<EntryFieldConvention *>(QString(), Qt::FindDirectChildrenOnly))
        return; // wired already
    new EntryFieldConvention(field);
}

} // namespace basBase

#include "windowhelpers.moc"
