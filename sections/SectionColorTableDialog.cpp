#include "SectionColorTableDialog.h"

#include <wx/button.h>
#include <wx/colordlg.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/sizer.h>

#include <algorithm>

const long SectionColorTableDialog::ID_LISTVIEW1 = wxNewId();

// clang-format off
wxBEGIN_EVENT_TABLE(SectionColorTableDialog, wxDialog)
    EVT_LIST_ITEM_CHECKED(wxID_ANY, SectionColorTableDialog::OnItemChecked)
    EVT_LIST_ITEM_UNCHECKED(wxID_ANY, SectionColorTableDialog::OnItemUnchecked)
wxEND_EVENT_TABLE()
// clang-format on

namespace {

// The LAS classification names of codes 0 to 17.
const char *const CLASS_NAMES[SectionColorTableDialog::SHOWN_ROWS] = {
    "Never classified", "Unassigned", "Ground", "Low vegetation", "Medium vegetation", "High vegetation",
    "Building", "Noise", "Model key/reserved", "Water", "Rail", "Road surface", "Reserved", "Wire-Guard",
    "Wire-Conductor", "Transmitter-Tower", "Wire-Connector", "Bridge deck"};

const wxColour DARK_ROW_TEXT(200, 200, 200);

} // namespace

SectionColorTableDialog::SectionColorTableDialog(wxWindow *parent, wxWindowID, const wxPoint &, const wxSize &)
{
    Create(parent, wxID_ANY, _("Classification color table"), wxDefaultPosition, wxDefaultSize,
           wxDEFAULT_DIALOG_STYLE);
    auto *grid = new wxFlexGridSizer(0, 1, 0, 0);

    // 1. The list of classes.
    m_list = new wxListView(this, ID_LISTVIEW1, wxDefaultPosition, wxDefaultSize, wxLC_REPORT, wxDefaultValidator,
                            "ID_LISTVIEW1");
    m_list->SetMinSize(wxSize(400, 400));
    m_list->EnableCheckBoxes(true);
    m_list->AppendColumn(_("Class"), wxLIST_FORMAT_LEFT, ClassColumnWidth());
    m_list->AppendColumn(_("Description"), wxLIST_FORMAT_LEFT, 200);
    m_list->AppendColumn(_("Color"), wxLIST_FORMAT_LEFT, 150);
    for (int row = 0; row < m_rowCount; ++row) {
        m_list->InsertItem(row, wxString::Format("%d", row));
        m_list->SetItem(row, 1, wxGetTranslation(CLASS_NAMES[row]));
    }
    grid->Add(m_list, 1, wxALL | wxALIGN_CENTER, 5);

    // 2. OK and Cancel.
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, wxID_OK, _("OK")), 1, wxALL | wxALIGN_CENTER, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 1, wxALL | wxALIGN_CENTER, 5);
    grid->Add(buttons, 1, wxALL | wxALIGN_CENTER, 5);

    SetSizer(grid);
    grid->Fit(this);
    grid->SetSizeHints(this);
    CentreOnParent();
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &SectionColorTableDialog::OnItemActivated, this, ID_LISTVIEW1);
}

SectionColorTableDialog::~SectionColorTableDialog()
{
}

// The check box shares the first column with the code: room for both, the
// margins the list draws around them, and the widest code, or the header.
int SectionColorTableDialog::ClassColumnWidth() const
{
    const int checkBox = wxRendererNative::Get().GetCheckBoxSize(m_list).GetWidth();
    int widest = 0;
    for (int row = 0; row < m_rowCount; ++row)
        widest = std::max(widest, m_list->GetTextExtent(wxString::Format("%d", row)).GetWidth());
    return std::max(checkBox + widest + CHECK_BOX_MARGINS, m_list->GetTextExtent(_("Class")).GetWidth() + 16);
}

unsigned char SectionColorTableDialog::ChannelOf(float value)
{
    const float scaled = value * 255.0f;
    return static_cast<unsigned char>(static_cast<int>(scaled) & 0xff);
}

float SectionColorTableDialog::FloatOf(unsigned char channel)
{
    return channel / 255.0f;
}

void SectionColorTableDialog::SetColorTable(const unsigned char *visible, const float (*colors)[4])
{
    for (int row = 0; row < m_rowCount; ++row) {
        m_colors[row] = wxColour(ChannelOf(colors[row][0]), ChannelOf(colors[row][1]), ChannelOf(colors[row][2]),
                                 ChannelOf(colors[row][3]));
        m_visible[row] = visible[row];
        m_list->CheckItem(row, visible[row] != 0);
        // Checking a row reports back through the check handlers; the byte
        // stays as given.
        m_visible[row] = visible[row];
        ShowRowColour(row);
    }
}

void SectionColorTableDialog::GetColorTable(unsigned char *visible, float (*colors)[4]) const
{
    for (int row = 0; row < m_rowCount; ++row) {
        colors[row][0] = FloatOf(m_colors[row].Red());
        colors[row][1] = FloatOf(m_colors[row].Green());
        colors[row][2] = FloatOf(m_colors[row].Blue());
        colors[row][3] = FloatOf(m_colors[row].Alpha());
        visible[row] = m_visible[row];
    }
}

void SectionColorTableDialog::ShowRowColour(long row)
{
    const wxColour &colour = m_colors[row];
    m_list->SetItem(row, 2, colour.GetAsString(wxC2S_HTML_SYNTAX));
    m_list->SetItemBackgroundColour(row, colour);
    // Only red decides: light text on rows whose red is dark.
    m_list->SetItemTextColour(row, colour.Red() < 128 ? DARK_ROW_TEXT : *wxBLACK);
}

void SectionColorTableDialog::OnItemChecked(wxListEvent &event)
{
    const long row = event.GetIndex();
    if (row >= 0 && row < m_rowCount)
        m_visible[row] = 1;
}

void SectionColorTableDialog::OnItemUnchecked(wxListEvent &event)
{
    const long row = event.GetIndex();
    if (row >= 0 && row < m_rowCount)
        m_visible[row] = 0;
}

void SectionColorTableDialog::OnItemActivated(wxListEvent &event)
{
    const long row = event.GetIndex();
    if (row < 0 || row >= m_rowCount)
        return;
    wxColourData data;
    data.SetColour(m_colors[row]);
    wxColourDialog dialog(this, &data);
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_colors[row] = dialog.GetColourData().GetColour();
    ShowRowColour(row);
    m_list->SetItemState(row, 0, wxLIST_STATE_SELECTED);
}
