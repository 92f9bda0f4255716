#include "form_parts.h"
#include "tesk_vumo/forms/i18n.h"

#include <wx/stattext.h>

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

wxSizer* create_viewport(wxWindow* owner, wxPanel*& image, wxScrollBar*& horizontal,
                         wxScrollBar*& vertical)
{
    image = new wxPanel(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS);
    // Every pixel comes from the widget's own buffer: no background erasing.
    image->SetBackgroundStyle(wxBG_STYLE_PAINT);
    horizontal = new wxScrollBar(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
    vertical = new wxScrollBar(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);

    auto* grid = new wxFlexGridSizer(2, 2, 0, 0);
    grid->AddGrowableCol(0);
    grid->AddGrowableRow(0);
    grid->Add(image, 1, wxEXPAND);
    grid->Add(vertical, 0, wxEXPAND);
    grid->Add(horizontal, 0, wxEXPAND);
    grid->AddSpacer(0);
    return grid;
}

void create_readouts(wxWindow* owner, wxSizer* sizer, wxTextCtrl*& x, wxTextCtrl*& y,
                     wxTextCtrl*& rgb, wxTextCtrl*& width, wxTextCtrl*& height)
{
    auto add = [&](const char* label, int chars) {
        sizer->Add(new wxStaticText(owner, wxID_ANY, i18n::tr(label)), 0,
                   wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
        auto* text = new wxTextCtrl(owner, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                    wxTE_READONLY);
        text->SetInitialSize(wxSize(text->GetCharWidth() * chars + 16, -1));
        sizer->Add(text, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
        return text;
    };
    x = add("X:", 6);
    y = add("Y:", 6);
    rgb = add("RGB:", 13);
    width = add("宽:", 6);
    height = add("高:", 6);
}

} // namespace tesk_vumo::form_parts
