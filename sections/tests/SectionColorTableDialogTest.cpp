// The classification colour table dialog on its own: what it shows of a
// table and what it gives back.  Needs a display (Xvfb).
#include "CorvaneFrame.h"
#include "SectionColorTableDialog.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <wx/dcclient.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/modalhook.h>

#include <cstring>

namespace {

class ColourTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        table = ClassificationColorTable::Defaults();
        dialog = new SectionColorTableDialog(nullptr, wxID_ANY);
    }
    void TearDown() override
    {
        if (dialog)
            dialog->Destroy();
        PumpEventsFor(20);
    }

    void SendCheck(long row, bool checked)
    {
        wxListEvent event(checked ? wxEVT_LIST_ITEM_CHECKED : wxEVT_LIST_ITEM_UNCHECKED, dialog->GetList()->GetId());
        event.m_itemIndex = row;
        event.SetEventObject(dialog->GetList());
        dialog->GetList()->GetEventHandler()->ProcessEvent(event);
    }

    ClassificationColorTable table;
    SectionColorTableDialog *dialog = nullptr;
};

class AnswerEveryDialog : public wxModalDialogHook
{
public:
    explicit AnswerEveryDialog(int answer) : m_answer(answer) { Register(); }
    int shown = 0;

protected:
    int Enter(wxDialog *) override
    {
        ++shown;
        return m_answer;
    }
    void Exit(wxDialog *) override {}

private:
    int m_answer;
};

} // namespace

TEST_F(ColourTableTest, TheDefaultTableComesBackUnchangedAndTheHiddenCodesUntouched)
{
    EXPECT_EQ(18, dialog->GetList()->GetItemCount());
    EXPECT_EQ("Ground", dialog->GetList()->GetItemText(2, 1));
    dialog->SetColorTable(table.visible, table.colors);
    ClassificationColorTable back = table;
    for (int code = 18; code < 32; ++code) {
        back.visible[code] = 7;
        back.colors[code][0] = 0.25f;
    }
    dialog->GetColorTable(back.visible, back.colors);
    for (int code = 0; code < 18; ++code) {
        EXPECT_EQ(table.visible[code], back.visible[code]) << code;
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(table.colors[code][c], back.colors[code][c]) << code << " " << c;
    }
    for (int code = 18; code < 32; ++code) {
        EXPECT_EQ(7, back.visible[code]);
        EXPECT_EQ(0.25f, back.colors[code][0]);
    }
}

TEST_F(ColourTableTest, ChannelsAreTruncatedAndTheRowTextFollowsTheRedChannel)
{
    table.colors[0][0] = 0.5f;
    table.colors[1][0] = 0.0f;
    table.colors[1][1] = 0.0f;
    table.colors[1][2] = 1.0f;
    table.colors[3][0] = 1.0f;
    table.colors[3][1] = 0.0f;
    dialog->SetColorTable(table.visible, table.colors);
    EXPECT_EQ(127, SectionColorTableDialog::ChannelOf(0.5f));
    EXPECT_EQ(102, SectionColorTableDialog::ChannelOf(0.4f));
    EXPECT_EQ("#7FFFFF", dialog->GetList()->GetItemText(0, 2));
    wxListView *list = dialog->GetList();
    EXPECT_EQ(wxColour(200, 200, 200), list->GetItemTextColour(0));
    EXPECT_EQ(wxColour(200, 200, 200), list->GetItemTextColour(1));
    EXPECT_EQ(*wxBLACK, list->GetItemTextColour(3));
    EXPECT_EQ(wxColour(200, 200, 200), list->GetItemTextColour(6));
    ClassificationColorTable back = table;
    dialog->GetColorTable(back.visible, back.colors);
    EXPECT_EQ(127 / 255.0f, back.colors[0][0]);
}

TEST_F(ColourTableTest, TheCheckBoxesDecideWhichClassesAreShown)
{
    dialog->SetColorTable(table.visible, table.colors);
    EXPECT_TRUE(dialog->GetList()->IsItemChecked(2));
    EXPECT_FALSE(dialog->GetList()->IsItemChecked(7));
    SendCheck(2, false);
    SendCheck(9, true);
    ClassificationColorTable back = table;
    dialog->GetColorTable(back.visible, back.colors);
    EXPECT_EQ(0, back.visible[2]);
    EXPECT_EQ(1, back.visible[9]);
    EXPECT_EQ(1, back.visible[3]);
}

TEST_F(ColourTableTest, ACancelledColourChoiceLeavesTheRow)
{
    dialog->SetColorTable(table.visible, table.colors);
    AnswerEveryDialog cancel(wxID_CANCEL);
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, dialog->GetList()->GetId());
    event.m_itemIndex = 7;
    event.SetEventObject(dialog->GetList());
    dialog->GetList()->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(1, cancel.shown);
    ClassificationColorTable back = table;
    dialog->GetColorTable(back.visible, back.colors);
    EXPECT_EQ(0 == std::memcmp(table.colors[7], back.colors[7], sizeof table.colors[7]), true);
}

// The class column holds its check box and every code in full: codes 10 to
// 17 must not be cut to "1.".  The list draws a row's check box after 3
// pixels with 5 on either side, and keeps 8 pixels clear at the column's end.
TEST_F(ColourTableTest, TheClassColumnShowsEveryCodeWhole)
{
    wxListView *list = dialog->GetList();
    const int checkBox = wxRendererNative::Get().GetCheckBoxSize(list).GetWidth();
    wxClientDC dc(list);
    dc.SetFont(list->GetFont());
    for (long row = 0; row < list->GetItemCount(); ++row) {
        const wxString code = list->GetItemText(row, 0);
        EXPECT_LE(3 + checkBox + 10 + dc.GetTextExtent(code).GetWidth() + 8, list->GetColumnWidth(0)) << code;
    }
}
