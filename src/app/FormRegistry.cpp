#include "FormRegistry.h"

QList<QWidget *> &FormRegistry::forms()
{
    static QList<QWidget *> loaded;
    return loaded;
}

std::function<void()> &FormRegistry::lastUnloadedAction()
{
    static std::function<void()> action;
    return action;
}

void FormRegistry::add(QWidget *form)
{
    if (!forms().contains(form))
        forms().append(form);
}

void FormRegistry::remove(QWidget *form)
{
    if (!forms().removeOne(form))
        return;
    if (forms().isEmpty() && lastUnloadedAction())
        lastUnloadedAction()();
}

int FormRegistry::loadedCount()
{
    return forms().size();
}

void FormRegistry::setOnLastUnloaded(std::function<void()> action)
{
    lastUnloadedAction() = std::move(action);
}
