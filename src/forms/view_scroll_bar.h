#ifndef TESK_VUMO_SRC_FORMS_VIEW_SCROLL_BAR_H
#define TESK_VUMO_SRC_FORMS_VIEW_SCROLL_BAR_H

#include <functional>
#include <utility>

#include <wx/scrolbar.h>

namespace tesk_vumo {

/// A scroll bar of a viewer's viewport. The toolkit tells only of the
/// user's moves of the thumb; this bar also tells of a program's, a host
/// moving the view through its bars, so that the viewer's offset follows.
class ViewScrollBar : public wxScrollBar
{
public:
    using wxScrollBar::wxScrollBar;

    /// @p moved runs after every change of the thumb position made by a call.
    void on_moved(std::function<void()> moved) { moved_ = std::move(moved); }

    void SetThumbPosition(int position) override
    {
        wxScrollBar::SetThumbPosition(position);
        if (moved_)
            moved_();
    }
    void SetScrollbar(int position, int thumb_size, int range, int page_size, bool refresh = true) override
    {
        wxScrollBar::SetScrollbar(position, thumb_size, range, page_size, refresh);
        if (moved_)
            moved_();
    }

private:
    std::function<void()> moved_;
};

} // namespace tesk_vumo

#endif
