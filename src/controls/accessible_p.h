// Internal to the library: how screen readers are given the controls' and windows' own
// accessibility. Not installed.

#pragma once

#include <QAccessible>

namespace controls {

// Makes screen readers read every widget of class W (not of classes derived from it
// that have an interface of their own) through Interface, made as Interface(W *);
// those for which leftToQt answers true keep Qt's reading. Called from W's constructor:
// the first call installs it, the others do nothing.
template<typename W, typename Interface, bool (*leftToQt)(const QObject *) = nullptr>
void installAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString &className, QObject *object) -> QAccessibleInterface * {
                if (className != QLatin1String(W::staticMetaObject.className()))
                    return nullptr;
                if constexpr (leftToQt != nullptr) {
                    if (leftToQt(object))
                        return nullptr;
                }
                return new Interface(static_cast<W *>(object));
            });
        return true;
    }();
    Q_UNUSED(installed);
}

// Makes screen readers read every line edit whole; called by every form.
void installLineEditAccessible();

} // namespace controls
