#pragma once

#include <QList>
#include <QWidget>

#include <functional>

// Counts the loaded windows of every class. Hidden windows count as loaded; the program ends
// when the last loaded window is unloaded (main() installs that action; tests leave it empty).
class FormRegistry
{
public:
    static void add(QWidget *form);
    static void remove(QWidget *form);
    static int loadedCount();
    static void setOnLastUnloaded(std::function<void()> action);

private:
    static QList<QWidget *> &forms();
    static std::function<void()> &lastUnloadedAction();
};
