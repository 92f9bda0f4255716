#include "form_parts.h"
#include "view_scroll_bar.h"
#include "../i18n/relabelling.h"
#include "tesk_vumo/i18n/i18n.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include <wx/artprov.h>

namespace tesk_vumo::form_parts {

wxArrayString zoom_mode_labels()
{
    wxArrayString labels;
    for (const char* text : {"适应页面", "适应宽度", "适应高度", "原始大小", "任意缩放"})
        labels.Add(i18n::tr(text));
    return labels;
}

wxArrayString rotation_labels()
{
    wxArrayString labels;
    for (const char* text : {"不旋转", "顺时针90°", "旋转180°", "逆时针90°", "任意角度"})
        labels.Add(i18n::tr(text));
    return labels;
}

void relabel_choice(wxChoice* choice, const wxArrayString& labels)
{
    for (unsigned i = 0; i < labels.size() && i < choice->GetCount(); ++i)
        choice->SetString(i, labels[i]);
    choice->InvalidateBestSize();
}

void relabel_view_controls(wxChoice* zoom_mode, wxChoice* angle, wxTextCtrl* zoom_rate, wxTextCtrl* angle_degree)
{
    relabel_choice(zoom_mode, zoom_mode_labels());
    relabel_choice(angle, rotation_labels());
    zoom_mode->SetToolTip(i18n::tr("图像的缩放方式"));
    angle->SetToolTip(i18n::tr("图像的旋转方向"));
    zoom_rate->SetToolTip(i18n::tr("缩放比例（%）"));
    angle_degree->SetToolTip(i18n::tr("旋转角度（度，顺时针）"));
}

wxSizer* create_viewport(wxWindow* owner, wxPanel*& image, wxScrollBar*& horizontal,
                         wxScrollBar*& vertical)
{
    image = new wxPanel(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS);
    horizontal = new ViewScrollBar(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
    vertical = new ViewScrollBar(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);

    auto* grid = new wxFlexGridSizer(2, 2, 0, 0);
    grid->AddGrowableCol(0);
    grid->AddGrowableRow(0);
    grid->Add(image, 1, wxEXPAND);
    grid->Add(vertical, 0, wxEXPAND);
    grid->Add(horizontal, 0, wxEXPAND);
    grid->AddSpacer(0);
    return grid;
}

OneRow::OneRow() : row_(new wxBoxSizer(wxHORIZONTAL)) {}

wxBoxSizer* OneRow::add_group(int drop_rank)
{
    auto* group = new wxBoxSizer(wxHORIZONTAL);
    row_->Add(group, 0, wxALIGN_CENTER_VERTICAL);
    groups_.push_back({group, drop_rank});
    return group;
}

bool OneRow::want(wxSizer* group, bool wanted)
{
    for (Group& each : groups_)
        if (each.sizer == group && each.wanted != wanted) {
            each.wanted = wanted;
            return true;
        }
    return false;
}

namespace {
// The size a group takes when shown, whether it is shown now or not.
wxSize group_size(wxSizer* group)
{
    wxSize size;
    for (wxSizerItem* item : group->GetChildren()) {
        item->CalcMin();
        const wxSize item_size = item->GetMinSizeWithBorder();
        size.x += item_size.x;
        size.y = std::max(size.y, item_size.y);
    }
    return size;
}
} // namespace

wxBoxSizer* OneRow::add_overflow_group()
{
    overflow_ = add_group(0);
    return overflow_;
}

bool OneRow::fit(int width, int max_height)
{
    std::vector<int> widths, ranks;
    int height = 0;
    std::size_t overflow = groups_.size();
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        const Group& group = groups_[i];
        const wxSize size = group.wanted ? group_size(group.sizer) : wxSize(0, 0);
        widths.push_back(size.x);
        ranks.push_back(group.drop_rank);
        height = std::max(height, size.y);
        if (group.sizer == overflow_)
            overflow = i;
    }
    // The overflow group takes room only once something has to go.
    const bool has_overflow = overflow < groups_.size();
    const int overflow_width = has_overflow ? std::exchange(widths[overflow], 0) : 0;
    std::vector<bool> shown = groups_that_fit(widths, ranks, width);
    auto dropped = [&](std::size_t i) { return i != overflow && groups_[i].wanted && !shown[i]; };
    bool overflowing = false;
    for (std::size_t i = 0; i < groups_.size(); ++i)
        overflowing = overflowing || dropped(i);
    if (has_overflow) {
        if (overflowing) {
            widths[overflow] = overflow_width;
            shown = groups_that_fit(widths, ranks, width);
        }
        shown[overflow] = overflowing;
    }
    for (std::size_t i = 0; i < groups_.size(); ++i)
        groups_[i].dropped = dropped(i);
    if (height > max_height)
        shown.assign(shown.size(), false);
    for (std::size_t i = 0; i < groups_.size(); ++i)
        shown[i] = shown[i] && groups_[i].wanted;
    bool changed = false;
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        wxSizer* group = groups_[i].sizer;
        const bool was_shown = !group->IsEmpty() && group->GetItem(std::size_t(0))->IsShown();
        if (was_shown != shown[i]) {
            group->ShowItems(shown[i]);
            changed = true;
        }
    }
    return changed;
}

bool OneRow::dropped(const wxSizer* group) const
{
    for (const Group& each : groups_)
        if (each.sizer == group)
            return each.dropped;
    return false;
}

std::vector<bool> groups_that_fit(const std::vector<int>& widths, const std::vector<int>& drop_ranks,
                                  int available)
{
    std::vector<bool> shown(widths.size(), true);
    int total = std::accumulate(widths.begin(), widths.end(), 0);
    while (total > available) {
        int drop = -1;
        for (int i = static_cast<int>(widths.size()) - 1; i >= 0; --i)
            if (shown[i] && drop_ranks[i] > 0 && (drop < 0 || drop_ranks[i] > drop_ranks[drop]))
                drop = i;
        if (drop < 0)
            break;
        shown[drop] = false;
        total -= widths[drop];
    }
    return shown;
}

void Readouts::create(wxWindow* owner, OneRow& row, int pointer_rank, int selection_rank)
{
    // The fields name themselves (hint while empty, tooltip always): labels
    // beside them would not leave the bar room for one row.
    auto add = [&](wxSizer* group, const char* widest, int gap) {
        auto* text = new wxTextCtrl(owner, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                    wxTE_READONLY | wxTE_CENTRE);
        text->SetInitialSize(wxSize(text->GetTextExtent(widest).x + 18, -1));
        group->Add(text, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
        return text;
    };
    wxSizer* pointer = pointer_group = row.add_group(pointer_rank);
    x = add(pointer, "0000", 2);
    y = add(pointer, "0000", 2);
    rgb = add(pointer, "255, 255, 255", 2);
    wxSizer* selection = selection_group = row.add_group(selection_rank);
    width = add(selection, "0000", 6);
    times = new wxStaticText(owner, wxID_ANY, wxString::FromUTF8("×"));
    selection->Add(times, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    height = add(selection, "0000", 2);
    relabel();
}

void relabel_levels_controls(wxTextCtrl* low, wxTextCtrl* high, wxButton* automatic)
{
    low->SetHint(i18n::tr("黑"));
    low->SetToolTip(i18n::tr("显示为黑色的值（色阶下限）"));
    high->SetHint(i18n::tr("白"));
    high->SetToolTip(i18n::tr("显示为白色的值（色阶上限）"));
    automatic->SetLabel(i18n::tr("自动"));
    automatic->SetToolTip(i18n::tr("自动色阶：8 位图像为 0–255，其他为源图像中有限值的最小值和最大值"));
}

void Readouts::relabel()
{
    const char* hints[] = {"X", "Y", "RGB", "宽", "高"};
    const char* tips[] = {"指针所在像素的列", "指针所在像素的行", "指针所在像素的颜色（红、绿、蓝）",
                          "选区的宽度（像素）", "选区的高度（像素）"};
    wxTextCtrl* fields[] = {x, y, rgb, width, height};
    for (int i = 0; i < 5; ++i) {
        fields[i]->SetHint(i18n::tr(hints[i]));
        fields[i]->SetToolTip(i18n::tr(tips[i]));
    }
    times->SetToolTip(i18n::tr("选区的大小（像素）"));
}

std::optional<double> typed_number(const wxString& text)
{
    wxString trimmed = text;
    trimmed.Trim(true).Trim(false);
    for (const wxString& unit : {wxString("%"), wxString::FromUTF8("°")})
        if (trimmed.EndsWith(unit, &trimmed))
            trimmed.Trim(true);
    double value = 0;
    if (trimmed.empty() || !trimmed.ToCDouble(&value))
        return std::nullopt;
    return value;
}

wxString number_text(double value)
{
    return wxString::FromCDouble(value);
}

wxBitmapButton* icon_button(wxWindow* owner, const wxString& art_id)
{
    return new wxBitmapButton(owner, wxID_ANY, wxArtProvider::GetBitmapBundle(art_id, wxART_BUTTON),
                              wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT | wxBORDER_NONE);
}

void remember_form(const void* form, std::function<void()> relabel)
{
    i18n::remember_relabelling(form, [relabel = std::move(relabel)] { run_guarded(relabel); });
}

void forget_form(const void* form)
{
    i18n::forget_relabelling(form);
}

} // namespace tesk_vumo::form_parts
