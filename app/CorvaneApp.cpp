#include "CorvaneApp.h"

#include "AppResources.h"
#include "CorvaneFrame.h"
#include "SceneManager.h"

#include <wx/config.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/translation.h>

CorvaneFrame *g_mainFrame = nullptr;

bool CorvaneApp::OnInit()
{
    wxInitAllImageHandlers();
    // The update check uses sockets from the worker thread; they must be
    // set up on the main thread first.
    wxSocketBase::Initialize();
    SceneInit();
    AppAddPluginLibraryPath();
    SetVendorName("Halvren");
    SetAppName("Corvane");
    wxConfigBase::Get()->SetRecordDefaults(true);
    SetUpLanguage();
    CreateMainFrame();
    return true;
}

int CorvaneApp::OnExit()
{
    // No window is left to show a message in, and the toolkit would try to
    // build one after the application is gone (saving the configuration to
    // an unwritable home logs an error then): shut-down messages go to the
    // standard error stream instead.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    delete wxConfigBase::Set(nullptr);
    SceneDestroy();
    return 0;
}

void CorvaneApp::SetUpLanguage()
{
    const int language = wxLocale::GetSystemLanguage();
    // Flags 0: the toolkit's own catalogue is not wanted.
    if (!m_locale.Init(language, 0))
        wxLogWarning(_("This language is not supported by the system."));
    // The catalogue may sit beside the icons (build tree or installed) or
    // below the working directory.
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(".");
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(AppResourceDir());
    const wxLanguageInfo *info = wxLocale::GetLanguageInfo(language);
    if (!m_locale.AddCatalog("internat"))
        wxLogError(_("Couldn't find/load the 'internat' catalog for locale '%s'."),
                   info ? info->GetLocaleName() : _("unknown"));
}

void CorvaneApp::CreateMainFrame()
{
    CorvaneFrame *frame = new CorvaneFrame(nullptr, wxID_ANY);
    g_mainFrame = frame;
    frame->Show(true);
    SetTopWindow(frame);
}
