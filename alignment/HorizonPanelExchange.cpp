// Chainage/offset and plane coordinate conversion, and ".pm" centre-line
// exchange, on the panel's road.
#include "HorizonPanel.h"

#include "AlignmentMessages.h"
#include "AngleText.h"
#include "HorizonElementReader.h"
#include "c_notation.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

namespace {

// The road library takes paths of at most this many bytes.
const size_t kPathBytes = 1024;

const char *kPmWildcard = "海地中线文件(*.pm)|*.pm|纬地中线文件(*.pm)|*.pm";

bool ReadOptional(const wxString &text, double *value)
{
    if (text.Strip(wxString::both).empty()) {
        *value = 0.0;
        return true;
    }
    return HorizonElementReader::ReadNumber(text, value);
}

} // namespace

void HorizonPanel::OnConvert(wxCommandEvent &)
{
    if (!HasRoad())
        return;
    const wxString mileageText = MileageText->GetValue();
    const wxString northText = NorthText->GetValue(), eastText = EastText->GetValue();
    // With fewer than two elements there is no centre line to measure on.
    if (road_number_horizon(m_road) < 2) {
        ShowInputError(wxString::FromUTF8("道路平曲线要素不足，无法换算！"));
        return;
    }
    if (!mileageText.empty()) {
        double chainage = 0, offset = 0;
        if (!HorizonElementReader::ReadNumber(mileageText, &chainage))
            return ShowInputError(wxString::FromUTF8("里程输入有误！"));
        if (!ReadOptional(OffsetText->GetValue(), &offset))
            return ShowInputError(wxString::FromUTF8("偏距输入有误！"));
        double x = 0, y = 0, azimuth = 0;
        road_lo2xy(m_road, chainage, offset, &x, &y, &azimuth);
        NorthText->SetValue(wxString(velmo::c_number_text(x, 4)));
        EastText->SetValue(wxString(velmo::c_number_text(y, 4)));
        DirectionText->SetValue(FormatAngleText(azimuth));
        return;
    }
    if (northText.empty() || eastText.empty())
        return;
    double x = 0, y = 0;
    if (!HorizonElementReader::ReadNumber(northText, &x) || !HorizonElementReader::ReadNumber(eastText, &y))
        return ShowInputError(wxString::FromUTF8("坐标输入有误！"));
    double chainage = 0, azimuth = 0, offset = 0;
    if (road_xy2l(m_road, x, y, &chainage, nullptr, nullptr, &azimuth, &offset) < 0)
        return ShowInputError(wxString::FromUTF8("坐标输入有误！"));
    MileageText->SetValue(wxString(velmo::c_number_text(chainage, 3)));
    OffsetText->SetValue(wxString(velmo::c_number_text(offset, 3)));
    DirectionText->SetValue(FormatAngleText(azimuth));
}

bool HorizonPanel::LocalPath(const wxString &path, wxCharBuffer *local)
{
    if (path.empty()) {
        ShowInputError(wxString::FromUTF8("没有选择文件！"));
        return false;
    }
    *local = path.fn_str();
    if (!local->data() || local->length() == 0) {
        ShowInputError(wxString::FromUTF8("文件路径无法转换为本地编码！"));
        return false;
    }
    if (local->length() >= kPathBytes) {
        ShowInputError(wxString::FromUTF8("文件路径过长！"));
        return false;
    }
    return true;
}

void HorizonPanel::OnImport(wxCommandEvent &)
{
    if (!HasRoad())
        return;
    wxFileDialog dialog(this, wxString::FromUTF8("请选择要导入的道路中线文件"), wxEmptyString, wxEmptyString,
                        wxString::FromUTF8(kPmWildcard), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK)
        ImportCentreLine(dialog.GetPath(), dialog.GetFilterIndex());
}

bool HorizonPanel::ImportCentreLine(const wxString &file, int kind)
{
    wxCharBuffer path;
    if (!HasRoad() || !LocalPath(file, &path))
        return false;
    int unknownLine = 0, unknownCode = 0;
    const int result = kind == 0 ? road_import_haidi(m_road, path.data())
                                 : road_import_weidi_report(m_road, path.data(), &unknownLine, &unknownCode);
    if (result != 0 && unknownLine > 0) {
        ShowInputError(wxString::Format(wxString::FromUTF8("导入失败：第 %d 行的线元代码 %d 不是已知的线元类型"
                                                           "（1 直线、3 圆曲线、21 和 22 缓和曲线），道路未改变！"),
                                        unknownLine, unknownCode));
        return false;
    }
    if (result != 0) {
        ShowInputError(wxString::FromUTF8("导入失败：文件无法读取或不是所选格式的中线文件，道路未改变！"));
        return false;
    }
    RefreshList();
    DrawPlan(true);
    wxMessageBox(wxString::FromUTF8("导入成功!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
    return true;
}

void HorizonPanel::OnExport(wxCommandEvent &)
{
    if (!HasRoad())
        return;
    wxString path;
    int kind = 0;
    if (AskSavePath(m_savePathAsker, this, wxString::FromUTF8("请选择要导出的道路中线文件路径"),
                    wxString::FromUTF8(kPmWildcard), &path, &kind))
        ExportCentreLine(path, kind);
}

bool HorizonPanel::ExportCentreLine(const wxString &file, int kind)
{
    wxCharBuffer path;
    if (!HasRoad() || !LocalPath(file, &path))
        return false;
    const int result = kind == 0 ? road_export_haidi(m_road, path.data()) : road_export_weidi(m_road, path.data());
    if (result != 0) {
        ShowInputError(wxString::FromUTF8("导出失败：道路没有起点或文件无法写入！"));
        return false;
    }
    wxMessageBox(wxString::FromUTF8("导出成功!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
    return true;
}
