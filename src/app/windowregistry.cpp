#include "windowregistry.h"

#include <stdexcept>

#include "launcher.h"

void WindowRegistry::add(const QString& actionName, Factory factory)
{
    if (!Launcher::findByAction(actionName))
        throw std::invalid_argument("no launcher entry has the action " + actionName.toStdString());
    if (!factory)
        throw std::invalid_argument("empty window factory for " + actionName.toStdString());
    m_factories.insert(actionName, std::move(factory));
}

void registerWindows(WindowRegistry& registry)
{
    // No function window is built yet. Each one is added here as it arrives,
    // e.g. registry.add<TInputSalesForm>(QStringLiteral("ActionInputSales"));
    Q_UNUSED(registry);
}
