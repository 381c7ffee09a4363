#pragma once

#include "AppForm.h"
#include "WidgetDialogs.h"

namespace talvaro {

class StartOptions;

// The names the settings store and the desktop know the program by, and its icon.
void identifyApplication();

// The main window with the dialogs it reaches, wired as the program starts it.
class AppStart {
public:
    explicit AppStart(TAppForm::FirstShowSearch search = TAppForm::FirstShowSearch::On,
                      SessionSetup setup = {});
    // As "talvaro [--type N] [FILE]" starts it: a configuration file opens once the
    // search has settled the device type (at once as type N when given), a firmware
    // file in the firmware dialog, chosen but not sent.
    explicit AppStart(const StartOptions& options, SessionSetup setup = {});
    TAppForm& form() { return m_form; }

private:
    WidgetDialogs m_dialogs;
    TAppForm m_form;
};

} // namespace talvaro
