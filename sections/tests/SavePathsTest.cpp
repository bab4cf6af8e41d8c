// Every save of the program on one open project: road export, the editor's
// ".pm" export, a new road's file, the section exports, the current
// section's DXF or DAT file and the pieces of a slicing.  None of them
// writes over a file the project holds, a folder, or a file of another
// kind, however the user answers; a name gets the extension of the kind
// written.  Every question is answered Yes.  Needs a display (Xvfb).
#include "SectionViewTestSupport.h"

#include "ExportDialog.h"
#include "HorizonPanel.h"
#include "PointSliceDialog.h"
#include "RoadElementDialog.h"
#include "RoadsDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/treebook.h>

#include <filesystem>
#include <map>

using namespace sectionview;
namespace fs = std::filesystem;

namespace {

enum class Save { ROAD, EDITOR, NEW_ROAD, LATITUDE, LATITUDE_TWIN, LONGITUDE, SECTION_FILE, SLICE };

// Message boxes are recorded and answered Yes (or OK); the program's own
// dialogs are answered as the save needs.
class SaveScript : public wxModalDialogHook
{
public:
    explicit SaveScript(Save save, std::string sliced = std::string()) : m_save(save), m_sliced(std::move(sliced))
    {
        Register();
    }
    ~SaveScript() override { Unregister(); }

    std::vector<wxString> messages;
    int questions = 0;

protected:
    int Enter(wxDialog *dialog) override
    {
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog)) {
            messages.push_back(box->GetMessage());
            const bool question = box->GetMessageDialogStyle() & wxYES_NO;
            questions += question ? 1 : 0;
            return question ? wxID_YES : wxID_OK;
        }
        if (auto *roads = dynamic_cast<RoadsDialog *>(dialog)) {
            if (m_save == Save::NEW_ROAD) {
                Press(roads->CreateButton);
                return wxID_CANCEL;
            }
            roads->RoadChoice->SetSelection(0);
            return wxID_OK;
        }
        if (auto *editor = dynamic_cast<RoadElementDialog *>(dialog)) {
            wxCommandEvent click(wxEVT_BUTTON);
            editor->HorizonPage->OnExport(click);
            return wxID_CANCEL;
        }
        if (auto *exports = dynamic_cast<ExportDialog *>(dialog)) {
            const int page = m_save == Save::LONGITUDE ? ExportDialog::PAGE_LONGITUDE : ExportDialog::PAGE_LATITUDE;
            exports->GetTreebook()->SetSelection(size_t(page));
            // "Section points": unmeasured sections have their automatic lines.
            exports->GetCheckBox(page, page == ExportDialog::PAGE_LATITUDE ? 2 : 1)->SetValue(true);
            exports->GetCheckBox(ExportDialog::PAGE_LATITUDE, 1)->SetValue(m_save == Save::LATITUDE_TWIN);
            return wxID_OK;
        }
        if (auto *slice = dynamic_cast<PointSliceDialog *>(dialog)) {
            slice->ShowFileFacts(wxString::FromUTF8(m_sliced));
            return wxID_OK;
        }
        return wxID_CANCEL;
    }
    void Exit(wxDialog *) override {}

private:
    static void Press(wxButton *button)
    {
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(click);
    }

    Save m_save;
    std::string m_sliced;
};

// The file holds what the save writes.
bool WrittenAs(Save save, const std::string &path)
{
    const std::string bytes = fs::exists(path) ? read_bytes(path) : std::string();
    switch (save) {
    case Save::ROAD: {
        road_t road;
        road_init(&road);
        const bool read = road_import_haidi(&road, path.c_str()) == 0 || road_import_weidi(&road, path.c_str()) == 0;
        road_final(&road);
        return read;
    }
    case Save::SLICE:
        return bytes.rfind("LASF", 0) == 0;
    case Save::SECTION_FILE:
        return bytes.rfind("1,,", 0) == 0;
    default:
        return bytes.rfind("HINTCAD5.83_HDM_SHUJU", 0) == 0;
    }
}

class SavePathsTest : public SectionViewTest
{
protected:
    void Run(Save save)
    {
        wxCommandEvent click(wxEVT_BUTTON);
        const std::map<Save, long> ribbon = {
            {Save::ROAD, CorvaneFrame::ID_RIBBON_EXPORT_ROAD},        {Save::EDITOR, CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS},
            {Save::NEW_ROAD, CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS},  {Save::LATITUDE, CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS},
            {Save::LATITUDE_TWIN, CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS},
            {Save::LONGITUDE, CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS}, {Save::SLICE, CorvaneFrame::ID_RIBBON_SLICE}};
        if (save == Save::SECTION_FILE) {
            frame->OnExportSectionFile(click);
        } else {
            wxRibbonButtonBarEvent press(wxEVT_RIBBONBUTTONBAR_CLICKED, int(ribbon.at(save)));
            press.SetEventObject(frame->GetRibbonBar());
            frame->GetEventHandler()->ProcessEvent(press);
        }
        ASSERT_TRUE(WaitForTasks(120000));
    }

    // What a file or folder is now, to see that it stayed as it was.
    static std::string StateOf(const std::string &path)
    {
        if (fs::is_directory(path))
            return "<folder>";
        return fs::exists(path) ? read_bytes(path) : "<none>";
    }
};

} // namespace

TEST_F(SavePathsTest, NoSaveReplacesAProjectFileAFolderOrAFileOfAnotherKind)
{
    MakeCurrent(Latitude(0));
    const std::string las = dir.file("corridor.las"), road = dir.file("centre.pm");
    const std::string data = dir.file("project.data");
    for (const char *name : {"notes.pm", "notes.HDM", "notes.dxf", "notes.dat", "twin.DMX", "cut_0_0_0.las"})
        write_bytes(dir.file(name), "my notes\n");
    for (const char *name : {"folder.pm", "folder.DMX", "folder.dxf", "holes"})
        fs::create_directories(dir.file(name));
    fs::copy_file(road, dir.file("old.pm"));
    fs::copy_file(las, dir.file("cut.las"));
    fs::copy_file(las, dir.file("project.data/cut.las"));
    fs::copy_file(las, dir.file("holes/hole.las"));
    fs::create_directories(dir.file("holes/hole_0_0_0.las"));
    fs::copy_file(las, dir.file("kept.las"));
    fs::copy_file(las, dir.file("kept_0_0_0.las"));

    const struct {
        Save save;
        std::string typed; // the file named in the file dialog (the LAS file to slice)
        int filter;
        const char *refusal; // part of the message that refuses; null when the save goes ahead
        std::string kept;    // a file or folder that must stay as it was
        std::string written; // the file written, when the save goes ahead
        int questions;       // replace questions asked
    } rows[] = {
        // The project's own files.
        {Save::ROAD, road, 0, "is the file of a road of the project", road, "", 0},
        {Save::EDITOR, road, 0, "is the file of a road of the project", road, "", 0},
        {Save::ROAD, data + "/x.pm", 0, "lies in the project's data folder", data, "", 0},
        {Save::SLICE, data + "/cut.las", 0, "lies in the project's data folder", data, "", 0},
        // The cloud's LAS file, typed for a road, is not the name written.
        {Save::ROAD, las, 0, nullptr, las, las + ".pm", 0},
        {Save::SECTION_FILE, las, 1, nullptr, las, las + ".dat", 0},
        {Save::LATITUDE, dir.file("project.qpj"), 0, nullptr, dir.file("project.qpj"), dir.file("project.qpj.HDM"), 0},
        // Files of another kind.
        {Save::ROAD, dir.file("notes.pm"), 1, "does not hold road data", dir.file("notes.pm"), "", 0},
        {Save::NEW_ROAD, dir.file("notes.pm"), 0, "does not hold road data", dir.file("notes.pm"), "", 0},
        {Save::LATITUDE, dir.file("notes.HDM"), 0, "does not hold HDM data", dir.file("notes.HDM"), "", 0},
        {Save::LATITUDE_TWIN, dir.file("twin"), 0, "twin.DMX does not hold DMX data", dir.file("twin.DMX"), "", 0},
        {Save::SECTION_FILE, dir.file("notes.dxf"), 0, "does not hold DXF data", dir.file("notes.dxf"), "", 0},
        {Save::SECTION_FILE, dir.file("notes.dat"), 1, "does not hold DAT data", dir.file("notes.dat"), "", 0},
        {Save::SLICE, dir.file("cut.las"), 0, "does not hold LAS data", dir.file("cut_0_0_0.las"), "", 0},
        // Folders.
        {Save::ROAD, dir.file("folder"), 0, "folder.pm is a folder", dir.file("folder.pm"), "", 0},
        {Save::NEW_ROAD, dir.file("folder.pm"), 0, "folder.pm is a folder", dir.file("folder.pm"), "", 0},
        {Save::LONGITUDE, dir.file("folder.DMX"), 0, "folder.DMX is a folder", dir.file("folder.DMX"), "", 0},
        {Save::SECTION_FILE, dir.file("folder.dxf"), 0, "folder.dxf is a folder", dir.file("folder.dxf"), "", 0},
        {Save::SLICE, dir.file("holes/hole.las"), 0, "hole_0_0_0.las is a folder", dir.file("holes/hole_0_0_0.las"),
         "", 0},
        // A name with a dot of its own gets the extension as well.
        {Save::ROAD, dir.file("road.v2"), 0, nullptr, "", dir.file("road.v2.pm"), 0},
        {Save::ROAD, dir.file("road."), 1, nullptr, "", dir.file("road.pm"), 0},
        // A file of the kind written is replaced after Yes; a new road's
        // file is read, not replaced, and nothing is asked about it.
        {Save::ROAD, dir.file("old.pm"), 1, nullptr, "", dir.file("old.pm"), 1},
        {Save::SLICE, dir.file("kept.las"), 0, nullptr, dir.file("kept.las"), dir.file("kept_0_0_0.las"), 1},
        {Save::NEW_ROAD, dir.file("old.pm"), 0, nullptr, dir.file("old.pm"), "", 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed + " (save " + std::to_string(int(row.save)) + ")");
        const std::string before = row.kept.empty() ? std::string() : StateOf(row.kept);
        const size_t roads = CountOf(g_workspace->roads);
        if (row.save != Save::SLICE)
            script->answers.push_back({wxString::FromUTF8(row.typed), row.filter});
        SaveScript answers(row.save, row.typed);
        Run(row.save);
        script->answers.clear();
        EXPECT_EQ(row.questions, answers.questions);
        if (!row.kept.empty() && row.written != row.kept)
            EXPECT_EQ(before, StateOf(row.kept)) << "the file was changed";
        if (row.refusal) {
            EXPECT_FALSE(answers.messages.empty());
            if (!answers.messages.empty())
                EXPECT_NE(wxNOT_FOUND, answers.messages[0].Find(row.refusal)) << answers.messages[0];
            continue;
        }
        for (const wxString &message : answers.messages)
            EXPECT_EQ(wxNOT_FOUND, message.Find("Choose")) << message;
        if (!row.written.empty())
            EXPECT_TRUE(WrittenAs(row.save, row.written));
        if (row.save == Save::NEW_ROAD) {
            EXPECT_EQ(roads + 1, CountOf(g_workspace->roads)) << "the file's road was added";
            EXPECT_EQ(1u, answers.messages.size());
            if (!answers.messages.empty())
                EXPECT_NE(wxNOT_FOUND, answers.messages[0].Find("already holds a road")) << answers.messages[0];
        }
    }
    // The project and its cloud still open as they were.
    double box[6];
    EXPECT_GT(velmo_read_point_number(las.c_str(), box), 0);
    OpenProject();
    EXPECT_EQ(1u, CountOf(g_workspace->clouds));
    EXPECT_EQ(3u, CountOf(g_workspace->latitude_sections));
}
