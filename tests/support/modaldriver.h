// Driving the real modal windows of the code under test as a user would, and the
// check that a test leaves no window behind.

#pragma once

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs action once a modal window of type W is up, from inside its modal loop.
// Polls from a timer because the modal loop starts only after the call under test.
class ModalDriver
{
public:
    template<typename W>
    void whenShown(std::function<void(W *)> action)
    {
        await<W>(false, std::move(action));
    }

    // As whenShown, once the window is also the active window: under a window manager
    // that is when the user can first act on it.
    template<typename W>
    void whenActive(std::function<void(W *)> action)
    {
        await<W>(true, std::move(action));
    }

    // As whenShown, at each showing of such a window until the driver stops: the action
    // must close it, or it runs again.
    template<typename W>
    void eachTimeShown(std::function<void(W *)> action)
    {
        await<W>(false, std::move(action), Repeat::EachShowing);
    }

    // Whether the awaited window showed up.
    bool seen() const { return m_seen; }

    void stop()
    {
        delete m_timer;
        m_timer = nullptr;
    }

    ~ModalDriver() { stop(); }

private:
    enum class Repeat { Once, EachShowing };

    template<typename W>
    void await(bool active, std::function<void(W *)> action, Repeat repeat = Repeat::Once)
    {
        stop();
        m_seen = false;
        m_timer = new QTimer;
        m_timer->setInterval(5);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this, active, action, repeat] {
            auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
            if (!window || !window->isVisible() || (active && !window->isActiveWindow()))
                return;
            if (repeat == Repeat::Once)
                m_timer->stop();
            m_seen = true;
            action(window);
        });
        m_timer->start();
    }

    QPointer<QTimer> m_timer;
    bool m_seen = false;
};

inline void clickButton(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Visible top-level windows: a test must leave none behind.
inline QStringList visibleWindows()
{
    QStringList names;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            names << (widget->objectName().isEmpty() ? widget->metaObject()->className()
                                                     : widget->objectName());
    return names;
}
