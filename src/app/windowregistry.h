#pragma once

#include <QHash>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// Which launcher entries have a window, and how to create it. An entry without
// a factory is not built yet: its action stays disabled and nothing opens.
// Keyed by the entry's action name ("ActionInputSales").
class WindowRegistry {
public:
    // Creates the window owned by `owner`; the creation step runs inside.
    using Factory = std::function<QDialog*(QWidget* owner)>;

    // Throws std::invalid_argument for a name that is no launcher entry's action.
    void add(const QString& actionName, Factory factory);
    // The factory, or an empty function for an entry without a window.
    Factory factory(const QString& actionName) const { return m_factories.value(actionName); }
    bool has(const QString& actionName) const { return m_factories.contains(actionName); }

    // Adds the window of `actionName` as a plain class: add<TInputSalesForm>("ActionInputSales").
    template <class W>
    void add(const QString& actionName)
    {
        add(actionName, [](QWidget* owner) -> QDialog* { return new W(owner); });
    }

private:
    QHash<QString, Factory> m_factories;
};

// Fills the registry with every function window the program has. Each feature
// library adds its own entries here as its windows are built.
void registerWindows(WindowRegistry& registry);
