#ifndef TESK_VUMO_SRC_FILES_VIEW_FILES_H
#define TESK_VUMO_SRC_FILES_VIEW_FILES_H

// The file commands both full viewers share: the load dialog, the pixels a
// save writes, and the save dialog with its outcome box.

#include <filesystem>
#include <optional>
#include <string>

#include <opencv2/core.hpp>

class wxWindow;

namespace tesk_vumo::view_files {

/// Filter of both file dialogs.
extern const char* const image_wildcard;

/// Shows the load dialog over @p parent; the chosen file, or nullopt when
/// the user cancelled.
std::optional<std::filesystem::path> ask_load_path(wxWindow* parent);

/// The samples a save writes from @p part (the whole view, or the pixels a
/// selection covers): in B, G, R order, or one gray channel; an empty Mat,
/// which no write accepts, for an empty @p part.
cv::Mat image_to_save(const cv::Mat& part, bool grayscale);

/// The samples a save at the source's resolution writes from @p part, a
/// part of the source: its depth and channels kept, in the writer's order
/// (B, G, R or B, G, R, A; gray as it is); an empty Mat for an empty @p part.
cv::Mat source_to_save(const cv::Mat& part);

/// Shows the save dialog over @p parent with @p dialog_style; when a path is
/// chosen, writes @p samples there and reports the outcome in a message box
/// (a failure with its cause on a second line).
void save_with_dialog(wxWindow* parent, const cv::Mat& samples, long dialog_style);

/// The load-failure box for the file named @p path_text, with @p cause on
/// a second line.
void show_load_failure(const std::string& path_text, const std::string& cause);

} // namespace tesk_vumo::view_files

#endif
