// Thousands of random actions per viewer, drawn from everything a user or a
// host can do, each followed by the invariants every state must keep.
// TESK_VUMO_STORM_SEED replays a run, TESK_VUMO_STORM_ACTIONS lengthens it.

#include "corrupt_corpus.h"
#include "reliability_support.h"
#include "scripted_interaction.h"
#include "storm.h"
#include "test_support.h"

#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/common/view_transform.h"
#include "tesk_vumo/common/viewer_events.h"
#include "tesk_vumo/i18n/i18n.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <chrono>
#include <cmath>
#include <map>
#include <type_traits>

#include <opencv2/imgproc.hpp>
#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/weakref.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

/// The viewer's displayed image, or none where it is too large to make
/// (a free view kept from a fit that enlarged far: asking for it is refused).
template <class Viewer>
cv::Mat shown_image(const Viewer& viewer)
{
    const cv::Size size = viewer.displayed_size();
    return std::uint64_t(size.width) * size.height > max_image_pixels() ? cv::Mat() : viewer.image_being_shown();
}

/// Files the host and the file dialogs point the viewers at.
struct StormFiles
{
    std::vector<std::filesystem::path> good;
    std::map<std::filesystem::path, cv::Size> good_sizes;
    std::vector<std::filesystem::path> bad;
    std::vector<std::filesystem::path> save_targets;   ///< writable
    std::vector<std::filesystem::path> failing_targets; ///< each makes a save fail
};

StormFiles make_storm_files(Rng& rng)
{
    StormFiles files;
    const std::filesystem::path dir = temp_dir();
    write_rgb(dir / "small.png", gradient(50, 40));
    write_rgb(dir / "photo.jpg", gradient(300, 200));
    write_rgb(dir / "large.bmp", gradient(900, 700));
    write_rgb(dir / "dot.png", gradient(1, 1));
    cv::Mat gray(90, 120, CV_8UC1);
    cv::randu(gray, 0, 256);
    cv::imwrite((dir / "gray.png").string(), gray);
    for (const char* name : {"small.png", "photo.jpg", "large.bmp", "dot.png", "gray.png"}) {
        files.good.push_back(dir / name);
        files.good_sizes[dir / name] = read_rgb(dir / name).size();
    }

    bool unreadable_skipped = false;
    const std::filesystem::path broken = dir / "broken";
    std::filesystem::create_directory(broken);
    // Not the headers that make the codec allocate hundreds of megabytes:
    // the corrupt-file tests try those, here they would only cost time.
    for (const CorpusFile& file : make_corrupt_corpus(broken, rng, unreadable_skipped))
        if (file.path.stem() != "wide" && codec_reading(file.path).empty() && rng.chance(0.25))
            files.bad.push_back(file.path);

    const std::filesystem::path out = dir / "out";
    std::filesystem::create_directory(out);
    for (const char* name : {"view.bmp", "view.png", "view.jpg", "again.bmp"})
        files.save_targets.push_back(out / name);
    write_bytes(dir / "plain", {1, 2, 3});
    files.failing_targets = {dir / "plain" / "view.png", out, dir / "view.xyz", dir / "no_such_dir" / "v.png"};
    return files;
}

/// A new size for a viewer: collapsed to zero width or height, back to the
/// size it had before it was collapsed, or anything.
wxSize random_viewer_size(Rng& rng, wxSize current, wxSize& last_open)
{
    if (current.x > 0 && current.y > 0)
        last_open = current;
    switch (rng.between(0, 6)) {
    case 0: return {0, current.y};
    case 1: return {current.x, 0};
    case 2: return {0, 0};
    case 3:
    case 4:
        if (last_open.x > 0)
            return last_open;
        [[fallthrough]];
    default: return {rng.between(1, 900), rng.between(1, 700)};
    }
}

std::string text(wxTextCtrl* control)
{
    return control->GetValue().ToStdString();
}

std::string str(const wxRect& r)
{
    return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) + ", "
           + std::to_string(r.height) + ")";
}

int saturated(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

/// The storm of ImagePanel and Image (the viewers built on the viewing core).
template <class Viewer>
class CoreStorm : public Storm
{
public:
    static constexpr bool is_panel = std::is_same_v<Viewer, ImagePanel>;

    CoreStorm(unsigned seed, wxFrame* frame, Viewer* viewer, ScriptedInteraction& script, const StormFiles& files)
        : Storm(seed, frame), v(viewer), script(script), files(files)
    {
        fittings_seen_ = v->fitting_count();
        add("pointer motion", 14, [this] { motion(pick_point(), rng.chance(0.5)); });
        add("button press", 6, [this] { press(pick_point()); });
        add("button release", 2, [this] { mouse(wxEVT_LEFT_UP, pick_point(), false); });
        add("drag", 6, [this] { drag(); });
        add("wheel over the picture", 8, [this] { wheel(); });
        add("wheel over a scroll bar", 4, [this] { wheel_on_bar(); });
        add("scroll-bar event", 6, [this] { scroll_event(); });
        add("resize the viewer", 5, [this] { resize_viewer(); });
        add("resize the frame", 1, [this] { resize_frame(random_frame_size()); });
        add("host zoom mode", 4, [this] { host_zoom(); });
        add("host rotation", 4, [this] { host_rotation(); });
        add("host image", 5, [this] { host_image(); });
        add("host invalid array", 2, [this] { host_invalid_array(); });
        add("host file", 2, [this] { host_file(); });
        add("host clear", 2, [this] { host_clear(); });
        add("host selection", 4, [this] { host_selection(); });
        add("host selecting switch", 2, [this] { host_selecting(); });
        add("host colours and data", 2, [this] { host_colours(); });
        add("host keeps pixels", 2, [this] { host_keeps_pixels(); });
        add("load command", 2, [this] { load_command(); });
        add("save command", 2, [this] { save_command(); });
        add("paint", 1, [this] {
            v->ui_image->Refresh();
            pump();
        });
        if constexpr (is_panel) {
            add("docked zoom choice", 3, [this] { docked_choice(v->ui_zoom_mode, true); });
            add("docked rotation choice", 3, [this] { docked_choice(v->ui_angle, false); });
            add("guide-line check box", 3, [this] { check_box(); });
            add("undock the assist bar", 2, [this] { undock(); });
            add("floating choice", 3, [this] { floating_choice(); });
            add("close the floating window", 2, [this] { close_floating(); });
        } else {
            add("popup menu", 4, [this] { popup(); });
            add("menu command", 5, [this] { menu_command(random_menu_id()); });
            add("host guide-line flags", 2, [this] { host_line_flags(); });
        }
    }

    int picture_checks = 0; ///< buffers compared with what they should show
    long files_saved = 0;   ///< saves that reached the writer

private:
    // ---- reading the viewer
    wxScrollBar* hbar() const { return v->ui_scroll_bar_horizontal; }
    wxScrollBar* vbar() const { return v->ui_scroll_bar_vertical; }
    wxSize client() const { return v->ui_image->GetClientSize(); }

    /// Whether a fitting of @p source under @p mode and @p rotation on the
    /// present surface cannot form a scale (the documented ValueError).
    bool fit_fails(cv::Size source, ZoomMode mode, Rotation rotation) const
    {
        if (source.empty() || mode == ZoomMode::ZoomAny)
            return false;
        const wxSize surface = v->ui_image->GetSize();
        // A fit mode on a surface without area waits for one.
        if ((surface.x <= 0 || surface.y <= 0) && mode != ZoomMode::NoZoom && mode != ZoomMode::ZoomAny)
            return false;
        try {
            geometry::fitted_size(mode, geometry::rotated_size(source, rotation), {surface.x, surface.y});
            return false;
        } catch (const ValueError&) {
            return true;
        }
    }
    bool fit_fails_now() const { return fit_fails(v->source_image().size(), v->zoom_mode(), v->rotation()); }

    bool middle_lines() const
    {
        if constexpr (is_panel)
            return v->ui_checkbox_middle_lines->IsChecked();
        else
            return v->middle_line_enabled();
    }
    bool following_lines() const
    {
        if constexpr (is_panel)
            return v->ui_checkbox_follow_lines->IsChecked();
        else
            return v->following_line_enabled();
    }

    /// The displayed-image pixel under control point @p at, from the place
    /// of the last redraw and the scroll bars; (-1, -1) outside the image.
    wxPoint pixel_under(wxPoint at) const
    {
        const cv::Size shown = v->displayed_size();
        if (v->source_image().empty() || shown.area() == 0)
            return {-1, -1};
        const wxRect r = v->image_rect();
        if (at.x < r.x || at.y < r.y || at.x > r.x + r.width - 1 || at.y > r.y + r.height - 1)
            return {-1, -1};
        const wxPoint pixel(at.x + hbar()->GetThumbPosition() - r.x, at.y + vbar()->GetThumbPosition() - r.y);
        if (pixel.x >= shown.width || pixel.y >= shown.height)
            return {-1, -1};
        return pixel;
    }

    wxPoint pick_point()
    {
        const wxRect r = v->image_rect();
        if (r.width > 0 && r.height > 0 && rng.chance(0.7))
            return {rng.between(r.x, r.x + r.width - 1), rng.between(r.y, r.y + r.height - 1)};
        const wxSize c = client();
        return {rng.between(-20, std::max(c.x, 0) + 20), rng.between(-20, std::max(c.y, 0) + 20)};
    }

    wxSize random_frame_size()
    {
        return rng.chance(0.2) ? wxSize(rng.between(1, 60), rng.between(1, 60))
                               : wxSize(rng.between(200, 1000), rng.between(150, 800));
    }

    // ---- pointer
    void mouse(wxEventType type, wxPoint at, bool left_down)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetLeftDown(left_down);
        deliver(v->ui_image, event, "a mouse event");
        if (type != wxEVT_LEFT_UP)
            EXPECT_EQ(v->mouse_position_in_panel(), at);
    }

    void motion(wxPoint at, bool dragging)
    {
        detail << "to (" << at.x << ", " << at.y << ")" << (dragging ? " dragging" : "");
        const wxPoint pixel = pixel_under(at);
        const wxRect before = v->selection_rect();
        const std::string x_before = text(v->ui_x);
        mouse(wxEVT_MOTION, at, dragging);
        const wxRect after = v->selection_rect();
        if (pixel.x < 0) {
            EXPECT_EQ(after, before) << "moved outside the image";
            EXPECT_EQ(text(v->ui_x), x_before);
            return;
        }
        EXPECT_EQ(text(v->ui_x), std::to_string(pixel.x));
        EXPECT_EQ(text(v->ui_y), std::to_string(pixel.y));
        const cv::Mat shown = shown_image(*v);
        if (!shown.empty()) {
            const cv::Vec3b rgb = shown.template at<cv::Vec3b>(pixel.y, pixel.x);
            EXPECT_EQ(text(v->ui_rgb), std::to_string(rgb[0]) + ", " + std::to_string(rgb[1]) + ", "
                                           + std::to_string(rgb[2]));
        }
        if (dragging && v->selecting_enabled() && before.GetPosition() != wxPoint(-1, -1)) {
            // Both the anchor and the pointer pixel, whichever way the drag goes.
            auto extent = [](int anchor, int pointer) {
                const long long moved = static_cast<long long>(pointer) - anchor;
                return saturated(moved >= 0 ? moved + 1 : moved - 1);
            };
            const wxRect grown(before.x, before.y, extent(before.x, pixel.x), extent(before.y, pixel.y));
            EXPECT_EQ(str(after), str(grown)) << "dragged to pixel (" << pixel.x << ", " << pixel.y << ")";
        } else {
            EXPECT_EQ(after, before);
        }
        readouts_in_sync_ = true;
    }

    void press(wxPoint at)
    {
        detail << "at (" << at.x << ", " << at.y << ") drawn " << str(v->image_rect()) << " scrolled ("
               << hbar()->GetThumbPosition() << ", " << vbar()->GetThumbPosition() << ") of "
               << shown_image(*v).cols << "x" << shown_image(*v).rows << "; ";
        const wxPoint pixel = pixel_under(at);
        const wxRect before = v->selection_rect();
        mouse(wxEVT_LEFT_DOWN, at, true);
        if (!v->selecting_enabled()) {
            EXPECT_EQ(v->selection_rect(), before) << "selecting is off";
            return;
        }
        if (pixel.x >= 0) {
            host_anchor_.reset();
            EXPECT_EQ(str(v->selection_rect()), str(wxRect(pixel.x, pixel.y, 0, 0)));
            readouts_in_sync_ = true;
        } else {
            // A press clears an anchored selection; one already at (-1, -1),
            // whatever size a host gave it, is left as it is.
            const bool cleared = before.GetPosition() == wxPoint(-1, -1);
            if (!cleared)
                host_anchor_.reset();
            EXPECT_EQ(str(v->selection_rect()), str(cleared ? before : wxRect(-1, -1, 0, 0)));
            readouts_in_sync_ = false;
        }
    }

    void drag()
    {
        press(pick_point());
        for (int i = rng.between(1, 5); i > 0; --i)
            motion(pick_point(), true);
        mouse(wxEVT_LEFT_UP, pick_point(), false);
    }

    // ---- scrolling
    static int max_position(wxScrollBar* bar) { return std::max(0, bar->GetRange() - bar->GetThumbSize()); }

    void expect_scrolled(wxScrollBar* bar, int before, int sign, int count)
    {
        const int wanted = std::clamp(before - sign * count, 0, max_position(bar));
        EXPECT_EQ(bar->GetThumbPosition(), wanted) << "from " << before << " by " << -sign * count;
    }

    void wheel()
    {
        const wxPoint at = pick_point();
        const int rotation = rng.pick(std::vector<int>{120, -120, 240, -360, 1, -1, 0});
        detail << "at (" << at.x << ", " << at.y << ") by " << rotation;
        const wxSize c = client();
        wxScrollBar* bar = c.y - at.y <= c.x - at.x ? hbar() : vbar();
        wxScrollBar* other = bar == hbar() ? vbar() : hbar();
        const int before = bar->GetThumbPosition(), other_before = other->GetThumbPosition();
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.SetPosition(at);
        event.m_wheelRotation = rotation;
        event.m_wheelDelta = 120;
        event.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
        deliver(v->ui_image, event, "a wheel turn");
        expect_scrolled(bar, before, geometry::wheel_sign(rotation), 10);
        EXPECT_EQ(other->GetThumbPosition(), other_before);
    }

    void wheel_on_bar()
    {
        wxScrollBar* bar = rng.chance(0.5) ? hbar() : vbar();
        const int rotation = rng.chance(0.5) ? 120 : -120;
        detail << (bar == hbar() ? "horizontal" : "vertical") << " by " << rotation;
        const int before = bar->GetThumbPosition();
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.SetPosition(wxPoint(3, 3));
        event.m_wheelRotation = rotation;
        event.m_wheelDelta = 120;
        event.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
        deliver(bar, event, "a wheel turn over a scroll bar");
        expect_scrolled(bar, before, geometry::wheel_sign(rotation), 1);
    }

    void scroll_event()
    {
        static const wxEventType types[] = {wxEVT_SCROLL_TOP,      wxEVT_SCROLL_BOTTOM,     wxEVT_SCROLL_LINEUP,
                                            wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP,     wxEVT_SCROLL_PAGEDOWN,
                                            wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE,
                                            wxEVT_SCROLL_CHANGED};
        wxScrollBar* bar = rng.chance(0.5) ? hbar() : vbar();
        const int position = rng.between(-5, bar->GetRange() + 5);
        detail << (bar == hbar() ? "horizontal" : "vertical") << " to " << position;
        bar->SetThumbPosition(position);
        const unsigned long redraws = v->redraw_count();
        wxScrollEvent event(types[rng.between(0, 8)], bar->GetId(), bar->GetThumbPosition(),
                            bar == hbar() ? wxHORIZONTAL : wxVERTICAL);
        deliver(bar, event, "a scroll-bar event");
        if (!shown_image(*v).empty() && v->buffer().IsOk())
            EXPECT_GT(v->redraw_count(), redraws) << "a scroll event redraws";
    }

    // ---- sizes
    void resize_viewer()
    {
        const wxSize size = random_viewer_size(rng, v->GetSize(), last_open_size_);
        detail << size.x << "x" << size.y;
        v->SetSize(size);
    }

    // ---- host calls
    /// Runs @p call, which must throw ValueError exactly when @p fails, and
    /// then leave the picture, scroll bars and selection as they were.
    template <class Call>
    void expect_fitting_outcome(bool fails, Call&& call)
    {
        const auto before = state();
        try {
            call();
            EXPECT_FALSE(fails) << "no ValueError although the fitting cannot scale";
        } catch (const ValueError& error) {
            EXPECT_TRUE(fails) << "unexpected ValueError: " << error.what();
            EXPECT_EQ(state(), before) << "a failed fitting changed the view";
        } catch (const std::exception& error) {
            ADD_FAILURE() << "unexpected error: " << error.what();
        }
    }

    void host_zoom()
    {
        const auto mode = static_cast<ZoomMode>(rng.between(0, 4));
        detail << name(mode);
        const bool fails = !v->source_image().empty() && fit_fails(v->source_image().size(), mode, v->rotation());
        const ZoomMode previous = v->zoom_mode();
        expect_fitting_outcome(fails, [&] { v->set_zoom_mode(mode); });
        // A refused mode is taken back.
        const ZoomMode kept = fails ? previous : mode;
        EXPECT_EQ(v->zoom_mode(), kept);
        if constexpr (is_panel)
            EXPECT_EQ(v->ui_zoom_mode->GetSelection(), static_cast<int>(kept));
    }

    void host_rotation()
    {
        const auto rotation = static_cast<Rotation>(rng.between(0, 4));
        detail << name(rotation);
        const bool fails = fit_fails(v->source_image().size(), v->zoom_mode(), rotation);
        const Rotation previous = v->rotation();
        expect_fitting_outcome(fails, [&] { v->set_rotation(rotation); });
        EXPECT_EQ(v->rotation(), fails ? previous : rotation);
    }

    void host_image()
    {
        const cv::Mat image = random_image(rng);
        detail << image.cols << "x" << image.rows << "x" << image.channels();
        const cv::Mat previous = v->source_image();
        const int h_before = hbar()->GetThumbPosition(), v_before = vbar()->GetThumbPosition();
        const cv::Size shown_before = shown_image(*v).size();
        const bool fails = fit_fails(image.size(), v->zoom_mode(), v->rotation());
        expect_fitting_outcome(fails, [&] { v->set_source_image(image); });
        if (fails) {
            EXPECT_EQ(v->source_image().data, previous.data);
            return;
        }
        if (image.channels() == 3)
            EXPECT_EQ(v->source_image().data, image.data) << "a colour array is shared, not copied";
        else
            EXPECT_EQ(v->source_image().type(), CV_8UC3);
        const bool same_size = !previous.empty() && previous.size() == image.size();
        if (same_size && shown_image(*v).size() == shown_before) {
            EXPECT_EQ(hbar()->GetThumbPosition(), h_before) << "an image of the same size keeps the scroll";
            EXPECT_EQ(vbar()->GetThumbPosition(), v_before);
        }
    }

    void host_invalid_array()
    {
        const cv::Mat value = rng.pick(invalid_arrays());
        detail << "type " << value.type() << ", " << value.dims << " dimensions";
        const auto before = state();
        try {
            v->set_source_image(value);
            ADD_FAILURE() << "no TypeError";
        } catch (const TypeError&) {
        } catch (const std::exception& error) {
            ADD_FAILURE() << "unexpected error: " << error.what();
        }
        EXPECT_EQ(state(), before);
    }

    void host_file()
    {
        const bool good = rng.chance(0.5);
        const std::filesystem::path path = rng.pick(good ? files.good : files.bad);
        detail << path.filename().string();
        if (!good) {
            const auto before = state();
            EXPECT_THROW(v->set_source_image(path), AssertionError);
            EXPECT_EQ(state(), before);
            return;
        }
        const cv::Size expected = files.good_sizes.at(path);
        const bool fails = fit_fails(expected, v->zoom_mode(), v->rotation());
        expect_fitting_outcome(fails, [&] { v->set_source_image(path); });
        if (!fails)
            EXPECT_EQ(v->source_image().size(), expected);
    }

    void host_clear()
    {
        const auto before = state();
        v->set_source_image(std::nullopt);
        EXPECT_TRUE(v->source_image().empty());
        EXPECT_EQ(shown_image(*v).data, before.shown) << "clearing keeps the displayed image";
        EXPECT_EQ(v->selection_rect(), before.selection);
        EXPECT_EQ(hbar()->GetThumbPosition(), before.h);
        EXPECT_EQ(vbar()->GetThumbPosition(), before.v);
    }

    void host_selection()
    {
        const cv::Mat shown = shown_image(*v);
        std::array<int, 4> rect;
        if (!shown.empty() && rng.chance(0.5))
            rect = {rng.between(-5, shown.cols + 5), rng.between(-5, shown.rows + 5), rng.between(-50, 50),
                    rng.between(-50, 50)};
        else
            rect = {rng.wild(), rng.wild(), rng.wild(), rng.wild()};
        detail << "(" << rect[0] << ", " << rect[1] << ", " << rect[2] << ", " << rect[3] << ")";
        v->set_selection_rect(rect);
        EXPECT_EQ(str(v->selection_rect()), str(wxRect(rect[0], rect[1], rect[2], rect[3])));
        host_anchor_ = wxPoint(rect[0], rect[1]);
        readouts_in_sync_ = false;

        // Read back as a host would.
        const auto normalised = v->get_selection_rect();
        EXPECT_GE(normalised[2], 0);
        EXPECT_GE(normalised[3], 0);
        const auto pixels = v->get_selection_image();
        // Within the displayed image, where it can be made at all.
        if (pixels && !pixels->empty() && !shown.empty()) {
            EXPECT_LE(pixels->cols, shown.cols);
            EXPECT_LE(pixels->rows, shown.rows);
            EXPECT_GE(pixels->data, shown.datastart);
            EXPECT_LE(pixels->data + pixels->step[0] * (pixels->rows - 1) + pixels->cols * 3, shown.dataend);
        }
    }

    void host_selecting()
    {
        const bool enable = rng.chance(0.5);
        detail << (enable ? "on" : "off");
        const wxRect before = v->selection_rect();
        v->enable_selecting(enable);
        EXPECT_EQ(v->selecting_enabled(), enable);
        if (enable) {
            EXPECT_EQ(v->selection_rect(), before);
        } else {
            EXPECT_EQ(str(v->selection_rect()), str(wxRect(0, 0, 0, 0)));
            host_anchor_ = wxPoint(0, 0);
            readouts_in_sync_ = false;
        }
    }

    void host_colours()
    {
        const wxColour middle(rng.between(0, 255), rng.between(0, 255), rng.between(0, 255));
        const wxColour following(rng.between(0, 255), rng.between(0, 255), rng.between(0, 255));
        v->set_middle_line_color(middle);
        v->set_following_line_color(following);
        const int data = rng.between(0, 1000);
        v->set_user_data(data);
        EXPECT_EQ(v->middle_line_color(), middle);
        EXPECT_EQ(v->following_line_color(), following);
        EXPECT_EQ(std::any_cast<int>(v->user_data()), data);
    }

    /// The host keeps the displayed image or the selected pixels; later
    /// fittings must not write into memory the host still holds.
    void host_keeps_pixels()
    {
        cv::Mat kept;
        if (rng.chance(0.5)) {
            kept = shown_image(*v);
        } else if (auto pixels = v->get_selection_image()) {
            kept = *pixels;
        }
        if (kept.empty())
            return;
        // A corner is enough: it holds the whole image's memory.
        kept = kept(cv::Rect(0, 0, std::min(kept.cols, 24), std::min(kept.rows, 24)));
        detail << kept.cols << "x" << kept.rows;
        held_.push_back({kept, kept.clone()});
        if (held_.size() > 4)
            held_.erase(held_.begin());
    }

    // ---- file commands
    void load_command()
    {
        const int choice = rng.between(0, 9);
        std::optional<std::filesystem::path> path;
        if (choice < 5)
            path = rng.pick(files.good);
        else if (choice < 9)
            path = rng.pick(files.bad);
        detail << (path ? path->filename().string() : "cancelled");
        script.paths.push_back(path ? std::optional<wxString>(wxString(path->c_str(), *wxConvFileName))
                                    : std::nullopt);
        const cv::Size expected = path && files.good_sizes.count(*path) ? files.good_sizes.at(*path) : cv::Size();
        pump(); // the event loop runs while the file decodes: a pending layout is not the load's doing
        const bool fails = fit_fails(expected, v->zoom_mode(), v->rotation());
        const auto before = state();
        const size_t messages = script.messages.size();
        if constexpr (is_panel) {
            wxButton* button = v->ui_panel_assist->IsShown() || !open_assist() ? v->ui_button_load
                                                                                : open_assist()->ui_button_load;
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            deliver(button, click, "the load button");
        } else {
            menu_command(ImageForm::ID_LOAD_IMAGE);
        }
        ASSERT_TRUE(load_ended(v));
        // A file that cannot be decoded, or whose image cannot be fitted, is
        // reported and changes nothing.
        if (path && (expected.empty() || fails)) {
            ASSERT_EQ(script.messages.size(), messages + 1);
            EXPECT_EQ(script.messages.back().style, wxOK | wxICON_ERROR);
        } else {
            EXPECT_EQ(script.messages.size(), messages);
        }
        State after = state();
        after.buffer = before.buffer; // the event loop ran during the load: a redraw may make it anew
        if (!path || expected.empty() || fails)
            EXPECT_EQ(after, before);
        else
            EXPECT_EQ(v->source_image().size(), expected);
    }

    void save_command()
    {
        const int choice = rng.between(0, 9);
        std::optional<std::filesystem::path> path;
        if (choice < 6)
            path = rng.pick(files.save_targets);
        else if (choice < 9)
            path = rng.pick(files.failing_targets);
        const bool grayscale = !is_panel && rng.chance(0.5);
        detail << (path ? path->filename().string() : "cancelled") << (grayscale ? " in gray" : "") << " of "
               << shown_image(*v).cols << "x" << shown_image(*v).rows << " selected "
               << str(v->selection_rect());
        script.paths.push_back(path ? std::optional<wxString>(wxString(path->c_str(), *wxConvFileName))
                                    : std::nullopt);
        const auto before = state();
        const size_t dialogs = script.file_dialogs.size(), messages = script.messages.size();
        cv::Size expected_size = v->displayed_size();
        const auto [x, y, w, h] = v->get_selection_rect();
        bool nothing_selected_inside = false; // a selection wholly outside the image
        const bool selected = !(x == -1 && y == -1) && w > 0 && h > 0;
        if (selected) {
            const cv::Rect part = geometry::clip_to_image({x, y, w, h}, expected_size);
            expected_size = part.size();
            nothing_selected_inside = part.area() == 0;
        }
        // Without a selection the whole displayed image is saved, where it can be made.
        const bool savable = v->displayed_size().area() > 0 && !v->source_image().empty()
                             && (selected || !shown_image(*v).empty());
        if constexpr (is_panel) {
            wxButton* button = v->ui_panel_assist->IsShown() || !open_assist() ? v->ui_button_save
                                                                                : open_assist()->ui_button_save;
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            deliver(button, click, "the save button");
        } else {
            menu_command(grayscale ? ImageForm::ID_SAVE_GRAYSCALE : ImageForm::ID_SAVE_CURRENT_VIEW);
        }
        EXPECT_EQ(state(), before) << "saving changes nothing in the viewer";
        if (!savable) {
            EXPECT_EQ(script.file_dialogs.size(), dialogs) << "nothing to save: no dialog";
            script.paths.clear();
            return;
        }
        ASSERT_EQ(script.file_dialogs.size(), dialogs + 1);
        if (!path) {
            EXPECT_EQ(script.messages.size(), messages);
            return;
        }
        ASSERT_EQ(script.messages.size(), messages + 1);
        // JPEG holds at most 65535 pixels a side: a wider view cannot be saved in it.
        const bool too_wide =
            path->extension() == ".jpg" && std::max(expected_size.width, expected_size.height) > 65535;
        const bool writable =
            !too_wide && !nothing_selected_inside
            && std::find(files.save_targets.begin(), files.save_targets.end(), *path) != files.save_targets.end();
        EXPECT_EQ(script.messages.back().style, wxOK | (writable ? wxICON_INFORMATION : wxICON_ERROR));
        if (writable) {
            const cv::Mat written = cv::imread(path->string(), cv::IMREAD_UNCHANGED);
            EXPECT_EQ(written.size(), expected_size);
            EXPECT_EQ(written.channels(), grayscale ? 1 : 3);
        }
        ++files_saved;
    }

    // ---- ImagePanel's assist bar
    ImagePanelAssist* open_assist() const
    {
        if constexpr (is_panel) {
            ImagePanelAssist* assist = v->assist();
            return assist && !wxTheApp->IsScheduledForDestruction(assist) ? assist : nullptr;
        }
        return nullptr;
    }

    /// Picks @p item of @p choice as a user would: selection, then event.
    void choose(wxChoice* choice, int item)
    {
        choice->SetSelection(item);
        wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
        event.SetInt(item);
        deliver(choice, event, "a choice");
    }

    template <class Choice>
    void docked_choice(Choice* choice, bool zoom)
    {
        const int item = rng.between(0, 4);
        detail << item;
        const ZoomMode mode = zoom ? static_cast<ZoomMode>(item) : v->zoom_mode();
        const Rotation rotation = zoom ? v->rotation() : static_cast<Rotation>(item);
        const bool fails = fit_fails(v->source_image().size(), mode, rotation);
        const ZoomMode previous_mode = v->zoom_mode();
        const Rotation previous_rotation = v->rotation();
        const auto before = state();
        choose(choice, item);
        // A refused choice is taken back.
        const bool taken_back = fails;
        EXPECT_EQ(v->zoom_mode(), taken_back && zoom ? previous_mode : mode);
        EXPECT_EQ(v->rotation(), taken_back && !zoom ? previous_rotation : rotation);
        EXPECT_EQ(choice->GetSelection(),
                  zoom ? static_cast<int>(v->zoom_mode()) : static_cast<int>(v->rotation()));
        const wxSize surface = v->ui_image->GetSize();
        const bool waits = (surface.x <= 0 || surface.y <= 0) && v->zoom_mode() != ZoomMode::NoZoom;
        if (fails)
            EXPECT_EQ(state(), before);
        else if (!v->source_image().empty() && !waits)
            EXPECT_EQ(v->fitting_count(), before.fittings + 1);
    }

    void check_box()
    {
        if constexpr (is_panel) {
            wxCheckBox* box = rng.chance(0.5) ? v->ui_checkbox_middle_lines : v->ui_checkbox_follow_lines;
            const bool checked = rng.chance(0.5);
            detail << (box == v->ui_checkbox_middle_lines ? "middle " : "following ") << checked;
            if (rng.chance(0.2)) {
                v->enable_middle_lines(checked);
                return;
            }
            box->SetValue(checked);
            wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
            event.SetInt(checked);
            deliver(box, event, "a check box");
        }
    }

    void undock()
    {
        if constexpr (is_panel) {
            if (!v->ui_panel_assist->IsShown())
                return;
            wxCommandEvent click(wxEVT_BUTTON, v->ui_button_close_assist->GetId());
            deliver(v->ui_button_close_assist, click, "the close button of the assist bar");
            ASSERT_NE(open_assist(), nullptr);
            EXPECT_TRUE(open_assist()->IsShown());
            EXPECT_FALSE(v->ui_panel_assist->IsShown());
            EXPECT_EQ(open_assist()->ui_zoom_mode->GetSelection(), v->ui_zoom_mode->GetSelection());
            EXPECT_EQ(open_assist()->ui_angle->GetSelection(), v->ui_angle->GetSelection());
        }
    }

    void floating_choice()
    {
        if constexpr (is_panel) {
            ImagePanelAssist* assist = open_assist();
            if (!assist)
                return;
            const bool zoom = rng.chance(0.5);
            const int item = rng.between(0, 4);
            detail << (zoom ? "zoom " : "rotation ") << item;
            const ZoomMode mode_before = v->zoom_mode();
            const Rotation rotation_before = v->rotation();
            // A refused choice is taken back.
            const bool refused = fit_fails(v->source_image().size(), zoom ? static_cast<ZoomMode>(item) : mode_before,
                                           zoom ? rotation_before : static_cast<Rotation>(item));
            choose(zoom ? assist->ui_zoom_mode : assist->ui_angle, item);
            if (zoom) {
                EXPECT_EQ(assist->ui_zoom_rate->IsEnabled(), v->zoom_mode() == ZoomMode::ZoomAny);
                EXPECT_EQ(v->zoom_mode(), refused ? mode_before : static_cast<ZoomMode>(item));
                EXPECT_EQ(v->ui_zoom_mode->GetSelection(), static_cast<int>(v->zoom_mode()));
                EXPECT_EQ(assist->ui_zoom_mode->GetSelection(), static_cast<int>(v->zoom_mode()));
            } else {
                EXPECT_EQ(v->rotation(), refused ? rotation_before : static_cast<Rotation>(item));
                EXPECT_EQ(assist->ui_angle->GetSelection(), static_cast<int>(v->rotation()));
            }
        }
    }

    void close_floating()
    {
        if constexpr (is_panel) {
            ImagePanelAssist* assist = open_assist();
            if (!assist)
                return;
            const bool settle = rng.chance(0.5);
            detail << (settle ? "and let the re-dock run" : "with the re-dock left queued");
            assist->Close();
            if (settle) {
                pump();
                EXPECT_TRUE(v->ui_panel_assist->IsShown());
                EXPECT_EQ(v->assist(), nullptr);
            }
        }
    }

    // ---- Image's popup menu
    int random_menu_id()
    {
        return rng.between(ImageForm::ID_ZOOM_FIT_PAGE, ImageForm::ID_HIDE_FOLLOWING_LINES);
    }

    void menu_command(int id)
    {
        if constexpr (!is_panel) {
            detail << " item " << id - ImageForm::ID_ZOOM_FIT_PAGE;
            wxCommandEvent command(wxEVT_MENU, id);
            deliver(v, command, "a menu command");
        }
    }

    void popup()
    {
        if constexpr (!is_panel) {
            const bool pressed = rng.chance(0.7);
            const wxPoint at = pick_point();
            if (pressed) {
                wxMouseEvent right(wxEVT_RIGHT_DOWN);
                right.SetPosition(at);
                deliver(v->ui_image, right, "a right press");
                EXPECT_EQ(v->popup_menu_position(), std::optional<wxPoint>(at));
            }
            const int id = rng.chance(0.2) ? 0 : random_menu_id();
            script.on_popup = [this, id] {
                if (id)
                    menu_command(id);
            };
            const size_t popups = script.popups.size();
            wxContextMenuEvent event(wxEVT_CONTEXT_MENU, v->GetId(), v->ClientToScreen(at));
            deliver(v, event, "a context-menu request");
            script.on_popup = nullptr;
            ASSERT_EQ(script.popups.size(), popups + 1);
            if (pressed)
                EXPECT_EQ(script.popups.back().position, at);
            EXPECT_FALSE(v->popup_menu_position().has_value());
        }
    }

    void host_line_flags()
    {
        if constexpr (!is_panel) {
            v->set_middle_line_enabled(rng.chance(0.5));
            v->set_following_line_enabled(rng.chance(0.5));
        }
    }

    // ---- invariants
    struct State
    {
        const uchar* source;
        const uchar* shown;
        cv::Size shown_size;
        wxRect selection;
        int h, v;
        unsigned long fittings;
        wxBitmap buffer;
        bool operator==(const State& o) const
        {
            return source == o.source && shown == o.shown && shown_size == o.shown_size && selection == o.selection
                   && h == o.h && v == o.v && fittings == o.fittings && buffer.IsSameAs(o.buffer);
        }
    };
    friend std::ostream& operator<<(std::ostream& os, const State& s)
    {
        return os << "{source " << static_cast<const void*>(s.source) << ", shown "
                  << static_cast<const void*>(s.shown) << " " << s.shown_size << ", selection " << str(s.selection)
                  << ", scroll (" << s.h << ", " << s.v << "), fittings " << s.fittings << "}";
    }
    State state() const
    {
        return {v->source_image().data,  shown_image(*v).data, shown_image(*v).size(),
                v->selection_rect(),     hbar()->GetThumbPosition(),   vbar()->GetThumbPosition(),
                v->fitting_count(),      v->buffer()};
    }

    void check_invariants() override
    {
        const cv::Mat& source = v->source_image();
        const wxSize c = client();
        const bool stale_allowed = fit_fails_now();

        for (wxScrollBar* bar : {hbar(), vbar()}) {
            EXPECT_GE(bar->GetThumbPosition(), 0);
            EXPECT_LE(bar->GetThumbPosition(), max_position(bar))
                << "range " << bar->GetRange() << ", thumb " << bar->GetThumbSize();
        }

        if (c.x > 0 && c.y > 0 && !stale_allowed) {
            ASSERT_TRUE(v->buffer().IsOk());
            EXPECT_EQ(v->buffer().GetSize(), c) << "the buffer follows the client size";
        }

        const cv::Mat shown = shown_image(*v);

        if (v->fitting_count() != fittings_seen_) {
            fittings_seen_ = v->fitting_count();
            EXPECT_EQ(str(v->selection_rect()), str(wxRect(-1, -1, 0, 0))) << "a fitting clears the selection";
            host_anchor_.reset();
            readouts_in_sync_ = true;
        }

        if (!source.empty() && c.x > 0 && c.y > 0 && !stale_allowed && !shown.empty()) {
            const wxSize surface = v->ui_image->GetSize();
            const cv::Size rotated = geometry::rotated_size(source.size(), v->rotation());
            const bool free = v->zoom_mode() == ZoomMode::ZoomAny;
            const cv::Size expected =
                free ? geometry::ViewTransform(source.size(), v->zoom_rate(),
                                               geometry::rotation_degrees(v->rotation(), v->rotation_degree()), {0, 0})
                           .displayed_size()
                     : geometry::fitted_size(v->zoom_mode(), rotated, {surface.x, surface.y});
            // A free view keeps its fit's size, truncated where the transform rounds.
            const cv::Size off = shown.size() - expected;
            ASSERT_LE(std::abs(off.width) + std::abs(off.height), free ? 2 : 0) << shown.size() << " for a "
                                              << source.size() << " source, " << name(v->zoom_mode())
                                              << ", " << name(v->rotation()) << ", surface " << surface.x << "x"
                                              << surface.y;
            EXPECT_EQ(hbar()->GetRange(), shown.cols);
            EXPECT_EQ(vbar()->GetRange(), shown.rows);
            EXPECT_EQ(hbar()->GetThumbSize(), std::min(surface.x, shown.cols)) << "thumb follows the surface";
            EXPECT_EQ(vbar()->GetThumbSize(), std::min(surface.y, shown.rows)) << "thumb follows the surface";
            // A free view's pixels are the renderer's, checked against the picture below.
            if (v->fitting_count() != content_checked_ && shown.total() <= 250000 && !free) {
                content_checked_ = v->fitting_count();
                cv::Mat turned, scaled;
                geometry::rotate(source, turned, v->rotation());
                if (turned.size() == expected)
                    scaled = turned;
                else
                    cv::resize(turned, scaled, expected);
                // Resized within 1 of resize's own pixels; shown as it is, exactly.
                EXPECT_LE(cv::norm(shown, scaled, cv::NORM_INF), turned.size() != expected ? 1 : 0)
                    << "the displayed image is not the source's";
            }

            const wxRect r = v->image_rect();
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= c.x && r.y + r.height <= c.y)
                << "image_rect " << str(r) << " outside the client area " << c.x << "x" << c.y;
            if (v->redraw_count() != redraws_seen_ && !middle_lines() && !following_lines())
                check_picture();
        }
        redraws_seen_ = v->redraw_count();

        const wxRect s = v->selection_rect();
        const bool cleared = s == wxRect(-1, -1, 0, 0);
        const cv::Size displayed = v->displayed_size();
        const bool on_pixel = s.x >= 0 && s.y >= 0 && s.x < displayed.width && s.y < displayed.height;
        const bool by_host = host_anchor_ && s.GetPosition() == *host_anchor_;
        EXPECT_TRUE(cleared || on_pixel || by_host) << "selection " << str(s);
        if (readouts_in_sync_) {
            EXPECT_EQ(text(v->ui_width), std::to_string(s.width));
            EXPECT_EQ(text(v->ui_height), std::to_string(s.height));
        }

        for (const Held& held : held_)
            EXPECT_EQ(cv::norm(held.kept, held.copy, cv::NORM_INF), 0) << "pixels a host holds were written over";

        if constexpr (is_panel)
            EXPECT_FALSE(v->ui_panel_assist->IsShown() && open_assist() && open_assist()->IsShown())
                << "docked bar and floating window shown together";
    }

    /// What the buffer shows: the displayed image's pixels inside image_rect
    /// and the background around it, away from the selection outline and
    /// the surface's edge.
    void check_picture()
    {
        if (++picture_sampling_ % 3 != 0)
            return;
        ++picture_checks;
        const wxImage picture = v->buffer().ConvertToImage();
        const wxRect r = v->image_rect();
        const wxRect s = v->selection_rect();
        const long long left = static_cast<long long>(s.x) + r.x - hbar()->GetThumbPosition();
        const long long top = static_cast<long long>(s.y) + r.y - vbar()->GetThumbPosition();
        const long long right = left + s.width, bottom = top + s.height;
        auto near_outline = [&](int x, int y) {
            auto near = [](long long a, long long b) { return a - b <= 2 && b - a <= 2; };
            const long long lo_x = std::min(left, right), hi_x = std::max(left, right);
            const long long lo_y = std::min(top, bottom), hi_y = std::max(top, bottom);
            return ((near(x, left) || near(x, right)) && y >= lo_y - 2 && y <= hi_y + 2)
                   || ((near(y, top) || near(y, bottom)) && x >= lo_x - 2 && x <= hi_x + 2);
        };
        const wxColour background = v->ui_image->GetBackgroundColour();
        const cv::Mat shown = shown_image(*v);
        const bool fit = v->zoom_mode() != ZoomMode::ZoomAny && v->zoom_mode() != ZoomMode::NoZoom;
        for (int i = 0; i < 6; ++i) {
            const int x = rng.between(0, picture.GetWidth() - 1), y = rng.between(0, picture.GetHeight() - 1);
            // The focus mark runs along the surface's edge whenever the surface has the keyboard.
            const bool on_edge = x == 0 || y == 0 || x == picture.GetWidth() - 1 || y == picture.GetHeight() - 1;
            if (near_outline(x, y) || on_edge)
                continue;
            const wxPoint pixel = pixel_under(wxPoint(x, y));
            wxColour want = background;
            if (pixel.x >= 0) {
                const cv::Vec3b rgb = shown.at<cv::Vec3b>(pixel.y, pixel.x);
                want = wxColour(rgb[0], rgb[1], rgb[2]);
            } else if (r.Contains(x, y)) {
                continue; // past the image's edge inside the last drawn region: nothing is promised
            }
            // A fit's part in view is sampled within 1 of resize's whole displayed image.
            const int off = std::max({std::abs(picture.GetRed(x, y) - want.Red()),
                                      std::abs(picture.GetGreen(x, y) - want.Green()),
                                      std::abs(picture.GetBlue(x, y) - want.Blue())});
            EXPECT_LE(off, fit ? 1 : 0) << "buffer pixel (" << x << ", " << y << ")";
        }
    }

    static wxUint32 pixel_at(const wxImage& image, int x, int y)
    {
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)).GetRGB();
    }

    struct Held
    {
        cv::Mat kept;
        cv::Mat copy;
    };

    Viewer* v;
    ScriptedInteraction& script;
    const StormFiles& files;
    std::optional<wxPoint> host_anchor_{wxPoint(0, 0)};
    bool readouts_in_sync_ = false;
    unsigned long fittings_seen_ = 0;
    unsigned long redraws_seen_ = 0;
    unsigned long content_checked_ = 0;
    int picture_sampling_ = 0;
    std::vector<Held> held_;
    wxSize last_open_size_;
};

/// The storm of SimpleImagePanel: images, files, clearing and resizes.
class SimpleStorm : public Storm
{
public:
    SimpleStorm(unsigned seed, wxFrame* frame, SimpleImagePanel* viewer, const StormFiles& files)
        : Storm(seed, frame), v(viewer), files(files)
    {
        add("host image", 6, [this] { host_image(); });
        add("host invalid array", 2, [this] { host_invalid_array(); });
        add("host file", 2, [this] { host_file(); });
        add("host clear", 2, [this] { v->set_source_image(std::nullopt); });
        add("host data", 1, [this] {
            const int data = rng.between(0, 99);
            v->set_user_data(data);
            EXPECT_EQ(std::any_cast<int>(v->user_data()), data);
        });
        add("resize the panel", 6, [this] {
            const wxSize size = random_viewer_size(rng, v->GetSize(), last_open_size_);
            detail << size.x << "x" << size.y;
            v->SetSize(size);
        });
        add("resize the frame", 1, [this] {
            resize_frame(wxSize(rng.between(1, 1000), rng.between(1, 800)));
        });
        add("pointer events", 3, [this] {
            wxMouseEvent event(rng.chance(0.5) ? wxEVT_MOTION : wxEVT_LEFT_DOWN);
            event.SetPosition(wxPoint(rng.between(-10, 900), rng.between(-10, 700)));
            deliver(v, event, "a mouse event");
        });
        add("paint", 1, [this] {
            v->Refresh();
            pump();
        });
    }

private:
    void host_image()
    {
        const cv::Mat image = random_image(rng);
        detail << image.cols << "x" << image.rows << "x" << image.channels();
        v->set_source_image(image);
        if (image.channels() == 3)
            EXPECT_EQ(v->source_image().data, image.data);
    }

    void host_invalid_array()
    {
        const cv::Mat value = rng.pick(invalid_arrays());
        const cv::Mat previous = v->source_image();
        const uchar* shown = v->image_being_shown().data;
        EXPECT_THROW(v->set_source_image(value), TypeError);
        EXPECT_EQ(v->source_image().data, previous.data);
        EXPECT_EQ(v->image_being_shown().data, shown);
    }

    void host_file()
    {
        const bool good = rng.chance(0.5);
        const std::filesystem::path path = rng.pick(good ? files.good : files.bad);
        detail << path.filename().string();
        if (good) {
            v->set_source_image(path);
            EXPECT_EQ(v->source_image().size(), files.good_sizes.at(path));
        } else {
            const cv::Mat previous = v->source_image();
            EXPECT_THROW(v->set_source_image(path), AssertionError);
            EXPECT_EQ(v->source_image().data, previous.data);
        }
    }

    void check_invariants() override
    {
        const wxSize c = v->GetClientSize();
        if (c.x <= 0 || c.y <= 0)
            return;
        ASSERT_TRUE(v->buffer().IsOk());
        EXPECT_EQ(v->buffer().GetSize(), c);
        const cv::Mat& source = v->source_image();
        if (source.empty())
            return;
        const wxSize window = v->GetSize();
        cv::Size expected;
        try {
            expected = geometry::fitted_size(ZoomMode::FitPage, source.size(), {window.x, window.y});
        } catch (const ValueError&) {
            return; // no scale for this window: the previous picture stays
        }
        const cv::Mat& shown = v->image_being_shown();
        ASSERT_EQ(shown.size(), expected) << "for a " << source.size() << " source in a " << window.x << "x"
                                          << window.y << " window";
        if ((shown.data != checked_shown_ || source.data != checked_source_) && shown.total() <= 250000) {
            checked_shown_ = shown.data;
            checked_source_ = source.data;
            cv::Mat scaled;
            cv::resize(source, scaled, expected);
            EXPECT_LE(cv::norm(shown, scaled, cv::NORM_INF), expected != source.size() ? 1 : 0)
                << "the displayed image is not the source's";
        }
        if (++sampling_ % 8 == 0) {
            // The centre of the picture shows the displayed image's centre.
            const wxImage picture = v->buffer().ConvertToImage();
            const cv::Point origin = geometry::centred_origin(shown.size(), {c.x, c.y});
            const int cx = shown.cols / 2, cy = shown.rows / 2;
            if (origin.x + cx >= 0 && origin.x + cx < c.x && origin.y + cy >= 0 && origin.y + cy < c.y) {
                const cv::Vec3b rgb = shown.at<cv::Vec3b>(cy, cx);
                EXPECT_EQ(wxColour(picture.GetRed(origin.x + cx, origin.y + cy),
                                   picture.GetGreen(origin.x + cx, origin.y + cy),
                                   picture.GetBlue(origin.x + cx, origin.y + cy)),
                          wxColour(rgb[0], rgb[1], rgb[2]));
            }
        }
    }

    SimpleImagePanel* v;
    const StormFiles& files;
    int sampling_ = 0;
    wxSize last_open_size_;
    const uchar* checked_shown_ = nullptr;
    const uchar* checked_source_ = nullptr;
};

/// Host handlers on every event the viewer sends that, passing it on or not,
/// destroy the viewer, give it a new image (reset), switch the language of
/// every label (relabel) or zoom, amid what a user and the host do. A
/// destroyed viewer is gone at idle time and takes nothing else with it (the
/// sanitizer build checks it is not touched after); then comes a new one.
template <class Viewer>
class HandlerStorm : public Storm
{
public:
    HandlerStorm(unsigned seed, wxFrame* frame) : Storm(seed, frame)
    {
        check_invariants(); // makes the first viewer
        add("pointer motion", 10, [this] { mouse(wxEVT_MOTION); });
        add("button press", 4, [this] { mouse(wxEVT_LEFT_DOWN); });
        add("button release", 2, [this] { mouse(wxEVT_LEFT_UP); });
        add("middle button", 3, [this] { mouse(rng.chance(0.5) ? wxEVT_MIDDLE_DOWN : wxEVT_MIDDLE_UP); });
        add("wheel", 5, [this] { mouse(wxEVT_MOUSEWHEEL); });
        add("key", 4, [this] {
            wxKeyEvent event(wxEVT_KEY_DOWN);
            event.m_keyCode = rng.pick(std::vector<int>{'+', '-', '0', WXK_LEFT, WXK_RIGHT, WXK_UP, WXK_DOWN,
                                                        WXK_PAGEDOWN, WXK_HOME, WXK_END});
            detail << "key " << event.m_keyCode;
            deliver(v->ui_image, event, "a key");
        });
        add("resize the viewer", 3, [this] { v->SetSize(random_viewer_size(rng, v->GetSize(), last_open_)); });
        add("host call", 10, [this] {
            const int kind = rng.between(1, 9);
            detail << kinds[kind];
            EXPECT_TRUE(act(v.get(), kind) || (kind >= 3 && kind <= 6)) << "only a change of view is refused";
        });
        add("idle", 2, [] { pump(); });
    }

    std::map<std::string, long> reactions; ///< what the handlers did, by kind

private:
    static constexpr const char* kinds[] = {"destroy",  "reset",    "relabel", "zoom",      "zoom mode",
                                            "rotation", "rotation degree", "clear", "selecting", "selection"};

    /// Does the @p kind of change to @p viewer; false where it is refused.
    bool act(Viewer* viewer, int kind)
    {
        try {
            switch (kind) {
            case 0: going_ = viewer; v = nullptr; viewer->Destroy(); break;
            case 1: viewer->set_source_image(gradient(rng.between(1, 500), rng.between(1, 400))); break;
            case 2: i18n::set_language(rng.pick(std::vector<wxString>{"", "en", "zh_CN"})); break;
            case 3: viewer->set_zoom_rate(std::exp2(rng.between(-8, 8) / 4.0)); break;
            case 4: viewer->set_zoom_mode(static_cast<ZoomMode>(rng.between(0, 4))); break;
            case 5: viewer->set_rotation(static_cast<Rotation>(rng.between(0, 3))); break;
            case 6: viewer->set_rotation_degree(rng.between(-360, 360)); break;
            case 7: viewer->set_source_image(std::nullopt); break;
            case 8: viewer->enable_selecting(rng.chance(0.5)); break;
            default:
                viewer->set_selection_rect({rng.between(-5, 200), rng.between(-5, 200), rng.between(-50, 200),
                                            rng.between(-50, 200)});
            }
            return true;
        } catch (const Error&) {
            return false;
        }
    }

    void react(Viewer* viewer, ViewerEvent& event)
    {
        event.Skip(rng.chance(0.5));
        // A handler's own change sends events that reach it again; hosts
        // seldom go deeper than a few.
        const int kind = rng.between(0, 11);
        if (viewer != v.get() || depth_ >= 3 || kind > 3)
            return;
        ++depth_;
        ++reactions[act(viewer, kind) ? kinds[kind] : "refused"];
        --depth_;
    }

    void mouse(wxEventType type)
    {
        const wxSize c = v->ui_image->GetClientSize();
        const wxPoint at = rng.chance(0.05) ? wxPoint(rng.wild(), rng.wild())
                                            : wxPoint(rng.between(-20, std::max(c.x, 0) + 20),
                                                      rng.between(-20, std::max(c.y, 0) + 20));
        detail << "(" << at.x << ", " << at.y << ")";
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetLeftDown(type == wxEVT_LEFT_DOWN || (type == wxEVT_MOTION && rng.chance(0.5)));
        event.SetMiddleDown(type == wxEVT_MIDDLE_DOWN || (type == wxEVT_MOTION && rng.chance(0.3)));
        event.SetControlDown(type == wxEVT_MOUSEWHEEL && rng.chance(0.4));
        event.m_wheelRotation = rng.chance(0.5) ? 120 : -120;
        event.m_wheelDelta = 120;
        deliver(v->ui_image, event, "a mouse event");
    }

    void check_invariants() override
    {
        if (v)
            EXPECT_TRUE(v->IsShown());
        while (!v && !::testing::Test::HasFailure()) {
            EXPECT_TRUE(wait_until([this] { return !going_; })) << "a viewer destroyed by a handler is gone at idle time";
            EXPECT_TRUE(frame->GetChildren().empty());
            Viewer* viewer = new Viewer(frame);
            frame->GetSizer()->Add(viewer, 1, wxEXPAND);
            frame->Layout();
            for (const auto& type : {EVT_VIEWER_POINTER, EVT_VIEWER_SELECTION, EVT_VIEWER_VIEW})
                viewer->Bind(type, [this, viewer](ViewerEvent& event) { react(viewer, event); });
            v = viewer;
            if (rng.chance(0.8))
                EXPECT_TRUE(act(viewer, 1));
        }
    }

    wxWeakRef<Viewer> v, going_;
    int depth_ = 0;
    wxSize last_open_;
};

class EventStormTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(640, 480);
        FrameTest::SetUp();
        frame->SetSizer(new wxBoxSizer(wxVERTICAL));
        std::cout << "[ storm    ] seed " << storm_seed() << ", " << storm_actions()
                  << " actions (TESK_VUMO_STORM_SEED, TESK_VUMO_STORM_ACTIONS)" << std::endl;
    }

    template <class Viewer>
    Viewer* place(Viewer* viewer)
    {
        frame->GetSizer()->Add(viewer, 1, wxEXPAND);
        frame->Layout();
        pump();
        return viewer;
    }

    static void report(const std::string& viewer, const Storm& storm, std::chrono::steady_clock::time_point start)
    {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        report_figure("storm actions on " + viewer, storm.actions_run());
        std::string kinds;
        for (const auto& [name, count] : storm.tried())
            kinds += name + " " + std::to_string(count) + " (" + std::to_string(int(storm.spent_ms().at(name)))
                     + " ms); ";
        std::cout << "[ storm    ] " << kinds << "in " << ms.count() << " ms; slowest " << storm.slowest()
                  << std::endl;
    }

    template <class Viewer>
    void handler_storm(const std::string& name)
    {
        const auto start = std::chrono::steady_clock::now();
        HandlerStorm<Viewer> storm(storm_seed(), frame);
        // Fewer actions by default than the other storms: each destruction costs a new viewer.
        storm.run(static_cast<int>(env_number("TESK_VUMO_STORM_ACTIONS", 600)));
        i18n::set_language("");
        report(name + " with destroying handlers", storm, start);
        for (const auto& [kind, count] : storm.reactions)
            report_figure("  handlers that " + kind + " on " + name, count);
    }

    ScriptedInteractionScope dialogs;
};

TEST_F(EventStormTest, SimpleImagePanel)
{
    Rng rng(storm_seed());
    const StormFiles files = make_storm_files(rng);
    auto* viewer = place(new SimpleImagePanel(frame, wxSize(640, 480)));
    const auto start = std::chrono::steady_clock::now();
    SimpleStorm storm(storm_seed(), frame, viewer, files);
    storm.run(storm_actions());
    report("SimpleImagePanel", storm, start);
}

TEST_F(EventStormTest, ImagePanel)
{
    Rng rng(storm_seed());
    const StormFiles files = make_storm_files(rng);
    auto* viewer = place(new ImagePanel(frame));
    const auto start = std::chrono::steady_clock::now();
    CoreStorm<ImagePanel> storm(storm_seed(), frame, viewer, *dialogs.script, files);
    storm.run(storm_actions());
    report("ImagePanel", storm, start);
    report_figure("  picture checks on ImagePanel", storm.picture_checks);
    report_figure("  saves to good and failing targets on ImagePanel", storm.files_saved);
}

TEST_F(EventStormTest, Image)
{
    Rng rng(storm_seed());
    const StormFiles files = make_storm_files(rng);
    auto* viewer = place(new Image(frame));
    const auto start = std::chrono::steady_clock::now();
    CoreStorm<Image> storm(storm_seed(), frame, viewer, *dialogs.script, files);
    storm.run(storm_actions());
    report("Image", storm, start);
    report_figure("  picture checks on Image", storm.picture_checks);
    report_figure("  saves to good and failing targets on Image", storm.files_saved);
}

TEST_F(EventStormTest, HandlersDestroyResetAndRelabelImagePanel)
{
    handler_storm<ImagePanel>("ImagePanel");
}

TEST_F(EventStormTest, HandlersDestroyResetAndRelabelImage)
{
    handler_storm<Image>("Image");
}

} // namespace
