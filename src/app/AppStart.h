#pragma once

#include "AppForm.h"
#include "WidgetDialogs.h"

namespace talvaro {

// The names the settings store and the desktop know the program by, and its icon.
void identifyApplication();

// The main window with the dialogs it reaches, wired as the program starts it.
class AppStart {
public:
    explicit AppStart(TAppForm::FirstShowSearch search = TAppForm::FirstShowSearch::On);
    TAppForm& form() { return m_form; }

private:
    WidgetDialogs m_dialogs;
    TAppForm m_form;
};

} // namespace talvaro
