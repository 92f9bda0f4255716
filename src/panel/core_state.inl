// State and properties of the viewing core. Included by viewer_core.cpp.

namespace tesk_vumo {

template <class Form>
ViewerCore<Form>::ViewerCore(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                             long style, const wxString& name, SourceMessages wording)
    : Form(parent, id, pos, size, style, name), wording_(wording)
{
    this->ui_image->Bind(wxEVT_PAINT, guarded(this, &ViewerCore::on_paint, "on_paint"));
    this->ui_image->Bind(wxEVT_SIZE, guarded(this, &ViewerCore::on_size, "on_size"));
    for (wxScrollBar* bar : {this->ui_scroll_bar_vertical, this->ui_scroll_bar_horizontal})
        for (wxEventType type : {wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM, wxEVT_SCROLL_LINEUP,
                                 wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                                 wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED})
            bar->Bind(wxEventTypeTag<wxScrollEvent>(type), guarded(this, &ViewerCore::on_scroll, "on_scroll"));
    // A fresh bar has no thumb that covers it; show an empty one until the first fitting.
    this->ui_scroll_bar_horizontal->SetScrollbar(0, 0, 0, 0);
    this->ui_scroll_bar_vertical->SetScrollbar(0, 0, 0, 0);
    init_buffer();
}

template <class Form>
void ViewerCore<Form>::set_source_image(const cv::Mat& image)
{
    const cv::Mat accepted = accept_source_array(image, wording_);
    store_source(accepted, accepted.data != image.data);
}

template <class Form>
void ViewerCore<Form>::set_source_image(const std::filesystem::path& path)
{
    set_source_image(path, path.string());
}

template <class Form>
void ViewerCore<Form>::set_source_image(const std::filesystem::path& path, const std::string& path_text)
{
    cv::Mat image;
    {
        wxBusyCursor busy;
        image = read_source_file(path, path_text, wording_);
    }
    store_source(image, true);
}

template <class Form>
void ViewerCore<Form>::set_source_image(std::nullopt_t)
{
    source_image_ = cv::Mat();
    source_owned_ = false;
    // The displayed image stays on show; nothing else needs to.
    spare_.release();
    work_.release();
    init_buffer();
}

template <class Form>
void ViewerCore<Form>::store_source(const cv::Mat& image, bool owned)
{
    const bool was_owned = std::exchange(source_owned_, owned);
    try {
        store(image);
    } catch (...) {
        source_owned_ = was_owned;
        throw;
    }
}

template <class Form>
void ViewerCore<Form>::store(const cv::Mat& image)
{
    const bool keep_scroll_pos = keeps_scroll_position(source_image_, image);
    cv::Mat previous = source_image_;
    if (image.size() != previous.size())
        spare_.release();
    source_image_ = image;
    // The fitting's events may reach a handler that destroys the viewer.
    wxWeakRef<wxWindow> alive(this);
    try {
        fitting(keep_scroll_pos);
    } catch (...) {
        // A failed fitting (ZoomAny, or an enlargement beyond the limit) must
        // not leave the new image stored behind a picture of the old one.
        source_image_ = previous;
        throw;
    }
    if (alive)
        clear_pointer_readouts();
}

template <class Form>
void ViewerCore<Form>::set_zoom_mode(ZoomMode mode)
{
    show_zoom_mode(mode);
    do_set_zoom_mode(mode);
}

template <class Form>
void ViewerCore<Form>::do_set_zoom_mode(ZoomMode mode)
{
    const ZoomMode previous = zoom_mode_;
    zoom_mode_ = mode;
    try {
        fitting();
    } catch (const ValueError&) {
        // ZoomAny stays stored, as documented. A mode refused only for this
        // image and surface is taken back, so that the mode, the picture
        // and the viewer's own control agree.
        if (mode != ZoomMode::ZoomAny) {
            zoom_mode_ = previous;
            show_zoom_mode(previous);
        }
        throw;
    }
}

template <class Form>
void ViewerCore<Form>::set_rotation(Rotation rotation)
{
    const Rotation previous = rotation_;
    show_rotation(rotation);
    rotation_ = rotation;
    try {
        fitting();
    } catch (const ValueError&) {
        // Under ZoomAny every turn is stored, as documented; one the picture
        // could not follow otherwise is taken back (see above).
        if (zoom_mode_ != ZoomMode::ZoomAny) {
            rotation_ = previous;
            show_rotation(previous);
        }
        throw;
    }
}

template <class Form>
void ViewerCore<Form>::enable_selecting(bool enable)
{
    selecting_enabled_ = enable;
    if (!enable) {
        selection_rect_ = wxRect(0, 0, 0, 0);
        draw_image();
        send_selection();
    }
}

} // namespace tesk_vumo
