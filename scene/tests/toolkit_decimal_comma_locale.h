// Runs a window test under a German locale set up as the program sets up the
// user's language (wxLocale), so that the toolkit and the C library both
// write numbers with a decimal comma; the locale in force before comes back
// at the end of the scope.
#pragma once

#include "decimal_comma_locale.h"

#include <wx/intl.h>

#include <clocale>
#include <string>

class ToolkitDecimalCommaLocale
{
public:
    ToolkitDecimalCommaLocale() { m_locale.Init(wxLANGUAGE_GERMAN, 0); }

    // Whether the locale is in force and really writes "1,5" for 1.5.
    bool Active() const { return m_locale.IsOk() && std::localeconv()->decimal_point == std::string(","); }

private:
    wxLocale m_locale;
};
