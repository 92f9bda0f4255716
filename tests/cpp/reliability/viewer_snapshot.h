#ifndef TESK_VUMO_TESTS_VIEWER_SNAPSHOT_H
#define TESK_VUMO_TESTS_VIEWER_SNAPSHOT_H

// What a failed operation must leave as it was: the stored and displayed
// images (the very arrays), the buffer, the selection and the scroll bars.

#include <ostream>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/gdicmn.h>

#include "tesk_vumo/simple/simple_image_panel.h"

namespace tesk_vumo::testing {

struct ViewerSnapshot
{
    const uchar* source = nullptr;
    cv::Size source_size;
    const uchar* shown = nullptr;
    cv::Size shown_size;
    wxBitmap buffer;
    wxRect selection;
    int h_position = 0;
    int v_position = 0;
    unsigned long fittings = 0;

    bool operator==(const ViewerSnapshot& other) const
    {
        return source == other.source && source_size == other.source_size && shown == other.shown
               && shown_size == other.shown_size && buffer.IsSameAs(other.buffer) && selection == other.selection
               && h_position == other.h_position && v_position == other.v_position
               && fittings == other.fittings;
    }
};

inline std::ostream& operator<<(std::ostream& os, const ViewerSnapshot& s)
{
    return os << "{source " << static_cast<const void*>(s.source) << " " << s.source_size << ", shown "
              << static_cast<const void*>(s.shown) << " " << s.shown_size << ", buffer "
              << s.buffer.GetRefData() << ", selection (" << s.selection.x << ", " << s.selection.y << ", "
              << s.selection.width << ", " << s.selection.height << "), scroll (" << s.h_position << ", "
              << s.v_position << "), fittings " << s.fittings << "}";
}

template <class Viewer>
ViewerSnapshot snapshot(const Viewer& viewer)
{
    ViewerSnapshot s;
    s.source = viewer.source_image().data;
    s.source_size = viewer.source_image().size();
    s.shown = viewer.image_being_shown().data;
    s.shown_size = viewer.image_being_shown().size();
    s.buffer = viewer.buffer();
    // The simple viewer has no selection, scroll bars or fitting count.
    if constexpr (!std::is_same_v<Viewer, SimpleImagePanel>) {
        s.selection = viewer.selection_rect();
        s.h_position = viewer.ui_scroll_bar_horizontal->GetThumbPosition();
        s.v_position = viewer.ui_scroll_bar_vertical->GetThumbPosition();
        s.fittings = viewer.fitting_count();
    }
    return s;
}

/// The read-failure message of SimpleImagePanel and ImagePanel.
inline std::string standard_read_failure(const std::string& path)
{
    return "Load Image File [" + path + "] Failed.";
}

/// The read-failure message of Image (no translation is installed in tests).
inline std::string context_read_failure(const std::string& path)
{
    return "加载图片文件失败，请检查路径中是否有不受支持的字符。[" + path + "]";
}

} // namespace tesk_vumo::testing

#endif
