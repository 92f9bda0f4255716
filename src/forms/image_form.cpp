#include "tesk_vumo/forms/image_form.h"

#include "form_parts.h"
#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/i18n/i18n.h"

#include <wx/sizer.h>

#include <tuple>

namespace tesk_vumo {

struct ImageForm::Parts
{
    form_parts::OneRow row;
    form_parts::Readouts readouts;
    wxMenuItem* zoom_menu = nullptr;
    wxMenuItem* rotation_menu = nullptr;
};

namespace {
struct ItemText
{
    int id;
    const char* text;
};
const ItemText item_texts[] = {
    {ImageForm::ID_ZOOM_FIT_PAGE, "适应页面"},
    {ImageForm::ID_ZOOM_FIT_WIDTH, "适应宽度"},
    {ImageForm::ID_ZOOM_FIT_HEIGHT, "适应高度"},
    {ImageForm::ID_ZOOM_NONE, "原始大小"},
    {ImageForm::ID_ZOOM_ANY, "任意缩放"},
    {ImageForm::ID_ZOOM_IN, "放大"},
    {ImageForm::ID_ZOOM_OUT, "缩小"},
    {ImageForm::ID_ZOOM_ACTUAL_SIZE, "1:1 显示"},
    {ImageForm::ID_ROTATION_NONE, "不旋转"},
    {ImageForm::ID_ROTATION_CW90, "顺时针旋转90°"},
    {ImageForm::ID_ROTATION_180, "旋转180°"},
    {ImageForm::ID_ROTATION_CCW90, "逆时针旋转90°"},
    {ImageForm::ID_ROTATION_ANY, "任意角度"},
    {ImageForm::ID_MIDDLE_LINES, "显示中心线"},
    {ImageForm::ID_FOLLOWING_LINES, "显示跟随线"},
    {ImageForm::ID_AUTO_LEVELS, "自动色阶"},
    {ImageForm::ID_COPY_IMAGE, "复制"},
    {ImageForm::ID_PASTE_IMAGE, "粘贴"},
    {ImageForm::ID_LOAD_IMAGE, "加载图片..."},
    {ImageForm::ID_SAVE_CURRENT_VIEW, "保存当前视图..."},
    {ImageForm::ID_SAVE_GRAYSCALE, "保存灰度图..."},
    {ImageForm::ID_SAVE_SOURCE_SELECTION, "按原图分辨率保存选区..."},
};
} // namespace

ImageForm::ImageForm(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                     const wxString& name)
    : wxPanel(parent, id, pos, size, style, name), parts_(new Parts)
{
    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(form_parts::create_viewport(this, ui_image, ui_scroll_bar_horizontal, ui_scroll_bar_vertical),
              1, wxEXPAND);
    parts_->readouts.create(this, parts_->row, 1, 2);
    ui_x = parts_->readouts.x;
    ui_y = parts_->readouts.y;
    ui_rgb = parts_->readouts.rgb;
    ui_width = parts_->readouts.width;
    ui_height = parts_->readouts.height;
    main->Add(parts_->row.sizer(), 0, wxEXPAND | wxTOP | wxBOTTOM, 2);
    SetSizer(main);

    ui_poup_menu = new wxMenu;
    auto* zoom = new wxMenu;
    for (int id : {ID_ZOOM_FIT_PAGE, ID_ZOOM_FIT_WIDTH, ID_ZOOM_FIT_HEIGHT, ID_ZOOM_NONE, ID_ZOOM_ANY})
        zoom->AppendRadioItem(id, "-");
    zoom->AppendSeparator();
    for (int id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ACTUAL_SIZE})
        zoom->Append(id, "-");
    parts_->zoom_menu = ui_poup_menu->AppendSubMenu(zoom, "-");
    auto* rotation = new wxMenu;
    for (int id : {ID_ROTATION_NONE, ID_ROTATION_CW90, ID_ROTATION_180, ID_ROTATION_CCW90, ID_ROTATION_ANY})
        rotation->AppendRadioItem(id, "-");
    parts_->rotation_menu = ui_poup_menu->AppendSubMenu(rotation, "-");
    ui_poup_menu->AppendSeparator();
    ui_poup_menu->AppendCheckItem(ID_MIDDLE_LINES, "-");
    ui_poup_menu->AppendCheckItem(ID_FOLLOWING_LINES, "-");
    ui_poup_menu->AppendSeparator();
    ui_poup_menu->Append(ID_AUTO_LEVELS, "-");
    ui_poup_menu->AppendSeparator();
    ui_poup_menu->Append(ID_COPY_IMAGE, "-");
    ui_poup_menu->Append(ID_PASTE_IMAGE, "-");
    ui_poup_menu->AppendSeparator();
    ui_poup_menu->Append(ID_LOAD_IMAGE, "-");
    ui_poup_menu->Append(ID_SAVE_CURRENT_VIEW, "-");
    ui_poup_menu->Append(ID_SAVE_GRAYSCALE, "-");
    ui_poup_menu->Append(ID_SAVE_SOURCE_SELECTION, "-");
    relabel();
    form_parts::remember_form(this, [this] { relabel(); });

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
        {ID_ZOOM_ANY, &ImageForm::on_zoom_any, "on_zoom_any"},
        {ID_ZOOM_IN, &ImageForm::on_zoom_in, "on_zoom_in"},
        {ID_ZOOM_OUT, &ImageForm::on_zoom_out, "on_zoom_out"},
        {ID_ZOOM_ACTUAL_SIZE, &ImageForm::on_zoom_actual_size, "on_zoom_actual_size"},
        {ID_ROTATION_NONE, &ImageForm::on_rotation_none, "on_rotation_none"},
        {ID_ROTATION_CW90, &ImageForm::on_rotation_cw90, "on_rotation_cw90"},
        {ID_ROTATION_180, &ImageForm::on_rotation_180, "on_rotation_180"},
        {ID_ROTATION_CCW90, &ImageForm::on_rotation_ccw90, "on_rotation_ccw90"},
        {ID_ROTATION_ANY, &ImageForm::on_rotation_any, "on_rotation_any"},
        {ID_AUTO_LEVELS, &ImageForm::on_auto_levels, "on_auto_levels"},
        {ID_SHOW_MIDDLE_LINES, &ImageForm::on_show_middle_lines, "on_show_middle_lines"},
        {ID_HIDE_MIDDLE_LINES, &ImageForm::on_hide_middle_lines, "on_hide_middle_lines"},
        {ID_SHOW_FOLLOWING_LINES, &ImageForm::on_show_following_lines, "on_show_following_lines"},
        {ID_HIDE_FOLLOWING_LINES, &ImageForm::on_hide_following_lines, "on_hide_following_lines"},
        {ID_COPY_IMAGE, &ImageForm::on_copy_image, "on_copy_image"},
        {ID_PASTE_IMAGE, &ImageForm::on_paste_image, "on_paste_image"},
        {ID_LOAD_IMAGE, &ImageForm::on_load_image, "on_load_image"},
        {ID_SAVE_CURRENT_VIEW, &ImageForm::on_save_current_view, "on_save_current_view"},
        {ID_SAVE_GRAYSCALE, &ImageForm::on_save_grayscale, "on_save_grayscale"},
        {ID_SAVE_SOURCE_SELECTION, &ImageForm::on_save_source_selection, "on_save_source_selection"},
    };
    for (const Command& command : commands)
        Bind(wxEVT_MENU, guarded(this, command.handler, command.name), command.id);
    // A check item's command carries the state the user switched it to.
    const std::tuple<int, Command, Command> switches[] = {
        {ID_MIDDLE_LINES, {0, &ImageForm::on_show_middle_lines, "on_show_middle_lines"},
         {0, &ImageForm::on_hide_middle_lines, "on_hide_middle_lines"}},
        {ID_FOLLOWING_LINES, {0, &ImageForm::on_show_following_lines, "on_show_following_lines"},
         {0, &ImageForm::on_hide_following_lines, "on_hide_following_lines"}},
    };
    for (const auto& [id, show, hide] : switches)
        Bind(wxEVT_MENU, [this, show = show, hide = hide](wxCommandEvent& event) {
            const Command& command = event.IsChecked() ? show : hide;
            guarded(this, command.handler, command.name)(event);
        }, id);

    form_parts::route_viewport_mouse(this);
    // The press is passed on afterwards: on GTK the context-menu event is
    // only generated for a right press that no handler consumed.
    ui_image->Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent& event) {
        guarded(this, &ImageForm::on_mouse_right_down, "on_mouse_right_down")(event);
        event.Skip();
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        fit_strip();
        event.Skip();
    });
}

ImageForm::~ImageForm()
{
    form_parts::forget_form(this);
    delete ui_poup_menu;
}

void ImageForm::relabel()
{
    parts_->zoom_menu->SetItemLabel(i18n::tr("缩放"));
    parts_->rotation_menu->SetItemLabel(i18n::tr("旋转"));
    for (const ItemText& item : item_texts)
        ui_poup_menu->SetLabel(item.id, i18n::tr(item.text));
    parts_->readouts.relabel();
    fit_strip();
    Layout();
}

void ImageForm::fit_strip()
{
    const wxSize client = GetClientSize();
    const int picture_room = client.y / 2 - ui_scroll_bar_horizontal->GetBestSize().y;
    parts_->row.fit(client.x, picture_room - 4);
}

} // namespace tesk_vumo
