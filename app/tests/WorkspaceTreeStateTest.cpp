// The workspace tree keeps what the surveyor arranged in it when it is rebuilt
// after a change: collapsed groups stay collapsed, the selected row stays
// selected and the row on top stays on top, with a thousand sections.  Needs
// a display (run under Xvfb).
#include "FrameTestSupport.h"

#include "TreeData.h"
#include "lasgen.h"
#include "temp_dir.h"

#include <wx/dataview.h>
#include <wx/treelist.h>

using namespace frametest;

namespace {

class WorkspaceTreeStateTest : public FrameTest
{
protected:
    // A project with one road and `count` latitude sections along it.
    void MakeProject(int count)
    {
        lasgen::CorridorSpec spec;
        spec.length = 500.0;
        const std::string pm = dir.file("centre.pm");
        std::string error;
        ASSERT_TRUE(lasgen::write_centre_line(spec, pm, &error)) << error;
        ASSERT_NE(0, wks_create_project(g_workspace, 0, dir.file("tree.qpj").c_str()));
        wks_road_t *imported = wks_import_road(g_workspace, pm.c_str(), 0);
        ASSERT_NE(imported, nullptr);
        std::vector<double> rows;
        for (int i = 0; i < count; ++i)
            rows.insert(rows.end(), {10.0 + i * 0.4, 0.0});
        ASSERT_EQ(count, wks_generate_road_latitude_sections(g_workspace, imported, count, rows.data(), 1.0, 20.0));
        frame->UpdateWorkspaceTree();
        PumpWithIdleFor(200);
    }

    wxTreeListItem Group(int index) const
    {
        wxTreeListCtrl *tree = frame->GetWorkspaceTree();
        wxTreeListItem item = tree->GetFirstChild(tree->GetFirstChild(tree->GetRootItem()));
        for (int i = 0; i < index && item.IsOk(); ++i)
            item = tree->GetNextSibling(item);
        return item;
    }

    wxTreeListItem SectionRow(int index) const
    {
        wxTreeListCtrl *tree = frame->GetWorkspaceTree();
        wxTreeListItem item = tree->GetFirstChild(Group(2));
        for (int i = 0; i < index && item.IsOk(); ++i)
            item = tree->GetNextSibling(item);
        return item;
    }

    const section_t *SectionOf(wxTreeListItem item) const
    {
        auto *data = item.IsOk() ? dynamic_cast<TreeData *>(frame->GetWorkspaceTree()->GetItemData(item)) : nullptr;
        return data ? data->GetSection() : nullptr;
    }

    const section_t *TopSection() const
    {
        const wxDataViewItem top = frame->GetWorkspaceTree()->GetDataView()->GetTopItem();
        return SectionOf(wxTreeListItem(static_cast<wxTreeListModelNode *>(top.GetID())));
    }

    TempDir dir;
};

} // namespace

TEST_F(WorkspaceTreeStateTest, RebuildKeepsCollapsedGroupsSelectionAndTheRowOnTop)
{
    MakeProject(1000);
    wxTreeListCtrl *tree = frame->GetWorkspaceTree();
    // The surveyor folds the road group, picks section 600 and scrolls so
    // that it is on the screen.
    tree->Collapse(Group(1));
    const section_t *picked = SectionOf(SectionRow(600));
    ASSERT_NE(picked, nullptr);
    tree->Select(SectionRow(600));
    tree->EnsureVisible(SectionRow(600));
    PumpWithIdleFor(300);
    const section_t *top = TopSection();
    ASSERT_NE(top, nullptr);
    ASSERT_NE(top, SectionOf(SectionRow(0))) << "the tree did not scroll";

    frame->UpdateWorkspaceTree();
    PumpWithIdleFor(300);

    EXPECT_FALSE(tree->IsExpanded(Group(1)));
    EXPECT_TRUE(tree->IsExpanded(Group(2)));
    EXPECT_EQ(SectionOf(tree->GetSelection()), picked);
    EXPECT_EQ(TopSection(), top);

    // A group that was empty, and so could not be open, opens with its first
    // row.
    const double centre[3] = {0, 0, 0}, normal[3] = {1, 0, 0}, up[3] = {0, 0, 1}, range[2] = {-1, 1};
    ASSERT_NE(nullptr, wks_add_custom_section(g_workspace, "custom1", centre, normal, up, range, range));
    frame->UpdateWorkspaceTree();
    PumpWithIdleFor(100);
    EXPECT_TRUE(tree->IsExpanded(Group(4)));
    EXPECT_FALSE(tree->IsExpanded(Group(1)));
}
