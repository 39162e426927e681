#pragma once

#include "FormRegistry.h"

#include <QPointer>

// The lifetime rule of every window class: one instance, reached through the class. The first use
// creates it and runs its Form_Load (if the class has one); hiding keeps it; Form<T>::unload()
// destroys it and the next use creates a fresh one. A window's close box calls unload() from its
// closeEvent. Deletion is deferred, so a window may unload itself from its own handler.
template <class T>
class Form
{
public:
    static T *get()
    {
        if (!s_instance) {
            T *form = new T();
            s_instance = form;
            FormRegistry::add(form);
            if constexpr (requires { form->Form_Load(); })
                form->Form_Load();
        }
        return s_instance.data();
    }

    // The instance if it is loaded, without creating it.
    static T *loaded() { return s_instance.data(); }
    static bool isLoaded() { return !s_instance.isNull(); }

    static void unload()
    {
        T *form = s_instance.data();
        if (!form)
            return;
        s_instance = nullptr;
        form->hide();
        FormRegistry::remove(form);
        form->deleteLater();
    }

private:
    static inline QPointer<T> s_instance;
};
