// The program's application object: prepares the process (image handlers,
// sockets, the scene manager and its workspace, names, configuration,
// language), opens the main window and tears the scene manager down at exit.
#pragma once

#include <wx/app.h>
#include <wx/intl.h>

class CorvaneFrame;

// The one main window; null until CorvaneApp::CreateMainFrame has built it,
// never reset.  Tool windows reach the frame through it.
extern CorvaneFrame *g_mainFrame;

class CorvaneApp : public wxApp
{
public:
    bool OnInit() override;
    int OnExit() override;

private:
    void SetUpLanguage();
    void CreateMainFrame();

    wxLocale m_locale;
};

wxDECLARE_APP(CorvaneApp);
