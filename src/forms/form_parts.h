#ifndef TESK_VUMO_SRC_FORMS_FORM_PARTS_H
#define TESK_VUMO_SRC_FORMS_FORM_PARTS_H

// Pieces that more than one form is built from.

#include <functional>
#include <optional>
#include <vector>

#include <wx/arrstr.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "tesk_vumo/forms/event_guard.h"

namespace tesk_vumo::form_parts {

/// Item labels of the zoom and rotation choices, in value order, in the
/// language of the moment.
wxArrayString zoom_mode_labels();
wxArrayString rotation_labels();

/// Puts @p labels into @p choice's items, keeping the selection.
void relabel_choice(wxChoice* choice, const wxArrayString& labels);

/// Relabels the zoom and rotation choices of a bar and the tooltips of
/// them and of their free rate and angle inputs.
void relabel_view_controls(wxChoice* zoom_mode, wxChoice* angle, wxTextCtrl* zoom_rate, wxTextCtrl* angle_degree);

/// Puts the hints, tooltips and label of a levels group (low and high
/// inputs, automatic button) in the language of the moment.
void relabel_levels_controls(wxTextCtrl* low, wxTextCtrl* high, wxButton* automatic);

/// Creates the drawing surface with its two scroll bars under @p owner and
/// returns the sizer that lays them out.
wxSizer* create_viewport(wxWindow* owner, wxPanel*& image, wxScrollBar*& horizontal,
                         wxScrollBar*& vertical);

/// A bar of controls kept to one row: its groups are dropped from the row,
/// in a fixed order, while the width does not hold them, and the whole row
/// goes while it would leave the picture less than half the height. An
/// overflow group (the button that offers what was dropped) shows only
/// while some group is dropped for want of width.
class OneRow
{
public:
    OneRow();

    wxBoxSizer* sizer() const { return row_; }
    /// A new group at the end of the row. Groups of a higher @p drop_rank
    /// go first; rank 0 is dropped only with the whole row.
    wxBoxSizer* add_group(int drop_rank);
    /// Space that pushes the following groups to the row's right end.
    void add_stretch() { row_->AddStretchSpacer(1); }
    /// The overflow group, at the end of the row; never dropped for width.
    wxBoxSizer* add_overflow_group();
    /// Whether @p group is wanted at all: one that is not takes no room
    /// and stays hidden whatever the width. Groups are wanted at first.
    /// Returns whether that changed.
    bool want(wxSizer* group, bool wanted);

    /// Shows the groups that fit in @p width, and none when the row is
    /// higher than @p max_height. Returns whether anything changed.
    bool fit(int width, int max_height);
    /// Whether @p group is wanted but has no room in the row's width.
    bool dropped(const wxSizer* group) const;

private:
    struct Group
    {
        wxBoxSizer* sizer;
        int drop_rank;
        bool wanted = true;
        bool dropped = false;
    };
    wxBoxSizer* row_;
    wxBoxSizer* overflow_ = nullptr;
    std::vector<Group> groups_;
};

/// Which of the groups of the given widths to show in @p available width:
/// all that fit, after dropping the groups of the highest drop ranks first
/// (ties from the right); groups of rank 0 always stay.
std::vector<bool> groups_that_fit(const std::vector<int>& widths, const std::vector<int>& drop_ranks,
                                  int available);

/// The read-out text controls of a viewer (pointer x, y, colour; selection
/// width × height) in two groups of @p row.
struct Readouts
{
    void create(wxWindow* owner, OneRow& row, int pointer_rank, int selection_rank);
    void relabel();

    wxTextCtrl* x = nullptr;
    wxTextCtrl* y = nullptr;
    wxTextCtrl* rgb = nullptr;
    wxTextCtrl* width = nullptr;
    wxTextCtrl* height = nullptr;
    wxStaticText* times = nullptr;
    wxSizer* pointer_group = nullptr;
    wxSizer* selection_group = nullptr;
};

/// A button showing a standard icon of the toolkit's art provider.
wxBitmapButton* icon_button(wxWindow* owner, const wxString& art_id);

/// Keeps @p relabel to be called on every language change while @p form
/// lives; the form calls forget_form() when it goes.
void remember_form(const void* form, std::function<void()> relabel);
void forget_form(const void* form);

/// The number typed in a text input, ignoring blanks around it and a
/// trailing unit sign (%, °); nullopt when it is not a number.
std::optional<double> typed_number(const wxString& text);
/// @p value as an input shows it: up to six significant digits, '.' as
/// the decimal point whatever the locale.
wxString number_text(double value);

/// Has @p handler called when Enter is pressed in @p input or the focus
/// leaves it: a typed value takes effect without a separate command. The
/// focus passing to @p partner, an input of the same value (the other end
/// of a pair), applies nothing: the pair is typed in both first.
template <class Handler>
void route_text_input(wxTextCtrl* input, Handler handler, const wxWindow* partner = nullptr)
{
    input->Bind(wxEVT_TEXT_ENTER, handler);
    input->Bind(wxEVT_KILL_FOCUS, [input, handler, partner](wxFocusEvent& event) {
        event.Skip();
        if (partner && event.GetWindow() == partner)
            return;
        // Focus also leaves a window that is being destroyed, with its owner half gone.
        const wxWindow* top = wxGetTopLevelParent(input);
        if (input->IsBeingDeleted() || (top && top->IsBeingDeleted()))
            return;
        wxCommandEvent changed(wxEVT_TEXT_ENTER, input->GetId());
        changed.SetEventObject(input);
        changed.SetString(input->GetValue());
        handler(changed);
    });
}

/// Routes the mouse events of the viewport to the form's handlers.
template <class Form>
void route_viewport_mouse(Form* form)
{
    form->ui_image->Bind(wxEVT_MOUSEWHEEL, guarded(form, &Form::on_mouse_wheel, "on_mouse_wheel"));
    form->ui_image->Bind(wxEVT_MOTION, guarded(form, &Form::on_mouse_motion, "on_mouse_motion"));
    form->ui_image->Bind(wxEVT_LEFT_DOWN, guarded(form, &Form::on_start_dragging, "on_start_dragging"));
    form->ui_scroll_bar_horizontal->Bind(wxEVT_MOUSEWHEEL, guarded(form, &Form::on_mouse_wheel_scroll, "on_mouse_wheel_scroll"));
    form->ui_scroll_bar_vertical->Bind(wxEVT_MOUSEWHEEL, guarded(form, &Form::on_mouse_wheel_scroll, "on_mouse_wheel_scroll"));
    form->ui_image->Bind(wxEVT_LEAVE_WINDOW, guarded(form, &Form::on_mouse_leave, "on_mouse_leave"));
}

} // namespace tesk_vumo::form_parts

#endif
