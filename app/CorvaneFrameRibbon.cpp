// The ribbon: page "File" with the project and user commands, page "Tools"
// with the point-cloud, road and section commands, and the logo at the end of
// each page.  Clicks reach the frame through its static event table.
#include "CorvaneFrame.h"

#include "AppResources.h"
#include "art_metric.h"
#include "wxRibbonFlag.h"

#include <wx/image.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>

#include <algorithm>

namespace {

// A ribbon button needs some bitmap; a missing icon file leaves the button
// blank rather than stopping the start.
wxBitmap RibbonBitmap(const wxString &file)
{
    const wxBitmap bitmap = AppLoadBitmap("icons/" + file);
    if (bitmap.IsOk())
        return bitmap;
    wxImage blank(32, 32);
    blank.InitAlpha();
    std::fill(blank.GetAlpha(), blank.GetAlpha() + 32 * 32, static_cast<unsigned char>(0));
    return wxBitmap(blank);
}

void AddButton(wxRibbonButtonBar *bar, long id, const wxString &label, const wxString &file, const wxString &help,
               wxRibbonButtonKind kind = wxRIBBON_BUTTON_NORMAL)
{
    bar->AddButton(int(id), label, RibbonBitmap(file), help, kind);
}

} // namespace

void CorvaneFrame::CreateRibbon()
{
    // The bar owns its art provider and deletes it with itself.
    m_ribbonBar->SetArtProvider(new wxRibbonMetricArtProvider(true));
    wxRibbonPage *file = new wxRibbonPage(m_ribbonBar, wxID_ANY, _("File"));
    wxRibbonButtonBar *project = AddRibbonPanel(file, _("Project"));
    AddButton(project, ID_RIBBON_NEW, _("New"), "new.png", _("Create project"));
    AddButton(project, ID_RIBBON_OPEN, _("Open"), "open.png", _("Open project"));
    wxRibbonButtonBar *user = AddRibbonPanel(file, _("User"));
    AddButton(user, ID_RIBBON_HELP, _("Help"), "book.png", _("Software user mannual"));
    AddButton(user, ID_RIBBON_ABOUT, _("About"), "info.png", _("About software"));
    AddRibbonLogo(file);

    wxRibbonPage *tools = new wxRibbonPage(m_ribbonBar, wxID_ANY, _("Tools"));
    wxRibbonButtonBar *cloud = AddRibbonPanel(tools, _("Point cloud"));
    AddButton(cloud, ID_RIBBON_IMPORT_CLOUD, _("Import"), "import.png", _("Import point cloud file"));
    AddButton(cloud, ID_RIBBON_COLOR, _("Color"), "colors.png", _("Set point cloud color"),
              wxRIBBON_BUTTON_DROPDOWN);
    AddButton(cloud, ID_RIBBON_SLICE, _("Slice"), "slice.png", _("Slice point cloud"));
    wxRibbonButtonBar *road = AddRibbonPanel(tools, _("Road"));
    AddButton(road, ID_RIBBON_IMPORT_ROAD, _("Import"), "import.png", _("Import haidi road file"));
    AddButton(road, ID_RIBBON_EXPORT_ROAD, _("Export"), "export.png", _("Export haidi road file"));
    AddButton(road, ID_RIBBON_ROAD_ELEMENTS, _("Element"), "road.png", _("Road elements"));
    wxRibbonButtonBar *section = AddRibbonPanel(tools, _("Section"));
    AddButton(section, ID_RIBBON_LATITUDE_SECTIONS, _("LatSec"), "section.png", _("Generate road latitude section"));
    AddButton(section, ID_RIBBON_LONGITUDE_SECTIONS, _("LonSec"), "section.png",
              _("Generate road longitude section"));
    AddButton(section, ID_RIBBON_VERTICAL_SECTION, _("VSect"), "vertical_section.png", _("Create vertical section"));
    AddButton(section, ID_RIBBON_HORIZONTAL_SECTION, _("HSect"), "horizon_section.png",
              _("Create horizontal section"));
    AddButton(section, ID_RIBBON_EXPORT_SECTIONS, _("Export"), "export.png", _("Export sections"));
    AddRibbonLogo(tools);

    // The bar still has the size the sizer gave it before it had pages (no
    // width at all); laid out in it, pages get negative sizes and panels
    // start collapsed.  The frame's client area is room enough: the frame's
    // layout gives the bar its real height afterwards.
    m_ribbonBar->SetSize(GetClientSize());
    m_ribbonBar->Realize();
}

wxRibbonButtonBar *CorvaneFrame::AddRibbonPanel(wxRibbonPage *page, const wxString &title)
{
    wxRibbonPanel *panel = new wxRibbonPanel(page, wxID_ANY, title);
    return new wxRibbonButtonBar(panel, wxID_ANY);
}

void CorvaneFrame::AddRibbonLogo(wxRibbonPage *page)
{
    new wxRibbonFlag(page, wxID_ANY, wxEmptyString, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                     wxRIBBON_PANEL_STRETCH);
}
