#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/forms/image_form.h"
#include "tesk_vumo/forms/image_panel_assist_form.h"
#include "tesk_vumo/forms/image_panel_form.h"

#include "test_support.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

/// Counts the handler calls of a form; can make the handlers throw.
struct Calls
{
    enum class Throw
    {
        Nothing,
        StdException,
        Other,
    };

    void hit(const char* handler)
    {
        ++count[handler];
        if (throws == Throw::StdException)
            throw std::runtime_error(std::string("failure in ") + handler);
        if (throws == Throw::Other)
            throw 42;
    }

    int total() const
    {
        int n = 0;
        for (const auto& entry : count)
            n += entry.second;
        return n;
    }

    std::map<std::string, int> count;
    Throw throws = Throw::Nothing;
};

#define COUNTED(Event, handler) \
    void handler(Event&) override { calls.hit(#handler); }

struct CountingPanelForm : ImagePanelForm
{
    using ImagePanelForm::ImagePanelForm;
    COUNTED(wxCommandEvent, on_change_zoom_mode)
    COUNTED(wxCommandEvent, on_change_rotation)
    COUNTED(wxCommandEvent, on_show_middle_lines)
    COUNTED(wxCommandEvent, on_show_following_lines)
    COUNTED(wxCommandEvent, on_load_image)
    COUNTED(wxCommandEvent, on_save_image)
    COUNTED(wxCommandEvent, on_close_assist_bar)
    COUNTED(wxMouseEvent, on_mouse_wheel)
    COUNTED(wxMouseEvent, on_mouse_motion)
    COUNTED(wxMouseEvent, on_start_dragging)
    COUNTED(wxMouseEvent, on_mouse_wheel_scroll)
    Calls calls;
};

struct CountingImageForm : ImageForm
{
    using ImageForm::ImageForm;
    COUNTED(wxCommandEvent, on_load_image)
    COUNTED(wxCommandEvent, on_save_current_view)
    COUNTED(wxCommandEvent, on_save_grayscale)
    COUNTED(wxCommandEvent, on_show_middle_lines)
    COUNTED(wxCommandEvent, on_hide_middle_lines)
    COUNTED(wxCommandEvent, on_show_following_lines)
    COUNTED(wxCommandEvent, on_hide_following_lines)
    COUNTED(wxCommandEvent, on_zoom_none)
    COUNTED(wxCommandEvent, on_zoom_fit_width)
    COUNTED(wxCommandEvent, on_zoom_fit_height)
    COUNTED(wxCommandEvent, on_zoom_fit_page)
    COUNTED(wxCommandEvent, on_rotation_none)
    COUNTED(wxCommandEvent, on_rotation_cw90)
    COUNTED(wxCommandEvent, on_rotation_180)
    COUNTED(wxCommandEvent, on_rotation_ccw90)
    COUNTED(wxMouseEvent, on_mouse_right_down)
    COUNTED(wxMouseEvent, on_mouse_wheel)
    COUNTED(wxMouseEvent, on_mouse_motion)
    COUNTED(wxMouseEvent, on_start_dragging)
    COUNTED(wxMouseEvent, on_mouse_wheel_scroll)
    Calls calls;
};

struct CountingAssistForm : ImagePanelAssistForm
{
    using ImagePanelAssistForm::ImagePanelAssistForm;
    COUNTED(wxCommandEvent, on_change_zoom_mode)
    COUNTED(wxCommandEvent, on_change_rotation)
    COUNTED(wxCommandEvent, on_load_image)
    COUNTED(wxCommandEvent, on_save_image)
    COUNTED(wxCloseEvent, on_close)
    Calls calls;
};

/// One event sent to one window, and the handler it must reach.
struct Route
{
    std::string handler;
    wxWindow* target;
    wxEventType type;
    int id = wxID_ANY; // for menu commands
    bool checked = false; // the state a check item was switched to
};

void send(const Route& route)
{
    wxWindow* target = route.target;
    if (route.type == wxEVT_CLOSE_WINDOW) {
        wxCloseEvent event(wxEVT_CLOSE_WINDOW, target->GetId());
        event.SetEventObject(target);
        event.SetCanVeto(true);
        target->ProcessWindowEvent(event);
    } else if (route.type == wxEVT_MOUSEWHEEL || route.type == wxEVT_MOTION || route.type == wxEVT_LEFT_DOWN
               || route.type == wxEVT_RIGHT_DOWN) {
        wxMouseEvent event(route.type);
        event.SetEventObject(target);
        event.SetId(target->GetId());
        event.SetPosition(wxPoint(10, 10));
        if (route.type == wxEVT_MOUSEWHEEL) {
            event.m_wheelRotation = 120;
            event.m_wheelDelta = 120;
            event.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
        }
        target->ProcessWindowEvent(event);
    } else {
        wxCommandEvent event(route.type, route.id == wxID_ANY ? target->GetId() : route.id);
        event.SetEventObject(target);
        event.SetInt(route.checked);
        target->ProcessWindowEvent(event);
    }
}

/// Sends every route and checks that it reaches its handler, and only it.
void expect_routes(Calls& calls, const std::vector<Route>& routes)
{
    for (const Route& route : routes) {
        calls.count.clear();
        send(route);
        EXPECT_EQ(calls.count[route.handler], 1) << "for the event routed to " << route.handler;
        EXPECT_EQ(calls.total(), 1) << "for the event routed to " << route.handler;
    }
}

/// Makes every handler throw and checks that nothing escapes the routing.
void expect_guarded(Calls& calls, const std::vector<Route>& routes)
{
    for (Calls::Throw kind : {Calls::Throw::StdException, Calls::Throw::Other}) {
        calls.throws = kind;
        for (const Route& route : routes) {
            calls.count.clear();
            EXPECT_NO_THROW(send(route)) << "from " << route.handler;
            EXPECT_EQ(calls.count[route.handler], 1) << "for the event routed to " << route.handler;
        }
    }
    calls.throws = Calls::Throw::Nothing;
}

/// A host binding that overrides every handler: records which one each event asked for.
struct ClaimingDispatcher final : HandlerDispatcher
{
    std::vector<std::pair<wxWindow*, std::string>> asked;
    bool dispatch(wxWindow* window, const char* name, wxEvent&) override
    {
        asked.emplace_back(window, name);
        return true;
    }
    void window_created(wxWindow*) override {}
    bool report(const std::exception&) noexcept override { return false; }
};

/// Checks that each routed event offers its handler, by name and on @p form,
/// to a host's override first, and that the override then replaces it.
void expect_dispatched(Calls& calls, wxWindow* form, const std::vector<Route>& routes)
{
    ClaimingDispatcher dispatcher;
    set_handler_dispatcher(&dispatcher);
    for (const Route& route : routes) {
        calls.count.clear();
        dispatcher.asked.clear();
        send(route);
        EXPECT_EQ(dispatcher.asked, (std::vector<std::pair<wxWindow*, std::string>>{{form, route.handler}}));
        EXPECT_EQ(calls.total(), 0) << "the form's own " << route.handler << " ran beside the override";
    }
    set_handler_dispatcher(nullptr);
}

std::vector<std::string> items(const wxChoice* choice)
{
    std::vector<std::string> labels;
    for (unsigned i = 0; i < choice->GetCount(); ++i)
        labels.push_back(choice->GetString(i).utf8_string());
    return labels;
}

class FormsTest : public FrameTest
{
};

TEST_F(FormsTest, ImagePanelFormCreatesItsControls)
{
    auto* form = new ImagePanelForm(frame);
    const std::pair<const char*, wxWindow*> controls[] = {
        {"ui_image", form->ui_image},
        {"ui_scroll_bar_horizontal", form->ui_scroll_bar_horizontal},
        {"ui_scroll_bar_vertical", form->ui_scroll_bar_vertical},
        {"ui_panel_assist", form->ui_panel_assist},
        {"ui_zoom_mode", form->ui_zoom_mode},
        {"ui_angle", form->ui_angle},
        {"ui_checkbox_middle_lines", form->ui_checkbox_middle_lines},
        {"ui_checkbox_follow_lines", form->ui_checkbox_follow_lines},
        {"ui_x", form->ui_x},
        {"ui_y", form->ui_y},
        {"ui_rgb", form->ui_rgb},
        {"ui_width", form->ui_width},
        {"ui_height", form->ui_height},
        {"ui_button_load", form->ui_button_load},
        {"ui_button_save", form->ui_button_save},
        {"ui_button_close_assist", form->ui_button_close_assist},
    };
    for (const auto& [name, control] : controls) {
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(form->IsDescendant(control)) << name;
    }
    EXPECT_TRUE(form->ui_scroll_bar_horizontal->GetWindowStyle() & wxSB_HORIZONTAL);
    EXPECT_TRUE(form->ui_scroll_bar_vertical->GetWindowStyle() & wxSB_VERTICAL);
    for (const wxChoice* choice : {form->ui_zoom_mode, form->ui_angle}) {
        EXPECT_EQ(choice->GetCount(), 5u) << choice->GetName();
        EXPECT_EQ(choice->GetSelection(), 0) << choice->GetName();
    }
    EXPECT_FALSE(form->ui_checkbox_middle_lines->GetValue());
    EXPECT_FALSE(form->ui_checkbox_follow_lines->GetValue());
}

TEST_F(FormsTest, AssistFormOffersTheSameChoicesAsTheDockedBar)
{
    auto* docked = new ImagePanelForm(frame);
    auto* form = new ImagePanelAssistForm(frame);
    const std::pair<const char*, wxWindow*> controls[] = {
        {"ui_zoom_mode", form->ui_zoom_mode},       {"ui_angle", form->ui_angle},
        {"ui_zoom_rate", form->ui_zoom_rate},       {"ui_angle_degree", form->ui_angle_degree},
        {"ui_button_load", form->ui_button_load}, {"ui_button_save", form->ui_button_save},
    };
    for (const auto& [name, control] : controls) {
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(form->IsDescendant(control)) << name;
    }
    EXPECT_EQ(items(form->ui_zoom_mode), items(docked->ui_zoom_mode));
    EXPECT_EQ(items(form->ui_angle), items(docked->ui_angle));
    form->Destroy();
}

TEST_F(FormsTest, ImageFormCreatesItsControlsAndMenu)
{
    auto* form = new ImageForm(frame);
    const std::pair<const char*, wxWindow*> controls[] = {
        {"ui_image", form->ui_image},
        {"ui_scroll_bar_horizontal", form->ui_scroll_bar_horizontal},
        {"ui_scroll_bar_vertical", form->ui_scroll_bar_vertical},
        {"ui_x", form->ui_x},
        {"ui_y", form->ui_y},
        {"ui_rgb", form->ui_rgb},
        {"ui_width", form->ui_width},
        {"ui_height", form->ui_height},
    };
    for (const auto& [name, control] : controls) {
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(form->IsDescendant(control)) << name;
    }
    ASSERT_NE(form->ui_poup_menu, nullptr);
    // The guide lines are switched by one check item each; the show and hide
    // commands have no item of their own.
    for (int id = ImageForm::ID_ZOOM_FIT_PAGE; id <= ImageForm::ID_FOLLOWING_LINES; ++id) {
        if (id >= ImageForm::ID_SHOW_MIDDLE_LINES && id <= ImageForm::ID_HIDE_FOLLOWING_LINES)
            continue;
        const wxMenuItem* item = form->ui_poup_menu->FindItem(id);
        ASSERT_NE(item, nullptr) << "no menu item for id " << id - ImageForm::ID_ZOOM_FIT_PAGE;
        EXPECT_FALSE(item->GetItemLabelText().empty()) << "for id " << id - ImageForm::ID_ZOOM_FIT_PAGE;
        const bool radio = id <= ImageForm::ID_ROTATION_CCW90;
        const bool check = id == ImageForm::ID_MIDDLE_LINES || id == ImageForm::ID_FOLLOWING_LINES;
        EXPECT_EQ(item->GetKind(), radio ? wxITEM_RADIO : check ? wxITEM_CHECK : wxITEM_NORMAL)
            << "for id " << id - ImageForm::ID_ZOOM_FIT_PAGE;
    }
}

TEST_F(FormsTest, ImagePanelFormRoutesEveryControl)
{
    auto* form = new CountingPanelForm(frame);
    const std::vector<Route> routes = {
        {"on_change_zoom_mode", form->ui_zoom_mode, wxEVT_CHOICE},
        {"on_change_rotation", form->ui_angle, wxEVT_CHOICE},
        {"on_show_middle_lines", form->ui_checkbox_middle_lines, wxEVT_CHECKBOX},
        {"on_show_following_lines", form->ui_checkbox_follow_lines, wxEVT_CHECKBOX},
        {"on_load_image", form->ui_button_load, wxEVT_BUTTON},
        {"on_save_image", form->ui_button_save, wxEVT_BUTTON},
        {"on_close_assist_bar", form->ui_button_close_assist, wxEVT_BUTTON},
        {"on_mouse_wheel", form->ui_image, wxEVT_MOUSEWHEEL},
        {"on_mouse_motion", form->ui_image, wxEVT_MOTION},
        {"on_start_dragging", form->ui_image, wxEVT_LEFT_DOWN},
        {"on_mouse_wheel_scroll", form->ui_scroll_bar_horizontal, wxEVT_MOUSEWHEEL},
        {"on_mouse_wheel_scroll", form->ui_scroll_bar_vertical, wxEVT_MOUSEWHEEL},
    };
    expect_routes(form->calls, routes);
    expect_guarded(form->calls, routes);
    expect_dispatched(form->calls, form, routes);
}

TEST_F(FormsTest, ImageFormRoutesMouseAndMenuCommands)
{
    auto* form = new CountingImageForm(frame);
    std::vector<Route> routes = {
        {"on_mouse_right_down", form->ui_image, wxEVT_RIGHT_DOWN},
        {"on_mouse_wheel", form->ui_image, wxEVT_MOUSEWHEEL},
        {"on_mouse_motion", form->ui_image, wxEVT_MOTION},
        {"on_start_dragging", form->ui_image, wxEVT_LEFT_DOWN},
        {"on_mouse_wheel_scroll", form->ui_scroll_bar_horizontal, wxEVT_MOUSEWHEEL},
        {"on_mouse_wheel_scroll", form->ui_scroll_bar_vertical, wxEVT_MOUSEWHEEL},
    };
    const std::pair<int, const char*> commands[] = {
        {ImageForm::ID_ZOOM_FIT_PAGE, "on_zoom_fit_page"},
        {ImageForm::ID_ZOOM_FIT_WIDTH, "on_zoom_fit_width"},
        {ImageForm::ID_ZOOM_FIT_HEIGHT, "on_zoom_fit_height"},
        {ImageForm::ID_ZOOM_NONE, "on_zoom_none"},
        {ImageForm::ID_ROTATION_NONE, "on_rotation_none"},
        {ImageForm::ID_ROTATION_CW90, "on_rotation_cw90"},
        {ImageForm::ID_ROTATION_180, "on_rotation_180"},
        {ImageForm::ID_ROTATION_CCW90, "on_rotation_ccw90"},
        {ImageForm::ID_SHOW_MIDDLE_LINES, "on_show_middle_lines"},
        {ImageForm::ID_HIDE_MIDDLE_LINES, "on_hide_middle_lines"},
        {ImageForm::ID_SHOW_FOLLOWING_LINES, "on_show_following_lines"},
        {ImageForm::ID_HIDE_FOLLOWING_LINES, "on_hide_following_lines"},
        {ImageForm::ID_LOAD_IMAGE, "on_load_image"},
        {ImageForm::ID_SAVE_CURRENT_VIEW, "on_save_current_view"},
        {ImageForm::ID_SAVE_GRAYSCALE, "on_save_grayscale"},
    };
    for (const auto& [id, handler] : commands)
        routes.push_back({handler, form, wxEVT_MENU, id});
    routes.push_back({"on_show_middle_lines", form, wxEVT_MENU, ImageForm::ID_MIDDLE_LINES, true});
    routes.push_back({"on_hide_middle_lines", form, wxEVT_MENU, ImageForm::ID_MIDDLE_LINES, false});
    routes.push_back({"on_show_following_lines", form, wxEVT_MENU, ImageForm::ID_FOLLOWING_LINES, true});
    routes.push_back({"on_hide_following_lines", form, wxEVT_MENU, ImageForm::ID_FOLLOWING_LINES, false});
    expect_routes(form->calls, routes);
    expect_guarded(form->calls, routes);
    expect_dispatched(form->calls, form, routes);
}

TEST_F(FormsTest, AssistFormRoutesItsControlsAndClosing)
{
    auto* form = new CountingAssistForm(frame);
    const std::vector<Route> routes = {
        {"on_change_zoom_mode", form->ui_zoom_mode, wxEVT_CHOICE},
        {"on_change_rotation", form->ui_angle, wxEVT_CHOICE},
        {"on_load_image", form->ui_button_load, wxEVT_BUTTON},
        {"on_save_image", form->ui_button_save, wxEVT_BUTTON},
        {"on_close", form, wxEVT_CLOSE_WINDOW},
    };
    expect_routes(form->calls, routes);
    expect_guarded(form->calls, routes);
    expect_dispatched(form->calls, form, routes);
    form->Destroy();
}

} // namespace
