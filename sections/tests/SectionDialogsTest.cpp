// The section dialogs driven as a user would: fields filled, buttons pressed
// through their events, nested dialogs answered by the modal hook, and the
// values read back as the frame reads them.  Needs a display (Xvfb).
#include "AddChainDialog.h"
#include "AddVSectionDialog.h"
#include "ExportDialog.h"
#include "GenChainsDialog.h"
#include "HSectionDialog.h"
#include "RoadSectionDialog.h"
#include "SectionTestSupport.h"
#include "TaskTestSupport.h"
#include "VSectionDialog.h"
#include "toolkit_decimal_comma_locale.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/treebook.h>
#include <wx/uiaction.h>

#include <fstream>

using namespace sectiontest;

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ListRows(wxListView *list)
{
    Rows rows;
    for (int i = 0; i < list->GetItemCount(); ++i) {
        std::vector<std::string> row;
        for (int c = 0; c < list->GetColumnCount(); ++c)
            row.push_back(list->GetItemText(i, c).ToStdString());
        rows.push_back(row);
    }
    return rows;
}

wxWindow *Child(wxWindow *dialog, long id)
{
    return dialog->FindWindow(id);
}

// A project with two roads of the same file name in two folders: the
// corridor's curved centre line, 200 m from chainage 0.
class RoadDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        ASSERT_TRUE(wks_create_project(g_workspace, 0, dir.file("p.qpj").c_str()));
        std::filesystem::create_directories(dir.file("a"));
        std::filesystem::create_directories(dir.file("b"));
        for (const char *folder : {"a", "b"}) {
            lasgen::CorridorSpec spec;
            spec.alignment = lasgen::Alignment::curved;
            const std::string path = dir.file(std::string(folder) + "/centre.pm");
            std::string error;
            ASSERT_TRUE(lasgen::write_centre_line(spec, path, &error)) << error;
            ASSERT_NE(nullptr, wks_import_road(g_workspace, path.c_str(), 0));
        }
    }

    // Presses Generate and answers the generation dialog.
    void Generate(RoadSectionDialog &dialog, const char *start, const char *end, const char *spacing)
    {
        driver.Then<GenChainsDialog>([=](GenChainsDialog &gen) {
            Type(gen.GetStartField(), start);
            Type(gen.GetEndField(), end);
            Type(gen.GetSpacingField(), spacing);
            return wxID_OK;
        });
        Press(Child(&dialog, RoadSectionDialog::ID_BUTTON5));
    }

    void Add(RoadSectionDialog &dialog, const char *first, const char *second = nullptr)
    {
        driver.Then<AddChainDialog>([=](AddChainDialog &add) {
            Type(add.GetFirstField(), first);
            if (second)
                Type(add.GetSecondField(), second);
            return wxID_OK;
        });
        Press(Child(&dialog, RoadSectionDialog::ID_BUTTON3));
    }

    void Import(RoadSectionDialog &dialog, const std::string &bytes)
    {
        const std::string path = dir.file("chains.txt");
        std::ofstream(path, std::ios::binary) << bytes;
        chooser.answers.push_back(path);
        dialog.SetFileChooser(&chooser);
        Press(Child(&dialog, RoadSectionDialog::ID_BUTTON1));
    }

    TempDir dir;
    tasktest::TestWorkspace workspace;
    DialogDriver driver;
    ScriptedChooser chooser;
};

} // namespace

// ---- Road section dialog ----------------------------------------------------------------

TEST_F(RoadDialogTest, ModesSetTitleColumnsAndSectionWidth)
{
    RoadSectionDialog latitude(nullptr, ROAD_SECTION_LATITUDE);
    EXPECT_EQ("Latitude section", latitude.GetTitle());
    EXPECT_EQ("40.0", latitude.GetSectionWidthField()->GetValue());
    EXPECT_TRUE(latitude.GetSectionWidthField()->IsEditable());
    EXPECT_EQ("1.0", latitude.GetBufferWidthField()->GetValue());
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT);
    latitude.GetChainList()->GetColumn(2, column);
    EXPECT_EQ("Altitude", column.GetText());

    RoadSectionDialog longitude(nullptr, ROAD_SECTION_LONGITUDE);
    EXPECT_EQ("Longitude section", longitude.GetTitle());
    EXPECT_EQ("", longitude.GetSectionWidthField()->GetValue());
    EXPECT_FALSE(longitude.GetSectionWidthField()->IsEditable());
    for (int c = 0; c < 3; ++c) {
        longitude.GetChainList()->GetColumn(c, column);
        EXPECT_EQ(std::vector<wxString>({"Index", "Start chain", "End chain"})[c], column.GetText());
    }
    // Two roads of one file name are two entries; the index tells them apart.
    ASSERT_EQ(2u, longitude.GetRoadChoice()->GetCount());
    EXPECT_EQ("centre.pm", longitude.GetRoadChoice()->GetString(1));
    EXPECT_EQ(0, longitude.GetRoadIndex());
    longitude.GetRoadChoice()->SetSelection(1);
    EXPECT_EQ(tasktest::ItemOf<wks_road_t>(g_workspace->roads, 1), longitude.GetRoad());
}

TEST_F(RoadDialogTest, GenerateAppendsEvenlySpacedRowsOrSaysWhyNot)
{
    RoadSectionDialog latitude(nullptr, ROAD_SECTION_LATITUDE);
    Generate(latitude, "0", "100", "20");
    EXPECT_EQ((Rows{{"1", "0.000", "0.000"},
                    {"2", "20.000", "0.000"},
                    {"3", "40.000", "0.000"},
                    {"4", "60.000", "0.000"},
                    {"5", "80.000", "0.000"}}),
              ListRows(latitude.GetChainList()));
    EXPECT_TRUE(driver.messages.empty());
    // Numbered on after the rows already there; a spacing that divides the
    // distance exactly in decimal but not in binary still counts whole.  A
    // chainage listed already is not listed twice, and the user is told.
    Generate(latitude, "0", "0.3", "0.1");
    EXPECT_EQ(7, latitude.GetChainList()->GetItemCount());
    EXPECT_EQ("7", latitude.GetChainList()->GetItemText(6, 0));
    EXPECT_EQ("0.200", latitude.GetChainList()->GetItemText(6, 1));
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("2 rows were generated.")) << driver.messages[0].text;
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("1 row was dropped as a duplicate")) << driver.messages[0].text;
    driver.messages.clear();

    RoadSectionDialog longitude(nullptr, ROAD_SECTION_LONGITUDE);
    Generate(longitude, "0", "90", "20");
    EXPECT_EQ((Rows{{"1", "0.000", "20.000"},
                    {"2", "20.000", "40.000"},
                    {"3", "40.000", "60.000"},
                    {"4", "60.000", "80.000"}}),
              ListRows(longitude.GetChainList()));

    const struct {
        const char *start, *end, *spacing, *says;
    } refused[] = {{"0", "10", "20", "longer than the distance"},
                   {"100", "0", "20", "end chain must be greater"},
                   {"0", "100", "0", "spacing must be greater than 0"},
                   {"0", "100", "-5", "spacing must be greater than 0"},
                   {"0", "", "5", "End chain must be a number"},
                   {"0", "100", "nan", "Chain spacing must be a number"},
                   {"0", "100000", "0.5", "at most 100000"}};
    for (const auto &r : refused) {
        driver.messages.clear();
        Generate(longitude, r.start, r.end, r.spacing);
        EXPECT_EQ(4, longitude.GetChainList()->GetItemCount()) << r.says;
        ASSERT_EQ(1u, driver.messages.size()) << r.says;
        EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find(r.says)) << driver.messages[0].text;
    }
    // Exactly the limit is allowed; the four ranges listed already stay once.
    driver.messages.clear();
    Generate(longitude, "0", "100000", "1");
    EXPECT_EQ(100000, longitude.GetChainList()->GetItemCount());
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("4 rows were dropped as duplicates")) << driver.messages[0].text;
    // A full list takes no more rows, generated or added one by one.
    driver.messages.clear();
    Generate(longitude, "200000", "200010", "1");
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("would pass the 100000 rows")) << driver.messages[0].text;
    driver.messages.clear();
    Press(Child(&longitude, RoadSectionDialog::ID_BUTTON3));
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("would pass the 100000 rows")) << driver.messages[0].text;
    EXPECT_EQ(100000, longitude.GetChainList()->GetItemCount());
}

TEST_F(RoadDialogTest, AddRefusesADuplicateChainageOrAnEmptyField)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    wxString firstLabel;
    driver.Then<AddChainDialog>([&](AddChainDialog &add) {
        firstLabel = add.GetFirstLabel()->GetLabel();
        EXPECT_EQ("0", add.GetSecondField()->GetValue());
        Type(add.GetFirstField(), "120");
        Type(add.GetSecondField(), "12.3454");
        return wxID_OK;
    });
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON3));
    EXPECT_EQ("Chain", firstLabel);
    Add(dialog, "120.0009");
    Add(dialog, "120.002");
    Add(dialog, "");
    EXPECT_EQ((Rows{{"1", "120.000", "12.345"}, {"2", "120.002", "0.000"}}), ListRows(dialog.GetChainList()));
    ASSERT_EQ(2u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("already in the list"));
    EXPECT_NE(wxNOT_FOUND, driver.messages[1].text.Find("Chain must be a number"));
    EXPECT_DOUBLE_EQ(12.345, dialog.GetRows()[0][1]);

    // A cancelled add changes nothing.
    driver.Then<AddChainDialog>([](AddChainDialog &add) {
        Type(add.GetFirstField(), "50");
        return wxID_CANCEL;
    });
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON3));
    EXPECT_EQ(2, dialog.GetChainList()->GetItemCount());

    RoadSectionDialog longitude(nullptr, ROAD_SECTION_LONGITUDE);
    driver.Then<AddChainDialog>([&](AddChainDialog &add) {
        EXPECT_EQ("Start chain", add.GetFirstLabel()->GetLabel());
        EXPECT_EQ("End chain", add.GetSecondLabel()->GetLabel());
        EXPECT_EQ("Add chain", add.GetTitle());
        return wxID_CANCEL;
    });
    Press(Child(&longitude, RoadSectionDialog::ID_BUTTON3));
}

TEST_F(RoadDialogTest, ImportAppendsReadableLinesAndNamesTheOthers)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    Import(dialog, "0,12.5\n20;13.25\n40,,14\n");
    EXPECT_EQ((Rows{{"1", "0.000", "12.500"}, {"2", "20.000", "13.250"}, {"3", "40.000", "14.000"}}),
              ListRows(dialog.GetChainList()));
    EXPECT_EQ("Please select chain list file to import...", chooser.asked[0].message);
    EXPECT_TRUE(driver.messages.empty());

    // Mark, CR LF, blank lines, a heading, a NaN and a last line without
    // its line feed: every readable row comes in, numbered on, and the user
    // learns which lines were not.
    dialog.GetChainList()->DeleteAllItems();
    Import(dialog, "\xEF\xBB\xBF# chain,altitude\r\n60,1\r\n\r\nnan,2\r\n80 3\r\n100,4");
    EXPECT_EQ((Rows{{"1", "60.000", "1.000"}, {"2", "100.000", "4.000"}}), ListRows(dialog.GetChainList()));
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("2 rows were imported"));
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("Lines 1, 4, 5 "));

    driver.messages.clear();
    Import(dialog, "\n \n");
    EXPECT_EQ(2, dialog.GetChainList()->GetItemCount());
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_EQ("The file holds no chain list rows.", driver.messages[0].text);

    driver.messages.clear();
    chooser.answers.push_back(dir.file("missing.txt"));
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON1));
    EXPECT_EQ(2, dialog.GetChainList()->GetItemCount());
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("Cannot open"));
}

// A line is a row only when it holds the row's numbers, separators and
// trailing blanks and nothing else; every other line is named.  Lines end
// at LF, CR LF or CR alike.
TEST_F(RoadDialogTest, ImportTakesALineOnlyWhenItIsExactlyARow)
{
    const struct {
        const char *what;
        std::string bytes;
        Rows rows;
        const char *named; // "" when no line may be named
    } cases[] = {
        {"decimal commas", "120,5 35,2\n10,20\n", {{"1", "10.000", "20.000"}}, "Line 1 "},
        {"text after the numbers", "120,35.2,99 text\n130,1\n", {{"1", "130.000", "1.000"}}, "Line 1 "},
        {"a third number", "10,20\n120,35.2,99\n", {{"1", "10.000", "20.000"}}, "Line 2 "},
        {"CR line ends", "0,1\r20,2\r40,3", {{"1", "0.000", "1.000"}, {"2", "20.000", "2.000"},
                                            {"3", "40.000", "3.000"}}, ""},
        {"mixed line ends", "0,1\r\n20,2\r40,3\n\r", {{"1", "0.000", "1.000"}, {"2", "20.000", "2.000"},
                                                       {"3", "40.000", "3.000"}}, ""},
        {"a NUL inside a row", std::string("100\0,5\n7,8\n", 11), {{"1", "7.000", "8.000"}}, "Line 1 "},
        {"a NUL alone", std::string("7,8\n\0\n", 6), {{"1", "7.000", "8.000"}}, "Line 2 "},
        {"trailing separators and blanks", "7,8,; \t\n", {{"1", "7.000", "8.000"}}, ""},
    };
    for (const auto &c : cases) {
        RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
        driver.messages.clear();
        Import(dialog, c.bytes);
        EXPECT_EQ(c.rows, ListRows(dialog.GetChainList())) << c.what;
        if (*c.named) {
            ASSERT_EQ(1u, driver.messages.size()) << c.what;
            EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find(c.named)) << c.what << ": " << driver.messages[0].text;
        } else {
            EXPECT_TRUE(driver.messages.empty()) << c.what;
        }
    }
}

// A file the list cannot take whole is refused with the reason, and the
// rows already listed stay as they are.
TEST_F(RoadDialogTest, ImportRefusesAFileItCannotTakeAndKeepsTheList)
{
    std::string rows;
    for (long k = 1; k <= RoadSectionDialog::MAX_GENERATED_ROWS; ++k)
        rows += std::to_string(k) + ",1\n";
    const std::string utf16 = std::string("1\0,\0" "2\0\n\0" "3\0,\0" "4\0\n\0", 16);
    const std::string utf16be = std::string("\0" "1\0,\0" "2\0\n\0" "3\0,\0" "4\0\n", 16);
    const struct {
        const char *what;
        std::string bytes;
        const char *reason;
    } cases[] = {
        {"UTF-16 with a mark", "\xFF\xFE" + utf16, "UTF-16"},
        {"UTF-16 without a mark", utf16, "UTF-16"},
        {"big-endian UTF-16 with a mark", "\xFE\xFF" + utf16be, "UTF-16"},
        {"big-endian UTF-16 without a mark", utf16be, "UTF-16"},
        {"more rows than the list may hold", rows + "0.5,1\n", "at most 100000 rows"},
        {"more rows than the list has room for", rows, "at most 100000 rows"},
    };
    for (const auto &c : cases) {
        RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
        Import(dialog, "-5,1\n");
        driver.messages.clear();
        Import(dialog, c.bytes);
        EXPECT_EQ((Rows{{"1", "-5.000", "1.000"}}), ListRows(dialog.GetChainList())) << c.what;
        ASSERT_EQ(1u, driver.messages.size()) << c.what;
        EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find(c.reason)) << c.what << ": " << driver.messages[0].text;
    }
}

// Import keeps out what Add keeps out: a chainage within 0.001 of one
// already listed or read earlier from the same file.
TEST_F(RoadDialogTest, ImportDropsDuplicateChainagesAsAddDoesAndCountsThem)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    Add(dialog, "200", "9");
    Import(dialog, "100,1\n100.000000001,2\n100.0009,3\n200.0004,4\n100.002,5\n");
    EXPECT_EQ((Rows{{"1", "200.000", "9.000"}, {"2", "100.000", "1.000"}, {"3", "100.002", "5.000"}}),
              ListRows(dialog.GetChainList()));
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("2 rows were imported")) << driver.messages[0].text;
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("3 rows were dropped")) << driver.messages[0].text;
}

TEST_F(RoadDialogTest, NegativeZeroIsListedAsZero)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LONGITUDE);
    Import(dialog, "-0,-0.0004\n");
    Add(dialog, "5", "-0.0");
    EXPECT_EQ((Rows{{"1", "0.000", "0.000"}, {"2", "5.000", "0.000"}}), ListRows(dialog.GetChainList()));

    VSectionDialog custom(nullptr);
    ScriptedChooser customChooser;
    custom.SetFileChooser(&customChooser);
    const std::string path = dir.file("custom.txt");
    std::ofstream(path, std::ios::binary) << "-0,-0.0002,-0.0\n";
    customChooser.answers.push_back(path);
    Press(Child(&custom, VSectionDialog::ID_BUTTON2));
    EXPECT_EQ((Rows{{"1", "0.000", "0.000", "0.000"}}), ListRows(custom.GetSectionList()));
}

TEST_F(RoadDialogTest, DeleteTakesTheSelectedRowAndIndexTextsStay)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    Generate(dialog, "0", "60", "20");
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON4)); // nothing selected
    EXPECT_EQ(3, dialog.GetChainList()->GetItemCount());
    dialog.GetChainList()->Select(1);
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON4));
    Add(dialog, "50");
    EXPECT_EQ((Rows{{"1", "0.000", "0.000"}, {"3", "40.000", "0.000"}, {"3", "50.000", "0.000"}}),
              ListRows(dialog.GetChainList()));
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON2));
    EXPECT_EQ(0, dialog.GetChainList()->GetItemCount());
    Press(Child(&dialog, RoadSectionDialog::ID_BUTTON2));
}

TEST_F(RoadDialogTest, OkIsRefusedUntilTheBatchWouldMakeEverySection)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    const auto refusal = [&]() -> std::string {
        driver.messages.clear();
        const bool accepted = dialog.AcceptInput();
        return accepted ? "accepted" : driver.messages.at(0).text.ToStdString();
    };
    EXPECT_NE(std::string::npos, refusal().find("chain list is empty"));
    dialog.AppendRow(250.0, 0.0);
    EXPECT_NE(std::string::npos, refusal().find("outside the road, which runs from 0.000 to 200.000"));
    dialog.GetChainList()->DeleteAllItems();
    dialog.AppendRow(199.0, 0.0);
    dialog.AppendRow(-1.0, 0.0);
    dialog.AppendRow(0.0, 0.0);
    EXPECT_NE(std::string::npos, refusal().find("Row 2 of"));
    dialog.GetChainList()->DeleteItem(1);
    EXPECT_EQ("accepted", refusal());
    for (const char *width : {"0", "-1", "", "abc", "1e400"}) {
        Type(dialog.GetSectionWidthField(), width);
        EXPECT_NE(std::string::npos, refusal().find("Section width must be")) << width;
    }
    Type(dialog.GetSectionWidthField(), "40");
    Type(dialog.GetBufferWidthField(), "0");
    EXPECT_NE(std::string::npos, refusal().find("Buffer width must be"));
    Type(dialog.GetBufferWidthField(), "2.5");
    EXPECT_EQ("accepted", refusal());
    EXPECT_DOUBLE_EQ(2.5, dialog.GetBufferWidth());
    EXPECT_DOUBLE_EQ(40.0, dialog.GetSectionWidth());

    RoadSectionDialog longitude(nullptr, ROAD_SECTION_LONGITUDE);
    longitude.AppendRow(50.0, 20.0);
    driver.messages.clear();
    EXPECT_FALSE(longitude.AcceptInput());
    EXPECT_NE(wxNOT_FOUND, driver.messages.at(0).text.Find("does not end after it starts"));
    longitude.GetChainList()->DeleteAllItems();
    longitude.AppendRow(50.0, 260.0);
    EXPECT_FALSE(longitude.AcceptInput());
    longitude.GetChainList()->DeleteAllItems();
    longitude.AppendRow(20.0, 50.0);
    EXPECT_TRUE(longitude.AcceptInput()) << "the section width is not asked for";
}

TEST_F(RoadDialogTest, TheOkButtonKeepsTheDialogOpenOnBadInput)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    wxWindow *ok = Child(&dialog, wxID_OK);
    // The real modal loop: OK on an empty list is refused, Cancel then ends it.
    const auto show = [](wxDialog *) { return int(wxID_NONE); };
    driver.Then(show);
    driver.Then(show);
    dialog.CallAfter([&] {
        Press(ok);
        dialog.CallAfter([&] { Press(Child(&dialog, wxID_CANCEL)); });
    });
    EXPECT_EQ(wxID_CANCEL, dialog.ShowModal());
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("chain list is empty"));

    dialog.AppendRow(10.0, 0.0);
    dialog.CallAfter([&] { Press(ok); });
    EXPECT_EQ(wxID_OK, dialog.ShowModal());
}

// Under a German locale every value a section dialog shows, prefilled or
// listed, carries a decimal point and reads back as the value it shows.
TEST_F(RoadDialogTest, EveryDialogReadsBackWhatItShowsUnderADecimalCommaLocale)
{
    ToolkitDecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    RoadSectionDialog road(nullptr, ROAD_SECTION_LATITUDE);
    Add(road, "120.5", "12.25");
    Import(road, "140.75,13.125\n");
    VSectionDialog custom(nullptr);
    driver.Then<AddVSectionDialog>([](AddVSectionDialog &add) {
        Type(add.GetCenterXField(), "500010.12345");
        Type(add.GetCenterYField(), "4000020.5");
        Type(add.GetAzimuthField(), "45.25");
        return wxID_OK;
    });
    Press(Child(&custom, VSectionDialog::ID_BUTTON1));
    HSectionDialog flat(nullptr);
    const double centre[3] = {500123.45678, 4000001.5, 101.25};
    flat.SetCenter(centre);
    double read[3] = {};
    flat.GetCenter(read);

    const struct {
        const char *value;
        wxString shown;
        double read;
        double expected;
    } values[] = {
        {"road buffer width", road.GetBufferWidthField()->GetValue(), road.GetBufferWidth(), 1.0},
        {"road section width", road.GetSectionWidthField()->GetValue(), road.GetSectionWidth(), 40.0},
        {"added chainage", road.GetChainList()->GetItemText(0, 1), road.GetRows().at(0)[0], 120.5},
        {"added altitude", road.GetChainList()->GetItemText(0, 2), road.GetRows().at(0)[1], 12.25},
        {"imported chainage", road.GetChainList()->GetItemText(1, 1), road.GetRows().at(1)[0], 140.75},
        {"imported altitude", road.GetChainList()->GetItemText(1, 2), road.GetRows().at(1)[1], 13.125},
        {"custom buffer width", custom.GetBufferWidthField()->GetValue(), custom.GetBufferWidth(), 1.0},
        {"custom centre x", custom.GetSectionList()->GetItemText(0, 1), custom.GetRows().at(0).x, 500010.123},
        {"custom centre y", custom.GetSectionList()->GetItemText(0, 2), custom.GetRows().at(0).y, 4000020.5},
        {"custom azimuth", custom.GetSectionList()->GetItemText(0, 3), custom.GetRows().at(0).azimuth, 45.25},
        {"horizontal centre x", flat.GetCenterField(0)->GetValue(), read[0], 500123.457},
        {"horizontal centre z", flat.GetCenterField(2)->GetValue(), read[2], 101.25},
        {"horizontal buffer width", flat.GetBufferWidthField()->GetValue(), flat.GetBufferWidth(), 1.0},
    };
    for (const auto &v : values) {
        EXPECT_EQ(wxNOT_FOUND, v.shown.Find(',')) << v.value << " shows " << v.shown;
        EXPECT_DOUBLE_EQ(v.expected, v.read) << v.value << " shows " << v.shown;
    }
    EXPECT_TRUE(road.AcceptInput());
    EXPECT_TRUE(custom.AcceptInput());
    EXPECT_TRUE(flat.AcceptInput());
    EXPECT_TRUE(driver.messages.empty()) << driver.messages[0].text;
}

TEST(RoadDialogWithoutRoadsTest, NoRoadLeavesTheChoiceEmptyAndRefusesOk)
{
    ASSERT_TOOLKIT_STARTED();
    tasktest::TestWorkspace workspace;
    DialogDriver driver;
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    EXPECT_EQ(0u, dialog.GetRoadChoice()->GetCount());
    EXPECT_EQ(-1, dialog.GetRoadIndex());
    EXPECT_EQ(nullptr, dialog.GetRoad());
    dialog.AppendRow(10.0, 0.0);
    EXPECT_FALSE(dialog.AcceptInput());
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("no road"));
}

// ---- Custom section dialogs -------------------------------------------------------------

TEST(VSectionDialogTest, AddImportDeleteAndClearBuildTheList)
{
    ASSERT_TOOLKIT_STARTED();
    TempDir dir;
    DialogDriver driver;
    ScriptedChooser chooser;
    VSectionDialog dialog(nullptr);
    dialog.SetFileChooser(&chooser);
    EXPECT_EQ("Vertical section", dialog.GetTitle());
    EXPECT_EQ("1.0", dialog.GetBufferWidthField()->GetValue());
    EXPECT_EQ("40", dialog.GetSectionWidthField()->GetValue());

    driver.Then<AddVSectionDialog>([](AddVSectionDialog &add) {
        EXPECT_EQ("Add vertical section", add.GetTitle());
        EXPECT_EQ("", add.GetAzimuthField()->GetValue());
        Type(add.GetCenterXField(), "500010.12345");
        Type(add.GetCenterYField(), "4000020");
        Type(add.GetAzimuthField(), "45");
        return wxID_OK;
    });
    Press(Child(&dialog, VSectionDialog::ID_BUTTON1));

    const std::string path = dir.file("custom.txt");
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF" "x,y,azimuth\r\n10,20,30\r\n10;20;30\r\n10,; 20,30,40\r\n"
                                             "10 20 30\r\n10\b20\b30\r\n10,20\r\n10,20,nan\r\n\r\n11,21,31";
    chooser.answers.push_back(path);
    Press(Child(&dialog, VSectionDialog::ID_BUTTON2));
    EXPECT_NE(wxNOT_FOUND, chooser.asked.at(0).message.Find("Center x,Center y,Azimuth a line"));
    // The same row three times makes one section; the other two are counted.
    EXPECT_EQ((Rows{{"1", "500010.123", "4000020.000", "45.000"},
                    {"2", "10.000", "20.000", "30.000"},
                    {"3", "11.000", "21.000", "31.000"}}),
              ListRows(dialog.GetSectionList()));
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("2 sections were imported"));
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("Lines 1, 4, 5, 7, 8 "));
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("2 rows were dropped as duplicates"))
        << driver.messages[0].text;
    EXPECT_DOUBLE_EQ(500010.123, dialog.GetRows()[0].x);

    // Several selected: only the topmost goes.
    dialog.AppendRow(1, 2, 3);
    dialog.AppendRow(4, 5, 6);
    dialog.GetSectionList()->Select(2);
    dialog.GetSectionList()->Select(4);
    Press(Child(&dialog, VSectionDialog::ID_BUTTON3));
    EXPECT_EQ(4, dialog.GetSectionList()->GetItemCount());
    EXPECT_EQ("4", dialog.GetSectionList()->GetItemText(2, 0));
    Press(Child(&dialog, VSectionDialog::ID_BUTTON4));
    EXPECT_EQ(0, dialog.GetSectionList()->GetItemCount());
}

// A value that is not a number keeps "Add" open with all three typed
// values, as every other input dialog does; a row already listed is refused
// there too, and an imported file drops it as the chain list does.
TEST(VSectionDialogTest, AddKeepsItsDialogOpenOnABadValueAndRefusesARowAlreadyListed)
{
    ASSERT_TOOLKIT_STARTED();
    DialogDriver driver;
    VSectionDialog dialog(nullptr);
    dialog.AppendRow(10, 20, 30);
    const struct {
        const char *x, *y, *azimuth;
        const char *reason; // of the refusal; the row goes in after it is mended
    } cases[] = {
        {"", "20", "45", "Center X must be a number"},
        {"500010", "4000020,5", "45", "Center Y must be a number"},
        {"500010", "4000020", "north", "Azimuth angle must be a number"},
        {"10.0004", "20", "30", "already in the list (row 1)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        driver.messages.clear();
        bool stayedOpen = false;
        wxString keptX, keptY, keptAzimuth;
        driver.Then([&](wxDialog *shown) {
            auto *add = dynamic_cast<AddVSectionDialog *>(shown);
            EXPECT_NE(nullptr, add);
            if (!add)
                return int(wxID_CANCEL);
            add->CallAfter([&, add] {
                Type(add->GetCenterXField(), c.x);
                Type(add->GetCenterYField(), c.y);
                Type(add->GetAzimuthField(), c.azimuth);
                Press(Child(add, wxID_OK));
                stayedOpen = add->IsModal();
                keptX = add->GetCenterXField()->GetValue();
                keptY = add->GetCenterYField()->GetValue();
                keptAzimuth = add->GetAzimuthField()->GetValue();
                Type(add->GetCenterXField(), "7");
                Type(add->GetCenterYField(), "8");
                Type(add->GetAzimuthField(), "9");
                Press(Child(add, wxID_OK));
            });
            return int(wxID_NONE);
        });
        Press(Child(&dialog, VSectionDialog::ID_BUTTON1));
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(c.x, keptX);
        EXPECT_EQ(c.y, keptY);
        EXPECT_EQ(c.azimuth, keptAzimuth);
        ASSERT_EQ(1u, driver.messages.size());
        EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find(c.reason)) << driver.messages[0].text;
        EXPECT_EQ((std::vector<std::string>{"2", "7.000", "8.000", "9.000"}), ListRows(dialog.GetSectionList())[1]);
        dialog.GetSectionList()->DeleteItem(1);
    }
}

TEST(VSectionDialogTest, ImportRefusesTooManyRowsAndUtf16AndKeepsTheList)
{
    ASSERT_TOOLKIT_STARTED();
    TempDir dir;
    DialogDriver driver;
    ScriptedChooser chooser;
    std::string rows;
    for (long k = 0; k <= RoadSectionDialog::MAX_GENERATED_ROWS; ++k)
        rows += "500000," + std::to_string(k) + ",90\r\n";
    const struct {
        std::string bytes;
        const char *reason;
    } cases[] = {{rows, "at most 100000 rows"},
                 {std::string("\xFF\xFE" "1\0,\0" "2\0,\0" "3\0\n\0", 14), "UTF-16"}};
    for (const auto &c : cases) {
        VSectionDialog dialog(nullptr);
        dialog.SetFileChooser(&chooser);
        const std::string path = dir.file("custom.txt");
        std::ofstream(path, std::ios::binary) << "1,2,3\n";
        chooser.answers.push_back(path);
        Press(Child(&dialog, VSectionDialog::ID_BUTTON2));
        std::ofstream(path, std::ios::binary) << c.bytes;
        chooser.answers.push_back(path);
        Press(Child(&dialog, VSectionDialog::ID_BUTTON2));
        EXPECT_EQ((Rows{{"1", "1.000", "2.000", "3.000"}}), ListRows(dialog.GetSectionList())) << c.reason;
        ASSERT_EQ(1u, driver.messages.size()) << c.reason;
        EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find(c.reason)) << driver.messages[0].text;
        driver.messages.clear();
    }
    // A full list takes no row from Add either.
    VSectionDialog full(nullptr);
    for (long k = 0; k < RoadSectionDialog::MAX_GENERATED_ROWS; ++k)
        full.AppendRow(500000, double(k), 90);
    Press(Child(&full, VSectionDialog::ID_BUTTON1));
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("the most a list may hold")) << driver.messages[0].text;
    EXPECT_EQ(long(RoadSectionDialog::MAX_GENERATED_ROWS), full.GetSectionList()->GetItemCount());
}

TEST(VSectionDialogTest, OkNeedsPositiveWidthsAndARow)
{
    ASSERT_TOOLKIT_STARTED();
    DialogDriver driver;
    VSectionDialog dialog(nullptr);
    EXPECT_FALSE(dialog.AcceptInput());
    dialog.AppendRow(1, 2, 3);
    EXPECT_TRUE(dialog.AcceptInput());
    Type(dialog.GetSectionWidthField(), "0");
    EXPECT_FALSE(dialog.AcceptInput());
    Type(dialog.GetSectionWidthField(), "40");
    Type(dialog.GetBufferWidthField(), "x");
    EXPECT_FALSE(dialog.AcceptInput());
    ASSERT_EQ(3u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("list is empty"));
    EXPECT_NE(wxNOT_FOUND, driver.messages[1].text.Find("Section width"));
    EXPECT_NE(wxNOT_FOUND, driver.messages[2].text.Find("Buffer width"));
}

TEST(HSectionDialogTest, OpensWithDefaultsAndRefusesFieldsThatAreNotNumbers)
{
    ASSERT_TOOLKIT_STARTED();
    DialogDriver driver;
    HSectionDialog dialog(nullptr);
    EXPECT_EQ("Horizon section", dialog.GetTitle());
    EXPECT_EQ("section1", dialog.GetNameField()->GetValue());
    EXPECT_EQ("0", dialog.GetOrientationField()->GetValue());
    EXPECT_EQ("1.0", dialog.GetBufferWidthField()->GetValue());
    EXPECT_EQ("40.0", dialog.GetSectionWidthField()->GetValue());
    EXPECT_FALSE(dialog.AcceptInput()) << "the centre is empty";
    const double centre[3] = {500123.45678, 4000001.5, 101.25};
    dialog.SetCenter(centre);
    EXPECT_EQ("500123.457", dialog.GetCenterField(0)->GetValue());
    EXPECT_EQ("101.250", dialog.GetCenterField(2)->GetValue());
    EXPECT_TRUE(dialog.AcceptInput());
    Type(dialog.GetCenterField(2), "95");
    double read[3];
    dialog.GetCenter(read);
    EXPECT_DOUBLE_EQ(95.0, read[2]);
    Type(dialog.GetOrientationField(), "");
    EXPECT_FALSE(dialog.AcceptInput());
    Type(dialog.GetOrientationField(), "90");
    Type(dialog.GetBufferWidthField(), "0");
    EXPECT_FALSE(dialog.AcceptInput());
    ASSERT_EQ(3u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[1].text.Find("Orientation"));
    EXPECT_NE(wxNOT_FOUND, driver.messages[2].text.Find("Buffer width"));
}

// ---- Export dialog ----------------------------------------------------------------------

TEST(ExportDialogTest, OptionsComeFromTheSelectedPageOnly)
{
    ASSERT_TOOLKIT_STARTED();
    ExportDialog dialog(nullptr);
    EXPECT_EQ("Export sections", dialog.GetTitle());
    int options[3] = {-1, -1, -1};
    dialog.GetOptions(options);
    EXPECT_EQ(0, dialog.GetSelectedPage());
    EXPECT_EQ((std::vector<int>{1, 0, 0}), std::vector<int>(options, options + 3));

    // Boxes ticked on the latitude page do not follow to the longitude one.
    dialog.GetCheckBox(0, 2)->SetValue(true);
    dialog.GetTreebook()->SetSelection(1);
    dialog.GetCheckBox(1, 1)->SetValue(true);
    dialog.GetOptions(options);
    EXPECT_EQ((std::vector<int>{1, 1, 0}), std::vector<int>(options, options + 3));
    EXPECT_EQ("Section points", dialog.GetCheckBox(1, 1)->GetLabel());

    dialog.GetTreebook()->SetSelection(2);
    dialog.GetCheckBox(2, 0)->SetValue(false);
    dialog.GetOptions(options);
    EXPECT_EQ((std::vector<int>{0, 0, 0}), std::vector<int>(options, options + 3));
    EXPECT_EQ("Custom section", dialog.GetTreebook()->GetPageText(2));
}

// ---- By mouse -----------------------------------------------------------------------------

namespace {

// Yields until done() or about three seconds have passed.
bool YieldUntil(const std::function<bool()> &done)
{
    for (int i = 0; i < 300 && !done(); ++i) {
        wxYield();
        wxMilliSleep(10);
    }
    return done();
}

void ClickOn(wxUIActionSimulator &mouse, wxWindow *button)
{
    const wxRect box = button->GetScreenRect();
    mouse.MouseMove(box.GetLeft() + box.GetWidth() / 2, box.GetTop() + box.GetHeight() / 2);
    wxYield();
    mouse.MouseClick();
    wxYield();
}

} // namespace

// The buttons are bound to the handlers a user reaches: Generate appends
// the rows, OK closes the dialog, all through real clicks.
TEST_F(RoadDialogTest, ClickingGenerateThenOkMakesTheBatch)
{
    RoadSectionDialog dialog(nullptr, ROAD_SECTION_LATITUDE);
    driver.Then([](wxDialog *) { return int(wxID_NONE); });
    driver.Then<GenChainsDialog>([](GenChainsDialog &gen) {
        Type(gen.GetStartField(), "10");
        Type(gen.GetEndField(), "50");
        Type(gen.GetSpacingField(), "10");
        return wxID_OK;
    });
    bool clicked = false;
    dialog.CallAfter([&] {
        wxUIActionSimulator mouse;
        wxWindow *generate = Child(&dialog, RoadSectionDialog::ID_BUTTON5);
        if (YieldUntil([&] { return generate->IsShownOnScreen(); })) {
            ClickOn(mouse, generate);
            if (YieldUntil([&] { return dialog.GetChainList()->GetItemCount() == 4; })) {
                clicked = true;
                ClickOn(mouse, Child(&dialog, wxID_OK));
            }
        }
        // Whatever happened, the modal loop must end.
        YieldUntil([&] { return !dialog.IsModal(); });
        if (dialog.IsModal())
            dialog.EndModal(wxID_ABORT);
    });
    EXPECT_EQ(wxID_OK, dialog.ShowModal());
    EXPECT_TRUE(clicked);
    EXPECT_EQ((Rows{{"1", "10.000", "0.000"}, {"2", "20.000", "0.000"}, {"3", "30.000", "0.000"},
                    {"4", "40.000", "0.000"}}),
              ListRows(dialog.GetChainList()));
}
