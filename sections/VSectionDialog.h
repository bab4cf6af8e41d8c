// Collects custom vertical sections: rows of centre x, centre y and azimuth
// (added one by one or imported from a text file) and the two widths that
// apply to every row.  OK is refused, with a message, until the widths are
// positive numbers and the list holds a row.
#pragma once

#include <wx/dialog.h>

#include <map>
#include <vector>

class AddVSectionDialog;
class FileChooser;
class wxButton;
class wxListView;
class wxTextCtrl;

class VSectionDialog : public wxDialog
{
public:
    struct Row {
        double x, y, azimuth;
    };

    VSectionDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                   const wxSize &size = wxDefaultSize);
    ~VSectionDialog() override;

    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL6;
    static const long ID_STATICTEXT5;
    static const long ID_TEXTCTRL7;
    static const long ID_LISTVIEW1;
    static const long ID_BUTTON1;
    static const long ID_BUTTON2;
    static const long ID_BUTTON3;
    static const long ID_BUTTON4;

    // Where Import asks for its file; the toolkit's dialog unless set.  Not
    // owned.
    void SetFileChooser(FileChooser *chooser) { m_fileChooser = chooser; }

    // What OK checks; shows what is wrong and answers false.
    bool AcceptInput();

    double GetBufferWidth() const;
    double GetSectionWidth() const;
    std::vector<Row> GetRows() const;
    void AppendRow(double x, double y, double azimuth);

    wxTextCtrl *GetBufferWidthField() const { return m_bufferWidthField; }
    wxTextCtrl *GetSectionWidthField() const { return m_sectionWidthField; }
    wxListView *GetSectionList() const { return m_sectionList; }

private:
    // Rows as the list shows them (three decimals), with their positions.
    using ListedRows = std::map<wxString, long>;

    static wxString RowKey(double x, double y, double azimuth);
    ListedRows GetListedRows() const;
    // The row "Add" asks for, or a refusal at the field to correct (not a
    // number, or a row the list already has).
    bool ReadNewRow(AddVSectionDialog &dialog, Row *row, wxString *why, wxWindow **field) const;
    void ReportImport(int added, const std::vector<int> &unread, int duplicates);
    void Warn(const wxString &message);

    void OnAdd(wxCommandEvent &event);
    void OnImport(wxCommandEvent &event);
    void OnDelete(wxCommandEvent &event);
    void OnClear(wxCommandEvent &event);
    void OnOK(wxCommandEvent &event);

    wxTextCtrl *m_bufferWidthField;
    wxTextCtrl *m_sectionWidthField;
    wxListView *m_sectionList;
    wxButton *m_addButton;
    wxButton *m_importButton;
    wxButton *m_deleteButton;
    wxButton *m_clearButton;
    wxButton *m_okButton;
    wxButton *m_cancelButton;
    FileChooser *m_fileChooser = nullptr;

    wxDECLARE_EVENT_TABLE();
};
