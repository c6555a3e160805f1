// Input method compositions: which field holds one, and finishing it before a command
// acts, by the input method's own commit or, failing that, by the text it showed.

#include "suiteframe/controls/composition.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace controls::composition {

namespace {

// An input method answers a reset within milliseconds; a busy machine gets more.
constexpr int LongestWaitMs = 500;
constexpr int PollMs = 10;

class Watcher : public QObject
{
public:
    explicit Watcher(QObject *parent)
        : QObject(parent)
    {}

    bool isOpen() const { return m_field && !m_preedit.isEmpty(); }

    void finish()
    {
        if (!isOpen() || m_finishing)
            return;
        m_finishing = true;
        const QPointer<QWidget> field = m_field;
        const QString shown = m_preedit;
        QGuiApplication::inputMethod()->reset();
        awaitCommit(field);
        if (field && m_field == field && !m_preedit.isEmpty()) {
            // No input method answered the reset: the text it showed is the clerk's.
            QInputMethodEvent commit;
            commit.setCommitString(shown);
            QCoreApplication::sendEvent(field, &commit);
        }
        m_finishing = false;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::InputMethod:
            follow(watched, static_cast<QInputMethodEvent *>(event));
            break;
        case QEvent::MouseButtonPress:
            // The window hears of the press before the focus moves to what was pressed.
            if (watched->isWindowType() && isOpen()
                && !pressesTheField(static_cast<QMouseEvent *>(event)))
                finish();
            break;
        case QEvent::Shortcut:
            finish();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void follow(QObject *watched, const QInputMethodEvent *event)
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget)
            return;
        if (!event->preeditString().isEmpty()) {
            m_field = widget;
            m_preedit = event->preeditString();
        } else if (widget == m_field) {
            m_preedit.clear();
        }
    }

    bool pressesTheField(const QMouseEvent *press) const
    {
        return QApplication::widgetAt(press->globalPosition().toPoint()) == m_field;
    }

    // Lets the input method's commit through, and nothing the user does meanwhile.
    void awaitCommit(const QPointer<QWidget> &field)
    {
        const QDeadlineTimer deadline(LongestWaitMs);
        while (field && m_field == field && !m_preedit.isEmpty() && !deadline.hasExpired()) {
            QEventLoop loop;
            QTimer::singleShot(PollMs, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }

    QPointer<QWidget> m_field; // the field that holds or last held a composition
    QString m_preedit;         // what it shows as being composed
    bool m_finishing = false;
};

QPointer<Watcher> &watcher()
{
    static QPointer<Watcher> instance;
    return instance;
}

} // namespace

void watch()
{
    if (watcher() || !qApp)
        return;
    watcher() = new Watcher(qApp);
    qApp->installEventFilter(watcher());
}

void finish()
{
    if (watcher())
        watcher()->finish();
}

bool isOpen()
{
    return watcher() && watcher()->isOpen();
}

} // namespace controls::composition
