// The beeps, warning boxes and error reports of the code under test, captured.

#pragma once

#include "suiteframe/platform/desktop.h"

#include <QStringList>

// Captures the beeps and warning boxes of the code under test while it lives, so a
// test can tell that a report happened without a modal box. Tests that must go
// through the real box do not create one.
class DesktopCapture
{
public:
    struct Warning
    {
        QString title;
        QString text;
    };

    DesktopCapture()
    {
        platform::desktop::setBeepHandler([this] { ++beeps; });
        platform::desktop::setWarningPresenter([this](const QString &title, const QString &text) {
            warnings.append({title, text});
        });
    }
    ~DesktopCapture()
    {
        platform::desktop::setBeepHandler({});
        platform::desktop::setWarningPresenter({});
    }
    DesktopCapture(const DesktopCapture &) = delete;
    DesktopCapture &operator=(const DesktopCapture &) = delete;

    // The procedure names of the captured reports, from their first message line.
    QStringList procedures() const
    {
        QStringList names;
        for (const Warning &warning : warnings) {
            const QString first = warning.text.section(QStringLiteral("\r\n"), 0, 0);
            names.append(first.mid(first.indexOf(QLatin1Char('(')) + 1).chopped(1));
        }
        return names;
    }

    int beeps = 0;
    QList<Warning> warnings;
};

// Error reports as they would reach the user's warning box.
class ReportCapture : public DesktopCapture
{
public:
    // How many reports name the procedure.
    int count(const QString &procedure) const { return int(procedures().count(procedure)); }
};
