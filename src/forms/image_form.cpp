#include "tesk_vumo/forms/image_form.h"

#include "form_parts.h"
#include "tesk_vumo/forms/i18n.h"
#include "tesk_vumo/forms/event_guard.h"

#include <wx/sizer.h>
#include <wx/wrapsizer.h>

namespace tesk_vumo {

ImageForm::ImageForm(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                     const wxString& name)
    : wxPanel(parent, id, pos, size, style, name)
{
    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(form_parts::create_viewport(this, ui_image, ui_scroll_bar_horizontal, ui_scroll_bar_vertical),
              1, wxEXPAND);
    auto* readouts = new wxWrapSizer(wxHORIZONTAL);
    form_parts::create_readouts(this, readouts, ui_x, ui_y, ui_rgb, ui_width, ui_height);
    main->Add(readouts, 0, wxEXPAND | wxTOP | wxBOTTOM, 2);
    SetSizer(main);
    Layout();

    ui_poup_menu = new wxMenu;
    auto* zoom = new wxMenu;
    zoom->Append(ID_ZOOM_FIT_PAGE, i18n::tr("适应页面"));
    zoom->Append(ID_ZOOM_FIT_WIDTH, i18n::tr("适应宽度"));
    zoom->Append(ID_ZOOM_FIT_HEIGHT, i18n::tr("适应高度"));
    zoom->Append(ID_ZOOM_NONE, i18n::tr("原始大小"));
    ui_poup_menu->AppendSubMenu(zoom, i18n::tr("缩放"));
    auto* rotation = new wxMenu;
    rotation->Append(ID_ROTATION_NONE, i18n::tr("不旋转"));
    rotation->Append(ID_ROTATION_CW90, i18n::tr("顺时针旋转90°"));
    rotation->Append(ID_ROTATION_180, i18n::tr("旋转180°"));
    rotation->Append(ID_ROTATION_CCW90, i18n::tr("逆时针旋转90°"));
    ui_poup_menu->AppendSubMenu(rotation, i18n::tr("旋转"));
    ui_poup_menu->AppendSeparator();
    ui_poup_menu->Append(ID_SHOW_MIDDLE_LINES, i18n::tr("显示中心线"));
    ui_poup_menu->Append(ID_HIDE_MIDDLE_LINES, i18n::tr("隐藏中心线"));
    ui_poup_menu->Append(ID_SHOW_FOLLOWING_LINES, i18n::tr("显示跟随线"));
    ui_poup_menu->Append(ID_HIDE_FOLLOWING_LINES, i18n::tr("隐藏跟随线"));
    ui_poup_menu->AppendSeparator();
    ui_poup_menu->Append(ID_LOAD_IMAGE, i18n::tr("加载图片..."));
    ui_poup_menu->Append(ID_SAVE_CURRENT_VIEW, i18n::tr("保存当前视图..."));
    ui_poup_menu->Append(ID_SAVE_GRAYSCALE, i18n::tr("保存灰度图..."));

    struct Command
    {
        int id;
        void (ImageForm::*handler)(wxCommandEvent&);
        const char* name;
    };
    const Command commands[] = {
        {ID_ZOOM_FIT_PAGE, &ImageForm::on_zoom_fit_page, "on_zoom_fit_page"},
        {ID_ZOOM_FIT_WIDTH, &ImageForm::on_zoom_fit_width, "on_zoom_fit_width"},
        {ID_ZOOM_FIT_HEIGHT, &ImageForm::on_zoom_fit_height, "on_zoom_fit_height"},
        {ID_ZOOM_NONE, &ImageForm::on_zoom_none, "on_zoom_none"},
        {ID_ROTATION_NONE, &ImageForm::on_rotation_none, "on_rotation_none"},
        {ID_ROTATION_CW90, &ImageForm::on_rotation_cw90, "on_rotation_cw90"},
        {ID_ROTATION_180, &ImageForm::on_rotation_180, "on_rotation_180"},
        {ID_ROTATION_CCW90, &ImageForm::on_rotation_ccw90, "on_rotation_ccw90"},
        {ID_SHOW_MIDDLE_LINES, &ImageForm::on_show_middle_lines, "on_show_middle_lines"},
        {ID_HIDE_MIDDLE_LINES, &ImageForm::on_hide_middle_lines, "on_hide_middle_lines"},
        {ID_SHOW_FOLLOWING_LINES, &ImageForm::on_show_following_lines, "on_show_following_lines"},
        {ID_HIDE_FOLLOWING_LINES, &ImageForm::on_hide_following_lines, "on_hide_following_lines"},
        {ID_LOAD_IMAGE, &ImageForm::on_load_image, "on_load_image"},
        {ID_SAVE_CURRENT_VIEW, &ImageForm::on_save_current_view, "on_save_current_view"},
        {ID_SAVE_GRAYSCALE, &ImageForm::on_save_grayscale, "on_save_grayscale"},
    };
    for (const Command& command : commands)
        Bind(wxEVT_MENU, guarded(this, command.handler, command.name), command.id);

    form_parts::route_viewport_mouse(this);
    // The press is passed on afterwards: on GTK the context-menu event is
    // only generated for a right press that no handler consumed.
    ui_image->Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent& event) {
        guarded(this, &ImageForm::on_mouse_right_down, "on_mouse_right_down")(event);
        event.Skip();
    });
}

ImageForm::~ImageForm()
{
    delete ui_poup_menu;
}

} // namespace tesk_vumo
