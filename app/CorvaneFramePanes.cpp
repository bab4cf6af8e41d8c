// The look of the workspace tree and the property grid, and the handlers that
// keep the panes and the section tool window in step.
#include "CorvaneFrame.h"

#include "AppResources.h"
#include "EngineText.h"
#include "SceneObjects.h"
#include "StatusView.h"
#include "TreeData.h"
#include "c_notation.h"

#include <wx/dataview.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/propgrid/propgrid.h>
#include <wx/propgrid/props.h>

#include <algorithm>

namespace {

// In the order of the tree's image indices: sections not current without and
// with measurements, the current section without and with, and a spare.
const char *const TREE_ICONS[] = {"icons/unselected.png", "icons/selected.png", "icons/red_unselected.png",
                                  "icons/red_selected.png", "icons/disable.png"};

wxBitmap TreeBitmap(const char *file)
{
    const wxBitmap bitmap = AppLoadBitmap(file);
    if (bitmap.IsOk() && bitmap.GetWidth() == 16 && bitmap.GetHeight() == 16)
        return bitmap;
    if (bitmap.IsOk())
        return wxBitmap(bitmap.ConvertToImage().Rescale(16, 16, wxIMAGE_QUALITY_HIGH));
    // A missing icon keeps its slot, so that later indices stay right.
    wxImage blank(16, 16);
    blank.InitAlpha();
    std::fill(blank.GetAlpha(), blank.GetAlpha() + 16 * 16, static_cast<unsigned char>(0));
    return wxBitmap(blank);
}

} // namespace

void CorvaneFrame::InitWorkspaceTree()
{
    const wxColour background(64, 64, 64);
    const wxColour foreground(196, 196, 196);
    m_workspaceTree->SetBackgroundColour(background);
    m_workspaceTree->SetForegroundColour(foreground);
    // The rows are drawn by the inner view, which does not inherit colours.
    if (wxWindow *view = m_workspaceTree->GetDataView()) {
        view->SetBackgroundColour(background);
        view->SetForegroundColour(foreground);
    }
    m_workspaceTree->AppendColumn(_("Workspace"), wxCOL_WIDTH_AUTOSIZE, wxALIGN_LEFT, wxCOL_RESIZABLE);

    auto *images = new wxImageList(16, 16, true);
    for (const char *file : TREE_ICONS)
        images->Add(TreeBitmap(file));
    m_workspaceTree->AssignImageList(images);

    m_workspaceTree->Bind(wxEVT_TREELIST_ITEM_CHECKED, &CorvaneFrame::OnTreeItemChecked, this);
    m_workspaceTree->Bind(wxEVT_TREELIST_SELECTION_CHANGED, &CorvaneFrame::OnTreeSelectionChanged, this);
    m_workspaceTree->Bind(wxEVT_TREELIST_ITEM_CONTEXT_MENU, &CorvaneFrame::OnTreeContextMenu, this);
}

void CorvaneFrame::InitPropertyGrid()
{
    m_propertyGrid->SetForegroundColour(wxColour(192, 192, 192));
    m_propertyGrid->SetBackgroundColour(wxColour(64, 64, 64));
    m_propertyGrid->SetEmptySpaceColour(wxColour(64, 64, 64));
    m_propertyGrid->SetCaptionBackgroundColour(wxColour(48, 48, 48));
    m_propertyGrid->SetCaptionTextColour(wxColour(208, 208, 208));
    m_propertyGrid->SetCellBackgroundColour(wxColour(64, 64, 64));
    m_propertyGrid->SetCellTextColour(wxColour(192, 192, 192));
    m_propertyGrid->SetSelectionBackgroundColour(wxColour(96, 96, 96));
    m_propertyGrid->SetSelectionTextColour(wxColour(160, 160, 160));
    // Labels take a third of the width, values two thirds.
    m_propertyGrid->SetColumnProportion(0, 1);
    m_propertyGrid->SetColumnProportion(1, 2);
}

// ---- Workspace tree ------------------------------------------------------------------

namespace {

// Image indices of a section item: +2 for the current section, +1 with
// measurements.
const int ICON_SECTION = 0;
const int ICON_MEASURED = 1;
const int ICON_CURRENT = 2;

template <typename T>
std::vector<T *> ItemsOf(Array *list)
{
    std::vector<T *> items;
    const size_t count = list ? array_size(list) : 0;
    for (size_t i = 0; i < count; ++i) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK && item)
            items.push_back(static_cast<T *>(item));
    }
    return items;
}

// Paths are UTF-8; the tree shows the file name only.
wxString FileNameOf(const char *path)
{
    return wxFileName(wxString::FromUTF8(path)).GetFullName();
}

int SectionIcon(const section_t *section, const section_t *current)
{
    const bool measured = section->measurements && array_size(section->measurements) > 0;
    return (section == current ? ICON_CURRENT : ICON_SECTION) + (measured ? ICON_MEASURED : 0);
}

std::vector<wxTreeListItem> ChildrenOf(const wxTreeListCtrl *tree, wxTreeListItem parent)
{
    std::vector<wxTreeListItem> children;
    auto *self = const_cast<wxTreeListCtrl *>(tree);
    for (wxTreeListItem child = self->GetFirstChild(parent); child.IsOk(); child = self->GetNextSibling(child))
        children.push_back(child);
    return children;
}

// Rows in the order they are drawn: children only under expanded rows.
std::vector<wxTreeListItem> VisibleRows(const wxTreeListCtrl *tree)
{
    std::vector<wxTreeListItem> rows;
    auto *self = const_cast<wxTreeListCtrl *>(tree);
    std::vector<wxTreeListItem> pending = ChildrenOf(tree, self->GetRootItem());
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
        const wxTreeListItem row = pending.back();
        pending.pop_back();
        rows.push_back(row);
        if (!self->IsExpanded(row))
            continue;
        std::vector<wxTreeListItem> children = ChildrenOf(tree, row);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return rows;
}

// What the surveyor arranged in the tree, kept across a rebuild.  Rows are
// known by their object, group rows by their place under the project.
class TreeViewState
{
public:
    explicit TreeViewState(wxTreeListCtrl *tree) : m_tree(tree)
    {
        const wxTreeListItem project = tree->GetFirstChild(tree->GetRootItem());
        if (!project.IsOk())
            return;
        m_known = true;
        m_projectExpanded = tree->IsExpanded(project);
        // A group without rows cannot be expanded; it opens with its first.
        for (wxTreeListItem group : ChildrenOf(tree, project))
            m_groupsExpanded.push_back(tree->IsExpanded(group) || !tree->GetFirstChild(group).IsOk());
        m_selected = KeyOf(tree->GetSelection());
        const wxDataViewItem top = tree->GetDataView()->GetTopItem();
        m_top = top.IsOk() ? KeyOf(wxTreeListItem(static_cast<wxTreeListModelNode *>(top.GetID()))) : nullptr;
    }

    bool IsGroupExpanded(size_t group) const
    {
        return !m_known || group >= m_groupsExpanded.size() || m_groupsExpanded[group];
    }
    bool IsProjectExpanded() const { return !m_known || m_projectExpanded; }

    // Selects the row selected before and scrolls the row that was on top
    // back to the top, as far as the rows below it allow.
    void Restore() const
    {
        const std::vector<wxTreeListItem> rows = VisibleRows(m_tree);
        for (size_t i = 0; i < rows.size(); ++i) {
            const void *key = KeyOf(rows[i]);
            if (key && key == m_selected)
                m_tree->Select(rows[i]);
            if (!key || key != m_top || i == 0)
                continue;
            // The rebuilt tree starts at its top; scrolled as little as
            // needed to show the row a page further down, this row ends on
            // top.
            const int perPage = std::max(1, m_tree->GetDataView()->GetCountPerPage());
            m_tree->EnsureVisible(rows[std::min(rows.size() - 1, i + size_t(perPage) - 1)]);
        }
    }

private:
    const void *KeyOf(wxTreeListItem item) const
    {
        if (!item.IsOk())
            return nullptr;
        if (auto *data = dynamic_cast<TreeData *>(m_tree->GetItemData(item))) {
            if (data->GetCloud())
                return data->GetCloud();
            if (data->GetRoad())
                return data->GetRoad();
            return data->GetSection();
        }
        const wxTreeListItem project = m_tree->GetFirstChild(m_tree->GetRootItem());
        if (item == project)
            return &GROUP_KEYS[0];
        const std::vector<wxTreeListItem> groups = ChildrenOf(m_tree, project);
        const auto found = std::find(groups.begin(), groups.end(), item);
        return found == groups.end() || found - groups.begin() >= 5 ? nullptr : &GROUP_KEYS[1 + (found - groups.begin())];
    }

    // Stand-ins for the project row and the five group rows.
    static const char GROUP_KEYS[6];

    wxTreeListCtrl *m_tree;
    bool m_known = false;
    bool m_projectExpanded = true;
    std::vector<bool> m_groupsExpanded;
    const void *m_selected = nullptr;
    const void *m_top = nullptr;
};

const char TreeViewState::GROUP_KEYS[6] = {};

} // namespace

class CorvaneFrame::TreeEventScope
{
public:
    explicit TreeEventScope(CorvaneFrame *frame) : m_frame(frame) { ++frame->m_treeEvents; }
    ~TreeEventScope()
    {
        if (--m_frame->m_treeEvents > 0 || !m_frame->m_treeRebuildWaits)
            return;
        CorvaneFrame *frame = m_frame;
        frame->CallAfter([frame] {
            if (frame->m_treeRebuildWaits)
                frame->UpdateWorkspaceTree();
        });
    }

private:
    CorvaneFrame *m_frame;
};

void CorvaneFrame::UpdateWorkspaceTree()
{
    if (m_treeEvents > 0) {
        m_treeRebuildWaits = true;
        return;
    }
    m_treeRebuildWaits = false;
    wxTreeListCtrl *tree = m_workspaceTree;
    // The tree scrolls to an item only at its next idle time; a request
    // still waiting then would name an item deleted here.
    tree->GetDataView()->OnInternalIdle();
    const TreeViewState state(tree);
    tree->DeleteAllItems();
    wxTreeListItem project = tree->AppendItem(tree->GetRootItem(), _("Project"));
    if (g_workspace && g_workspace->project)
        tree->SetItemText(project, EngineText::Name(g_workspace->project->name));

    wxTreeListItem clouds = tree->AppendItem(project, _("Point cloud"));
    wxTreeListItem roads = tree->AppendItem(project, _("Road"));
    wxTreeListItem sectionGroups[] = {tree->AppendItem(project, _("Latitude section")),
                                      tree->AppendItem(project, _("Longitude section")),
                                      tree->AppendItem(project, _("Custom section"))};
    if (g_workspace) {
        for (velmo_t *cloud : ItemsOf<velmo_t>(g_workspace->clouds))
            tree->AppendItem(clouds, FileNameOf(cloud->path), wxTreeListCtrl::NO_IMAGE, wxTreeListCtrl::NO_IMAGE,
                             new TreeData(cloud));
        for (wks_road_t *road : ItemsOf<wks_road_t>(g_workspace->roads))
            tree->AppendItem(roads, FileNameOf(road->path), wxTreeListCtrl::NO_IMAGE, wxTreeListCtrl::NO_IMAGE,
                             new TreeData(road));
        Array *sectionLists[] = {g_workspace->latitude_sections, g_workspace->longitude_sections,
                                 g_workspace->custom_sections};
        for (int g = 0; g < 3; ++g) {
            // Appending walks every earlier sibling in the toolkit's native
            // model, which makes thousands of sections take seconds;
            // prepending backwards gives the same order at once.
            const std::vector<section_t *> sections = ItemsOf<section_t>(sectionLists[g]);
            for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
                const int icon = SectionIcon(*it, m_currentSection);
                tree->PrependItem(sectionGroups[g], EngineText::Name((*it)->name), icon, icon, new TreeData(*it));
            }
        }
    }
    const wxTreeListItem groups[] = {clouds, roads, sectionGroups[0], sectionGroups[1], sectionGroups[2]};
    for (size_t g = 0; g < 5; ++g)
        if (state.IsGroupExpanded(g))
            tree->Expand(groups[g]);
    if (state.IsProjectExpanded())
        tree->Expand(project);
    RefreshTreeChecks();
    state.Restore();
}

// Each box tells whether its object is in the view; a group is ticked while
// all of its objects are.
void CorvaneFrame::RefreshTreeChecks()
{
    wxTreeListCtrl *tree = m_workspaceTree;
    const wxTreeListItem project = tree->GetFirstChild(tree->GetRootItem());
    if (!project.IsOk())
        return;
    bool allShown = true;
    for (wxTreeListItem group : ChildrenOf(tree, project)) {
        bool groupShown = true;
        for (wxTreeListItem item : ChildrenOf(tree, group)) {
            const bool shown = IsShownInView(TreeDataOf(item));
            tree->CheckItem(item, shown ? wxCHK_CHECKED : wxCHK_UNCHECKED);
            groupShown = groupShown && shown;
        }
        tree->CheckItem(group, groupShown ? wxCHK_CHECKED : wxCHK_UNCHECKED);
        allShown = allShown && groupShown;
    }
    tree->CheckItem(project, allShown ? wxCHK_CHECKED : wxCHK_UNCHECKED);
}

bool CorvaneFrame::IsCloudMissing(const velmo_t *cloud)
{
    const bool noTiles = !cloud->tiles || treetable_size(cloud->tiles) == 0;
    return noTiles && !wxFileName::FileExists(wxString::FromUTF8(cloud->path));
}

void CorvaneFrame::ShowCloudMessages()
{
    if (!g_workspace)
        return;
    // Runs on every idle event: a look at each cloud, nothing allocated.
    Array *clouds = g_workspace->clouds;
    for (size_t i = 0; clouds && i < array_size(clouds); ++i) {
        void *item = nullptr;
        if (array_get_at(clouds, i, &item) != CC_OK || !item)
            continue;
        const velmo_t *cloud = static_cast<const velmo_t *>(item);
        const char *text = velmo_last_message(cloud);
        const char *&taken = m_cloudMessages[cloud];
        if (text == taken)
            continue;
        taken = text;
        const wxString message = wxString::FromUTF8(text);
        // Shown after the idle event: a message box inside it would run
        // the next ones.
        if (!message.empty() && NoteShownMessage(message))
            CallAfter([this, message] { ReportFailure(message); });
    }
}

bool CorvaneFrame::NoteShownMessage(const wxString &message)
{
    return m_shownMessages.insert(message).second;
}

void CorvaneFrame::WarnOfMissingClouds()
{
    wxString list;
    if (g_workspace)
        for (velmo_t *cloud : ItemsOf<velmo_t>(g_workspace->clouds))
            if (IsCloudMissing(cloud))
                list += "\n" + wxString::FromUTF8(cloud->path);
    if (list.empty())
        return;
    const wxString message =
        _("These point clouds have neither their LAS file nor their tile store and show no points:") + list;
    m_statusView->ShowMessage(_("Some point clouds of the project are missing."));
    wxMessageBox(message, _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}

bool CorvaneFrame::IsShownInView(const TreeData *data)
{
    if (!data)
        return false;
    if (data->GetCloud())
        return SceneTableContains(CloudTable, data->GetCloud());
    if (data->GetRoad())
        return SceneTableContains(RoadTable, data->GetRoad());
    return SceneTableContains(SectionTable, data->GetSection());
}

void CorvaneFrame::RefreshSectionIcons()
{
    wxTreeListItem project = m_workspaceTree->GetFirstChild(m_workspaceTree->GetRootItem());
    if (!project.IsOk() || !g_workspace)
        return;
    const std::vector<wxTreeListItem> groups = ChildrenOf(m_workspaceTree, project);
    Array *sectionLists[] = {g_workspace->latitude_sections, g_workspace->longitude_sections,
                             g_workspace->custom_sections};
    for (size_t g = 0; g < 3 && g + 2 < groups.size(); ++g) {
        const std::vector<wxTreeListItem> items = ChildrenOf(m_workspaceTree, groups[g + 2]);
        const std::vector<section_t *> sections = ItemsOf<section_t>(sectionLists[g]);
        for (size_t i = 0; i < items.size() && i < sections.size(); ++i) {
            const int icon = SectionIcon(sections[i], m_currentSection);
            m_workspaceTree->SetItemImage(items[i], icon, icon);
            if (sections[i] == m_currentSection)
                m_workspaceTree->EnsureVisible(items[i]);
        }
    }
}

TreeData *CorvaneFrame::TreeDataOf(wxTreeListItem item) const
{
    if (!item.IsOk())
        return nullptr;
    return dynamic_cast<TreeData *>(m_workspaceTree->GetItemData(item));
}

wxTreeListItem CorvaneFrame::FindTreeItem(const velmo_t *cloud) const
{
    for (wxTreeListItem item = m_workspaceTree->GetFirstItem(); item.IsOk();
         item = m_workspaceTree->GetNextItem(item)) {
        const TreeData *data = TreeDataOf(item);
        if (data && data->GetCloud() == cloud)
            return item;
    }
    return wxTreeListItem();
}

void CorvaneFrame::OnTreeItemChecked(wxTreeListEvent &event)
{
    ApplyTreeItemCheck(event.GetItem());
}

void CorvaneFrame::ApplyTreeItemCheck(wxTreeListItem item)
{
    const TreeEventScope scope(this);
    const TreeData *data = TreeDataOf(item);
    if (!data)
        return;
    // A task may be opening, importing or replacing the very object; the box
    // goes back to what the view shows before the refusal is said.
    if (m_runningTask) {
        RefreshTreeChecks();
        RefuseWhileBusy();
        return;
    }
    const bool show = m_workspaceTree->GetCheckedState(item) == wxCHK_CHECKED;
    if (velmo_t *cloud = data->GetCloud()) {
        if (show)
            SceneShowCloud(cloud, m_modelColorMode);
        else
            SceneHideCloud(cloud);
    } else if (wks_road_t *road = data->GetRoad()) {
        if (show)
            SceneShowRoad(road);
        else
            SceneHideRoad(road);
    } else if (section_t *section = data->GetSection()) {
        if (show)
            SceneShowSection(section);
        else
            SceneHideSection(section);
    }
}

void CorvaneFrame::OnTreeSelectionChanged(wxTreeListEvent &event)
{
    ShowTreeItemProperties(event.GetItem());
}

void CorvaneFrame::ShowTreeItemProperties(wxTreeListItem item)
{
    const TreeEventScope scope(this);
    const TreeData *data = TreeDataOf(item);
    if (!data)
        return;
    // The values are read once the task has left the object alone; until
    // then the grid shows none rather than another row's.
    if (m_runningTask) {
        m_propertyGrid->Clear();
        m_selectionWaits = true;
    }
    if (!RefuseWhileBusy())
        ShowProperties(data->GetCloud(), data->GetRoad(), data->GetSection());
}

void CorvaneFrame::ShowWaitingSelection()
{
    if (!m_selectionWaits || m_runningTask)
        return;
    m_selectionWaits = false;
    ShowTreeItemProperties(m_workspaceTree->GetSelection());
}

void CorvaneFrame::OnTreeContextMenu(wxTreeListEvent &event)
{
    ShowTreeItemMenu(event.GetItem());
}

void CorvaneFrame::ShowTreeItemMenu(wxTreeListItem item)
{
    const TreeEventScope scope(this);
    const TreeData *data = TreeDataOf(item);
    // The commands change the workspace, which a running task may be using.
    if (!data || RefuseWhileBusy())
        return;
    if (data->GetCloud()) {
        m_menuCloud = data->GetCloud();
        wxMenu menu(_("Velmo"));
        menu.Append(ID_MENU_DELETE_CLOUD, _("Delete"));
        PopupTreeMenu(menu);
    } else if (data->GetRoad()) {
        m_menuRoad = data->GetRoad();
        wxMenu menu(_("Road"));
        menu.Append(ID_MENU_DELETE_ROAD, _("Delete"));
        PopupTreeMenu(menu);
    } else if (section_t *section = data->GetSection()) {
        m_menuSection = section;
        wxMenu menu(_("Section"));
        menu.Append(ID_MENU_MEASURE_SECTION, _("Measure"));
        if (section->measurements && array_size(section->measurements) > 0)
            menu.Append(ID_MENU_CLEAR_MEASURES, _("Clear"));
        menu.Append(ID_MENU_DELETE_SECTION, _("Delete"));
        PopupTreeMenu(menu);
    }
}

void CorvaneFrame::PopupTreeMenu(wxMenu &menu)
{
    if (m_menuPopup)
        m_menuPopup(menu);
    else
        PopupMenu(&menu);
}

void CorvaneFrame::SetMenuPopup(std::function<void(wxMenu &)> popup)
{
    m_menuPopup = std::move(popup);
}

// ---- Property grid -------------------------------------------------------------------

namespace {

wxString Fixed(double value, int decimals)
{
    return wxString(velmo::c_number_text(value, decimals));
}

void AppendRow(wxPropertyGrid *grid, const wxString &label, const wxString &value)
{
    grid->Append(new wxStringProperty(label, wxPG_LABEL, value));
}

void AppendChild(wxPropertyGrid *grid, wxPGProperty *category, const wxString &label, const wxString &name,
                 const wxString &value)
{
    grid->AppendIn(category, new wxStringProperty(label, name, value));
}

void ShowCloudRows(wxPropertyGrid *grid, velmo_t *cloud)
{
    grid->Append(new wxPropertyCategory(_("Point cloud"), wxPG_LABEL));
    const bool missing = CorvaneFrame::IsCloudMissing(cloud);
    AppendRow(grid, _("Point num"), wxString::Format("%d", missing ? 0 : velmo_get_point_num(cloud)));
    if (missing)
        AppendRow(grid, _("Source"), _("missing"));
    grid->Append(new wxPropertyCategory(_("Bounding box"), wxPG_LABEL));
    const wxString labels[6] = {_("Min X"), _("Min Y"), _("Min Z"), _("Max X"), _("Max Y"), _("Max Z")};
    for (int i = 0; i < 6; ++i)
        AppendRow(grid, labels[i], Fixed(cloud->box[i], 3));
}

void ShowRoadRows(wxPropertyGrid *grid, wks_road_t *road)
{
    grid->Append(new wxPropertyCategory(_("Road line"), wxPG_LABEL));
    const int count = road_number_horizon(&road->road);
    AppendRow(grid, _("Element num"), wxString::Format("%d", count));
    if (count < 2)
        return;
    const horizon_element_t *first = road_horizon(&road->road, 0);
    const horizon_element_t *last = road_horizon(&road->road, count - 1);
    if (!first || !last)
        return;
    wxPGProperty *start = grid->Append(new wxPropertyCategory(_("Start point"), wxPG_LABEL));
    AppendChild(grid, start, _("Chainge"), "start_chain", Fixed(first->start_chainage, 3));
    AppendChild(grid, start, _("X"), "start_x", Fixed(first->start_x, 3));
    AppendChild(grid, start, _("Y"), "start_y", Fixed(first->start_y, 3));
    wxPGProperty *end = grid->Append(new wxPropertyCategory(_("End point"), wxPG_LABEL));
    AppendChild(grid, end, _("Chainge"), "end_chain", Fixed(last->start_chainage + last->length, 3));
    AppendChild(grid, end, _("X"), "end_x", Fixed(last->end_x, 3));
    AppendChild(grid, end, _("Y"), "end_y", Fixed(last->end_y, 3));
}

void ShowSectionRows(wxPropertyGrid *grid, section_t *section)
{
    grid->Append(new wxPropertyCategory(_("Section"), wxPG_LABEL));
    AppendRow(grid, _("Name"), EngineText::Name(section->name));
    // A section just made current may be loading its points.
    const Array *published = ScenePublishedPoints(section);
    const int points = published ? int(array_size(published)) : 0;
    AppendRow(grid, _("Point num"), wxString::Format("%d", points));
    AppendRow(grid, _("Thickness"), Fixed(section->normal_range[1] - section->normal_range[0], 2));
    AppendRow(grid, _("Width"), Fixed(section->width_range[1] - section->width_range[0], 2));
    if (section->type != SECTION_LATITUDE && section->type != SECTION_CUSTOM)
        return;
    const char *names[2][3] = {{"cx", "cy", "cz"}, {"nx", "ny", "nz"}};
    const double *values[2] = {section->center, section->normal};
    const wxString titles[2] = {_("Center"), _("Normal")};
    const wxString axes[3] = {_("X"), _("Y"), _("Z")};
    for (int c = 0; c < 2; ++c) {
        wxPGProperty *category = grid->Append(new wxPropertyCategory(titles[c], wxPG_LABEL));
        for (int i = 0; i < 3; ++i)
            AppendChild(grid, category, axes[i], names[c][i], Fixed(values[c][i], 3));
    }
}

} // namespace

void CorvaneFrame::ShowProperties(velmo_t *cloud, wks_road_t *road, section_t *section)
{
    m_propertyGrid->Clear();
    if (cloud)
        ShowCloudRows(m_propertyGrid, cloud);
    else if (road)
        ShowRoadRows(m_propertyGrid, road);
    else if (section)
        ShowSectionRows(m_propertyGrid, section);
    m_propertyGrid->ResetColumnSizes(true);
}
