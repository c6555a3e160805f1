#pragma once

// Helpers for tests that drive the real modal message dialog: wait until a modal
// window is up, act on it as a user would, and capture the error reports.

#include "suiteframe/controls/fonts.h"
#include "suiteframe/controls/grid.h"
#include "suiteframe/controls/twips.h"
#include "suiteframe/dialogs/frmSure.h"
#include "suiteframe/platform/desktop.h"
#include "support/desktopcapture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace dialogtesting {

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

    // Whether the awaited window showed up.
    bool seen() const { return m_seen; }

    void stop()
    {
        delete m_timer;
        m_timer = nullptr;
    }

    ~ModalDriver() { stop(); }

private:
    template<typename W>
    void await(bool active, std::function<void(W *)> action)
    {
        stop();
        m_seen = false;
        m_timer = new QTimer;
        m_timer->setInterval(5);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this, active, action] {
            auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
            if (!window || !window->isVisible() || (active && !window->isActiveWindow()))
                return;
            m_timer->stop();
            m_seen = true;
            action(window);
        });
        m_timer->start();
    }

    QPointer<QTimer> m_timer;
    bool m_seen = false;
};

// Error reports as they would reach the user's warning box.
class ReportCapture : public DesktopCapture
{
public:
    // How many reports name the procedure.
    int count(const QString &procedure) const { return int(procedures().count(procedure)); }
};

// Twips positions land on whole pixels: a value read back is within one pixel.
inline bool nearTwips(double actual, double expected)
{
    return qAbs(actual - expected) <= controls::twips::PerPixel;
}

inline void clickButton(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The texts of one grid column, top to bottom.
inline QStringList column(const controls::Grid *grid, int col)
{
    QStringList texts;
    for (int row = 0; row < grid->Rows(); ++row)
        texts << grid->cellText(row, col);
    return texts;
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

} // namespace dialogtesting
