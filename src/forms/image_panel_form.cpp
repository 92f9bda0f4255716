#include "tesk_vumo/forms/image_panel_form.h"

#include "form_parts.h"
#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/i18n/i18n.h"

#include <wx/artprov.h>
#include <wx/sizer.h>

#include <functional>
#include <vector>

namespace tesk_vumo {

struct ImagePanelForm::Parts
{
    form_parts::OneRow row;
    form_parts::Readouts readouts;
    std::vector<wxSizer*> free_inputs; // the rate's group, then the angle's
    wxSizer* choices = nullptr;
    wxSizer* lines = nullptr;
    wxSizer* levels = nullptr;
    wxSizer* undock = nullptr;
    wxSizer* clipboard = nullptr;
};

namespace {
// Picks @p item as the user would in the control: the selection first,
// then the control's own event to whatever handles it.
void pick(wxChoice* choice, int item)
{
    choice->SetSelection(item);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetEventObject(choice);
    event.SetInt(item);
    event.SetString(choice->GetString(item));
    choice->ProcessWindowEvent(event);
}

void click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

void switch_to(wxCheckBox* box, bool checked)
{
    box->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(checked);
    box->ProcessWindowEvent(event);
}

wxString shown_value(const wxTextCtrl* readout)
{
    return readout->IsEmpty() ? wxString("-") : readout->GetValue();
}
} // namespace

ImagePanelForm::ImagePanelForm(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                               const wxString& name)
    : wxPanel(parent, id, pos, size, style, name), parts_(new Parts)
{
    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(form_parts::create_viewport(this, ui_image, ui_scroll_bar_horizontal, ui_scroll_bar_vertical),
              1, wxEXPAND);

    ui_panel_assist = new wxPanel(this);
    form_parts::OneRow& row = parts_->row;
    wxSizer* choices = parts_->choices = row.add_group(2);
    ui_zoom_mode = new wxChoice(ui_panel_assist, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                form_parts::zoom_mode_labels());
    ui_zoom_mode->SetSelection(0);
    ui_angle = new wxChoice(ui_panel_assist, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            form_parts::rotation_labels());
    ui_angle->SetSelection(0);
    choices->Add(ui_zoom_mode, 0, wxALIGN_CENTER_VERTICAL);
    choices->Add(ui_angle, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    // The inputs of the free zoom and angle come after the choices, only
    // while item 4 is chosen, and go before them where room is short.
    auto free_input = [&](wxTextCtrl*& input, const char* widest) {
        parts_->free_inputs.push_back(row.add_group(2));
        input = new wxTextCtrl(ui_panel_assist, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxTE_PROCESS_ENTER | wxTE_RIGHT);
        input->SetInitialSize(wxSize(input->GetTextExtent(widest).x + 18, -1));
        parts_->free_inputs.back()->Add(input, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
        row.want(parts_->free_inputs.back(), false);
    };
    free_input(ui_zoom_rate, "6400.00");
    free_input(ui_angle_degree, "-360.00");

    wxSizer* lines = parts_->lines = row.add_group(3);
    ui_checkbox_middle_lines = new wxCheckBox(ui_panel_assist, wxID_ANY, wxEmptyString);
    ui_checkbox_follow_lines = new wxCheckBox(ui_panel_assist, wxID_ANY, wxEmptyString);
    lines->Add(ui_checkbox_middle_lines, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    lines->Add(ui_checkbox_follow_lines, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);

    // After the guide lines, so dropped before them.
    wxSizer* levels = parts_->levels = row.add_group(3);
    for (wxTextCtrl** input : {&ui_levels_low, &ui_levels_high}) {
        *input = new wxTextCtrl(ui_panel_assist, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxTE_PROCESS_ENTER | wxTE_RIGHT);
        (*input)->SetInitialSize(wxSize((*input)->GetTextExtent("-65535.0").x + 18, -1));
        levels->Add(*input, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    }
    ui_levels_auto = new wxButton(ui_panel_assist, wxID_ANY, "-", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    levels->Add(ui_levels_auto, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    row.want(levels, false);

    parts_->readouts.create(ui_panel_assist, row, 4, 5);
    ui_x = parts_->readouts.x;
    ui_y = parts_->readouts.y;
    ui_rgb = parts_->readouts.rgb;
    ui_width = parts_->readouts.width;
    ui_height = parts_->readouts.height;

    row.add_stretch();
    wxSizer* commands = row.add_group(0);
    ui_button_load = form_parts::icon_button(ui_panel_assist, wxART_FILE_OPEN);
    ui_button_save = form_parts::icon_button(ui_panel_assist, wxART_FILE_SAVE);
    ui_button_close_assist = form_parts::icon_button(ui_panel_assist, wxART_GO_UP);
    commands->Add(ui_button_load, 0, wxALIGN_CENTER_VERTICAL);
    commands->Add(ui_button_save, 0, wxALIGN_CENTER_VERTICAL);
    // Copy and paste have their keys too: they give way first.
    parts_->clipboard = row.add_group(7);
    ui_button_copy = form_parts::icon_button(ui_panel_assist, wxART_COPY);
    ui_button_paste = form_parts::icon_button(ui_panel_assist, wxART_PASTE);
    parts_->clipboard->Add(ui_button_copy, 0, wxALIGN_CENTER_VERTICAL);
    parts_->clipboard->Add(ui_button_paste, 0, wxALIGN_CENTER_VERTICAL);
    // Undocking goes to the overflow menu first: the drop-down button takes
    // its place, which keeps the read-outs in a 640 pixel bar.
    parts_->undock = row.add_group(6);
    parts_->undock->Add(ui_button_close_assist, 0, wxALIGN_CENTER_VERTICAL);
#ifdef __WXGTK__
    // What GTK's own header bars show for "more"; the icon theme has it.
    ui_button_overflow = form_parts::icon_button(ui_panel_assist, "view-more-symbolic");
#else
    ui_button_overflow = form_parts::icon_button(ui_panel_assist, wxART_GO_DOWN);
#endif
    // As wide as the other buttons, whose icons the theme may give above the size hint.
    ui_button_overflow->SetMinSize(wxSize(ui_button_load->GetBestSize().x, -1));
    row.add_overflow_group()->Add(ui_button_overflow, 0, wxALIGN_CENTER_VERTICAL);

    auto* bar = new wxBoxSizer(wxVERTICAL);
    bar->Add(row.sizer(), 0, wxEXPAND | wxTOP | wxBOTTOM, 2);
    ui_panel_assist->SetSizer(bar);
    main->Add(ui_panel_assist, 0, wxEXPAND);
    SetSizer(main);
    relabel();
    form_parts::remember_form(this, [this] { relabel(); });

    ui_zoom_mode->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelForm::on_change_zoom_mode, "on_change_zoom_mode"));
    ui_angle->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelForm::on_change_rotation, "on_change_rotation"));
    form_parts::route_text_input(ui_zoom_rate, guarded(this, &ImagePanelForm::on_change_zoom_rate, "on_change_zoom_rate"));
    form_parts::route_text_input(ui_angle_degree,
                                 guarded(this, &ImagePanelForm::on_change_angle_degree, "on_change_angle_degree"));
    form_parts::route_text_input(ui_levels_low, guarded(this, &ImagePanelForm::on_change_levels, "on_change_levels"),
                                 ui_levels_high);
    form_parts::route_text_input(ui_levels_high, guarded(this, &ImagePanelForm::on_change_levels, "on_change_levels"),
                                 ui_levels_low);
    ui_levels_auto->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_auto_levels, "on_auto_levels"));
    ui_checkbox_middle_lines->Bind(wxEVT_CHECKBOX, guarded(this, &ImagePanelForm::on_show_middle_lines, "on_show_middle_lines"));
    ui_checkbox_follow_lines->Bind(wxEVT_CHECKBOX, guarded(this, &ImagePanelForm::on_show_following_lines, "on_show_following_lines"));
    ui_button_load->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_load_image, "on_load_image"));
    ui_button_save->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_save_image, "on_save_image"));
    ui_button_copy->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_copy_image, "on_copy_image"));
    ui_button_paste->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_paste_image, "on_paste_image"));
    ui_button_close_assist->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_close_assist_bar, "on_close_assist_bar"));
    ui_button_overflow->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_show_overflow_menu, "on_show_overflow_menu"));
    form_parts::route_viewport_mouse(this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        fit_bar();
        event.Skip();
    });
}

ImagePanelForm::~ImagePanelForm()
{
    form_parts::forget_form(this);
}

void ImagePanelForm::relabel()
{
    form_parts::relabel_view_controls(ui_zoom_mode, ui_angle, ui_zoom_rate, ui_angle_degree);
    ui_checkbox_middle_lines->SetLabel(i18n::tr("中心线"));
    ui_checkbox_middle_lines->SetToolTip(i18n::tr("显示穿过图像中心的虚线"));
    ui_checkbox_follow_lines->SetLabel(i18n::tr("跟随线"));
    ui_checkbox_follow_lines->SetToolTip(i18n::tr("显示跟随指针的虚线"));
    form_parts::relabel_levels_controls(ui_levels_low, ui_levels_high, ui_levels_auto);
    parts_->readouts.relabel();
    ui_button_load->SetToolTip(i18n::tr("加载图片文件"));
    ui_button_save->SetToolTip(i18n::tr("把显示的图像（或选区）保存到文件"));
    ui_button_copy->SetToolTip(i18n::tr("把选区（或显示的图像）复制到剪贴板"));
    ui_button_paste->SetToolTip(i18n::tr("显示剪贴板中的图像"));
    ui_button_close_assist->SetToolTip(i18n::tr("在单独的窗口中显示缩放、旋转和文件命令"));
    ui_button_overflow->SetToolTip(i18n::tr("工具条放不下的选项和读数"));
    fit_bar();
    Layout();
    // A bar that keeps its size gets no size event to lay it out anew.
    ui_panel_assist->Layout();
}

std::unique_ptr<wxMenu> ImagePanelForm::overflow_menu()
{
    auto menu = std::make_unique<wxMenu>();
    std::vector<std::function<void(bool checked)>> actions;
    const int first_id = wxID_HIGHEST + 1;
    auto add = [&](wxItemKind kind, const wxString& label, std::function<void(bool)> action = {}) {
        wxMenuItem* item = menu->Append(first_id + static_cast<int>(actions.size()), label, wxEmptyString, kind);
        item->Enable(bool(action));
        actions.push_back(std::move(action));
        return item;
    };
    auto section = [&] {
        if (menu->GetMenuItemCount() > 0)
            menu->AppendSeparator();
    };
    const form_parts::OneRow& row = parts_->row;

    if (row.dropped(parts_->choices))
        for (wxChoice* choice : {ui_zoom_mode, ui_angle}) {
            section();
            std::vector<wxMenuItem*> items;
            for (unsigned i = 0; i < choice->GetCount(); ++i)
                items.push_back(add(wxITEM_RADIO, choice->GetString(i), [choice, i](bool) {
                    pick(choice, static_cast<int>(i));
                }));
            // A radio group checks its first item until told otherwise.
            if (choice->GetSelection() >= 0 && static_cast<unsigned>(choice->GetSelection()) < items.size())
                items[choice->GetSelection()]->Check();
        }
    // A menu cannot take typing: the rate and the angle are typed in the
    // floating window, which has both inputs.
    const std::pair<wxTextCtrl*, const char*> free_inputs[] = {{ui_zoom_rate, "缩放比例：%s%%..."},
                                                               {ui_angle_degree, "旋转角度：%s°..."}};
    for (std::size_t i = 0; i < 2; ++i)
        if (row.dropped(parts_->free_inputs[i])) {
            section();
            add(wxITEM_NORMAL, wxString::Format(i18n::tr(free_inputs[i].second), shown_value(free_inputs[i].first)),
                [this](bool) { click(ui_button_close_assist); });
        }
    if (row.dropped(parts_->levels)) {
        section();
        add(wxITEM_NORMAL,
            wxString::Format(i18n::tr("色阶：%s – %s..."), shown_value(ui_levels_low), shown_value(ui_levels_high)),
            [this](bool) { click(ui_button_close_assist); });
        add(wxITEM_NORMAL, i18n::tr("自动色阶"), [this](bool) { click(ui_levels_auto); });
    }
    if (row.dropped(parts_->lines)) {
        section();
        for (wxCheckBox* box : {ui_checkbox_middle_lines, ui_checkbox_follow_lines})
            add(wxITEM_CHECK, box->GetLabel(), [box](bool checked) { switch_to(box, checked); })
                ->Check(box->IsChecked());
    }
    if (row.dropped(parts_->readouts.pointer_group)) {
        section();
        add(wxITEM_NORMAL, wxString::Format(i18n::tr("指针位置：%s, %s"), shown_value(ui_x), shown_value(ui_y)));
        add(wxITEM_NORMAL, wxString::Format(i18n::tr("指针颜色：%s"), shown_value(ui_rgb)));
    }
    if (row.dropped(parts_->readouts.selection_group)) {
        section();
        add(wxITEM_NORMAL, wxString::Format(i18n::tr("选区大小：%s × %s"), shown_value(ui_width), shown_value(ui_height)));
    }
    if (row.dropped(parts_->clipboard)) {
        section();
        for (wxButton* button : {ui_button_copy, ui_button_paste})
            add(wxITEM_NORMAL, button->GetToolTipText(), [button](bool) { click(button); });
    }
    if (row.dropped(parts_->undock)) {
        section();
        add(wxITEM_NORMAL, ui_button_close_assist->GetToolTipText(), [this](bool) { click(ui_button_close_assist); });
    }

    if (actions.empty())
        return menu;
    const int last_id = first_id + static_cast<int>(actions.size()) - 1;
    menu->Bind(wxEVT_MENU, [actions = std::move(actions), first_id](wxCommandEvent& event) {
        const auto& action = actions[static_cast<std::size_t>(event.GetId() - first_id)];
        if (action)
            run_guarded([&] { action(event.IsChecked()); });
    }, first_id, last_id);
    return menu;
}

void ImagePanelForm::show_free_inputs(bool zoom_rate, bool angle_degree)
{
    const bool changed = parts_->row.want(parts_->free_inputs[0], zoom_rate);
    // Every zoom step shows the mode again: lay the bar out only for a change.
    if (parts_->row.want(parts_->free_inputs[1], angle_degree) || changed) {
        fit_bar();
        ui_panel_assist->Layout();
    }
}

void ImagePanelForm::show_levels_group(bool shown)
{
    if (parts_->row.want(parts_->levels, shown)) {
        fit_bar();
        ui_panel_assist->Layout();
    }
}

void ImagePanelForm::fit_bar()
{
    const wxSize client = GetClientSize();
    const int picture_room = client.y / 2 - ui_scroll_bar_horizontal->GetBestSize().y;
    if (parts_->row.fit(client.x, picture_room - 4))
        ui_panel_assist->Layout();
}

} // namespace tesk_vumo
