#include "tesk_vumo/viewer/image.h"

#include "scripted_interaction.h"
#include "test_support.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/i18n/i18n.h"

#include <algorithm>
#include <fstream>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class ImageViewerTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(500, 400);
        FrameTest::SetUp();
        viewer = add_viewer();
    }

    /// A viewer filling @p host (the test's frame by default).
    Image* add_viewer(wxFrame* host = nullptr)
    {
        host = host ? host : frame;
        auto* image = new Image(host);
        host->SetSizer(new wxBoxSizer(wxHORIZONTAL));
        host->GetSizer()->Add(image, 1, wxEXPAND);
        host->Layout();
        pump();
        return image;
    }

    /// A second shown frame of the same client size, destroyed with the test.
    wxFrame* second_frame()
    {
        auto* other = new wxFrame(nullptr, wxID_ANY, "reference", wxPoint(0, 0));
        other->SetClientSize(client_size);
        other->Show();
        extra_frames.push_back(other);
        return other;
    }

    void TearDown() override
    {
        for (wxFrame* other : extra_frames)
            other->Destroy();
        FrameTest::TearDown();
    }

    std::vector<wxFrame*> extra_frames;

    void menu(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(viewer);
        viewer->GetEventHandler()->ProcessEvent(event);
    }

    void mouse(wxEventType type, wxPoint at, bool left_down = false)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetLeftDown(left_down);
        event.SetEventObject(viewer->ui_image);
        viewer->ui_image->GetEventHandler()->ProcessEvent(event);
    }

    wxImage picture() const { return viewer->buffer().ConvertToImage(); }

    // Counts pixels of a column (x fixed) or row (y fixed) whose colour is near @p colour.
    int count_column(const wxImage& image, int x, const wxColour& colour) const
    {
        int n = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            n += near(pixel(image, x, y), colour, 60);
        return n;
    }

    Image* viewer = nullptr;
};

const wxColour blue(0, 0, 255);
const wxColour grey(128, 128, 128);

TEST_F(ImageViewerTest, MenuZoomAndRotationRefitLikeTheProperties)
{
    auto* reference = add_viewer(second_frame());
    ASSERT_EQ(viewer->ui_image->GetSize(), reference->ui_image->GetSize());
    const cv::Mat source = gradient(300, 200);
    viewer->set_source_image(source);
    reference->set_source_image(source);

    const std::pair<int, std::function<void()>> cases[] = {
        {ImageForm::ID_ZOOM_NONE, [&] { reference->set_zoom_mode(ZoomMode::NoZoom); }},
        {ImageForm::ID_ZOOM_FIT_WIDTH, [&] { reference->set_zoom_mode(ZoomMode::FitWidth); }},
        {ImageForm::ID_ZOOM_FIT_HEIGHT, [&] { reference->set_zoom_mode(ZoomMode::FitHeight); }},
        {ImageForm::ID_ROTATION_CW90, [&] { reference->set_rotation(Rotation::ClockWise90); }},
        {ImageForm::ID_ROTATION_180, [&] { reference->set_rotation(Rotation::Double90); }},
        {ImageForm::ID_ROTATION_CCW90, [&] { reference->set_rotation(Rotation::CounterClockWise90); }},
        {ImageForm::ID_ROTATION_NONE, [&] { reference->set_rotation(Rotation::NoRotation); }},
        {ImageForm::ID_ZOOM_FIT_PAGE, [&] { reference->set_zoom_mode(ZoomMode::FitPage); }},
    };
    for (const auto& [id, same_by_property] : cases) {
        viewer->ui_scroll_bar_vertical->SetThumbPosition(5);
        viewer->set_selection_rect({1, 1, 4, 4});
        const auto fittings = viewer->fitting_count();
        menu(id);
        same_by_property();
        EXPECT_EQ(viewer->fitting_count(), fittings + 1) << "menu id " << id;
        EXPECT_EQ(viewer->zoom_mode(), reference->zoom_mode()) << "menu id " << id;
        EXPECT_EQ(viewer->rotation(), reference->rotation()) << "menu id " << id;
        const cv::Mat a = viewer->image_being_shown(), b = reference->image_being_shown();
        ASSERT_EQ(a.size(), b.size()) << "menu id " << id;
        EXPECT_EQ(cv::norm(a, b, cv::NORM_INF), 0) << "menu id " << id;
        EXPECT_EQ(viewer->ui_scroll_bar_vertical->GetThumbPosition(), 0) << "menu id " << id;
        EXPECT_EQ(viewer->selection_rect(), wxRect(-1, -1, 0, 0)) << "menu id " << id;
    }
}

TEST_F(ImageViewerTest, GuideLinesShowAndHideAtOnce)
{
    // A dark image so the dashed lines stand out; even width 200 puts the
    // vertical middle line at image column 100.
    viewer->set_zoom_mode(ZoomMode::NoZoom);
    viewer->set_source_image(solid(200, 100, cv::Vec3b(0, 0, 0)));
    const int middle_x = viewer->image_rect().x + 100;
    EXPECT_FALSE(viewer->middle_line_enabled());
    EXPECT_FALSE(viewer->following_line_enabled());
    EXPECT_EQ(count_column(picture(), middle_x, blue), 0) << "a new viewer draws no guide lines";

    const auto redraws = viewer->redraw_count();
    menu(ImageForm::ID_SHOW_MIDDLE_LINES);
    EXPECT_EQ(viewer->redraw_count(), redraws + 1);
    EXPECT_GT(count_column(picture(), middle_x, blue), 20);
    menu(ImageForm::ID_HIDE_MIDDLE_LINES);
    EXPECT_EQ(count_column(picture(), middle_x, blue), 0);

    mouse(wxEVT_MOTION, wxPoint(40, 30));
    menu(ImageForm::ID_SHOW_FOLLOWING_LINES);
    EXPECT_GT(count_column(picture(), 40, grey), 20);
    menu(ImageForm::ID_HIDE_FOLLOWING_LINES);
    EXPECT_EQ(count_column(picture(), 40, grey), 0);
}

TEST_F(ImageViewerTest, PointerMotionRedrawsOnlyForFollowingLinesOrDragging)
{
    viewer->set_zoom_mode(ZoomMode::NoZoom);
    viewer->set_source_image(gradient(200, 100));
    const wxPoint origin = viewer->image_rect().GetPosition();
    auto redraws = viewer->redraw_count();
    mouse(wxEVT_MOTION, origin + wxPoint(7, 3));
    EXPECT_EQ(viewer->redraw_count(), redraws);
    EXPECT_EQ(viewer->ui_x->GetValue(), "7");
    EXPECT_EQ(viewer->ui_y->GetValue(), "3");
    EXPECT_EQ(viewer->ui_rgb->GetValue(), "7, 3, 10");

    viewer->set_following_line_enabled(true);
    mouse(wxEVT_MOTION, origin + wxPoint(8, 3));
    mouse(wxEVT_MOTION, origin + wxPoint(9, 3));
    EXPECT_EQ(viewer->redraw_count(), redraws + 2);
    EXPECT_GT(count_column(picture(), origin.x + 9, grey), 20) << "the lines follow the pointer";

    viewer->set_following_line_enabled(false);
    mouse(wxEVT_LEFT_DOWN, origin + wxPoint(10, 10));
    redraws = viewer->redraw_count();
    mouse(wxEVT_MOTION, origin + wxPoint(14, 12), true);
    EXPECT_EQ(viewer->redraw_count(), redraws + 1);
    EXPECT_EQ(viewer->ui_width->GetValue(), "5");
    EXPECT_EQ(viewer->ui_height->GetValue(), "3");
}

TEST_F(ImageViewerTest, PopupOpensAtThePressOrTheKeyboardPosition)
{
    ScriptedInteractionScope scope;
    std::optional<wxPoint> pending_during_popup;
    scope.script->on_popup = [&] { pending_during_popup = viewer->popup_menu_position(); };

    wxMouseEvent press(wxEVT_RIGHT_DOWN);
    press.SetPosition(wxPoint(30, 40));
    press.SetEventObject(viewer->ui_image);
    viewer->ui_image->GetEventHandler()->ProcessEvent(press);
    EXPECT_EQ(viewer->popup_menu_position(), wxPoint(30, 40));

    wxContextMenuEvent from_press(wxEVT_CONTEXT_MENU, viewer->GetId(), wxPoint(900, 900));
    from_press.SetEventObject(viewer);
    viewer->GetEventHandler()->ProcessEvent(from_press);
    ASSERT_EQ(scope.script->popups.size(), 1u);
    EXPECT_EQ(scope.script->popups[0].position, wxPoint(30, 40));
    EXPECT_EQ(scope.script->popups[0].menu, viewer->ui_poup_menu);
    EXPECT_EQ(scope.script->popups[0].window, viewer);
    EXPECT_EQ(pending_during_popup, wxPoint(30, 40)) << "cleared only after the menu closed";
    EXPECT_FALSE(viewer->popup_menu_position());

    const wxPoint screen = viewer->ClientToScreen(wxPoint(12, 34));
    wxContextMenuEvent from_keyboard(wxEVT_CONTEXT_MENU, viewer->GetId(), screen);
    from_keyboard.SetEventObject(viewer);
    viewer->GetEventHandler()->ProcessEvent(from_keyboard);
    ASSERT_EQ(scope.script->popups.size(), 2u);
    EXPECT_EQ(scope.script->popups[1].position, wxPoint(12, 34));
    EXPECT_FALSE(viewer->popup_menu_position());

    // A request that carries no position (the menu key) opens at the pointer.
    wxContextMenuEvent without_position(wxEVT_CONTEXT_MENU, viewer->GetId(), wxDefaultPosition);
    without_position.SetEventObject(viewer);
    viewer->GetEventHandler()->ProcessEvent(without_position);
    ASSERT_EQ(scope.script->popups.size(), 3u);
    EXPECT_EQ(scope.script->popups[2].position, viewer->ScreenToClient(wxGetMousePosition()));
}

TEST_F(ImageViewerTest, PopupMarksTheZoomRotationAndGuideLinesInForce)
{
    ScriptedInteractionScope scope;
    // Opens the menu and expects exactly @p marked checked among the items here.
    auto expect_marked = [&](std::vector<int> marked) {
        wxContextMenuEvent request(wxEVT_CONTEXT_MENU, viewer->GetId(), viewer->ClientToScreen(wxPoint(5, 5)));
        request.SetEventObject(viewer);
        viewer->GetEventHandler()->ProcessEvent(request);
        for (int id : {ImageForm::ID_ZOOM_FIT_PAGE, ImageForm::ID_ZOOM_NONE, ImageForm::ID_ZOOM_ANY,
                       ImageForm::ID_ROTATION_NONE, ImageForm::ID_ROTATION_CW90, ImageForm::ID_ROTATION_ANY,
                       ImageForm::ID_MIDDLE_LINES, ImageForm::ID_FOLLOWING_LINES})
            EXPECT_EQ(viewer->ui_poup_menu->IsChecked(id), std::count(marked.begin(), marked.end(), id) == 1)
                << "item " << id - ImageForm::ID_ZOOM_FIT_PAGE;
    };
    expect_marked({ImageForm::ID_ZOOM_FIT_PAGE, ImageForm::ID_ROTATION_NONE});

    viewer->set_source_image(gradient(60, 40));
    viewer->set_zoom_mode(ZoomMode::NoZoom);
    viewer->set_rotation(Rotation::ClockWise90);
    viewer->set_middle_line_enabled(true);
    expect_marked({ImageForm::ID_ZOOM_NONE, ImageForm::ID_ROTATION_CW90, ImageForm::ID_MIDDLE_LINES});

    menu(ImageForm::ID_MIDDLE_LINES); // the item's command, with the item unchecked, hides the lines
    EXPECT_FALSE(viewer->middle_line_enabled());
    expect_marked({ImageForm::ID_ZOOM_NONE, ImageForm::ID_ROTATION_CW90});

    // A free zoom or angle leaves no fit mode or quarter turn marked.
    viewer->set_zoom_rate(1.5);
    viewer->set_rotation_degree(30);
    expect_marked({ImageForm::ID_ZOOM_ANY, ImageForm::ID_ROTATION_ANY});
    menu(ImageForm::ID_ZOOM_NONE);
    menu(ImageForm::ID_ROTATION_NONE);
    menu(ImageForm::ID_ZOOM_ANY); // the items themselves keep the picture's scale and turn by the free angle
    menu(ImageForm::ID_ROTATION_ANY);
    EXPECT_EQ(viewer->zoom_mode(), ZoomMode::ZoomAny);
    EXPECT_EQ(viewer->zoom_rate(), 1.0);
    EXPECT_EQ(viewer->rotation(), Rotation::DegreeAny);
    EXPECT_EQ(viewer->rotation_degree(), 30.0);
}

TEST_F(ImageViewerTest, ColourFileShowsTheSameColoursAsItsRgbPixels)
{
    const auto path = temp_dir() / "colours.png";
    const cv::Mat rgb = gradient(64, 48);
    write_rgb(path, rgb);
    viewer->set_source_image(path);
    EXPECT_EQ(cv::norm(viewer->source_image(), rgb, cv::NORM_INF), 0);

    const cv::Mat shown_from_file = viewer->image_being_shown().clone();
    viewer->set_source_image(rgb);
    EXPECT_EQ(cv::norm(viewer->image_being_shown(), shown_from_file, cv::NORM_INF), 0);
}

TEST_F(ImageViewerTest, UnreadableFileRaisesTheTranslatedMessageAndKeepsTheImage)
{
    viewer->set_source_image(solid(40, 30, cv::Vec3b(1, 2, 3)));
    const cv::Mat shown = viewer->image_being_shown();
    const auto missing = (temp_dir() / "missing.png").string();
    try {
        viewer->set_source_image(missing);
        FAIL() << "no error for " << missing;
    } catch (const AssertionError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "加载图片文件失败，请检查路径中是否有不受支持的字符。[" + missing + "]\n文件或文件夹不存在");
    }
    EXPECT_EQ(viewer->image_being_shown().data, shown.data);
    EXPECT_EQ(viewer->source_image().at<cv::Vec3b>(0, 0), cv::Vec3b(1, 2, 3));

    try {
        viewer->set_source_image(cv::Mat(4, 4, CV_8SC3));
        FAIL() << "8-bit signed array accepted";
    } catch (const TypeError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("不受支持的参数类型。 Expect [str, numpy.ndarray], got ", 0), 0u)
            << error.what();
    }
}

TEST_F(ImageViewerTest, LoadFromTheMenu)
{
    ScriptedInteractionScope scope;
    viewer->set_source_image(solid(40, 30, cv::Vec3b(1, 2, 3)));

    scope.script->paths = {std::nullopt};
    menu(ImageForm::ID_LOAD_IMAGE);
    ASSERT_TRUE(load_ended(viewer));
    ASSERT_EQ(scope.script->file_dialogs.size(), 1u);
    const FileDialogRequest& request = scope.script->file_dialogs[0];
    EXPECT_EQ(request.parent, viewer);
    EXPECT_EQ(request.message, wxString::FromUTF8("请选择需要加载的图片文件名"));
    EXPECT_EQ(request.wildcard, "Image files (*.png;*.jpg;*.jpeg;*.bmp)|*.png;*.jpg;*.jpeg;*.bmp");
    EXPECT_EQ(request.style, wxFD_OPEN);
    EXPECT_EQ(viewer->source_image().at<cv::Vec3b>(0, 0), cv::Vec3b(1, 2, 3));

    const auto red = temp_dir() / "红色.png";
    write_rgb(red, solid(20, 10, cv::Vec3b(255, 0, 0)));
    scope.script->paths = {wxString::FromUTF8(red.string())};
    menu(ImageForm::ID_LOAD_IMAGE);
    ASSERT_TRUE(load_ended(viewer));
    EXPECT_EQ(viewer->source_image().size(), cv::Size(20, 10));
    EXPECT_EQ(viewer->source_image().at<cv::Vec3b>(5, 5), cv::Vec3b(255, 0, 0));
    EXPECT_TRUE(scope.script->messages.empty());

    const auto broken = temp_dir() / "broken.png";
    std::ofstream(broken) << "not an image";
    scope.script->paths = {wxString(broken.string())};
    menu(ImageForm::ID_LOAD_IMAGE);
    ASSERT_TRUE(load_ended(viewer));
    EXPECT_EQ(viewer->source_image().size(), cv::Size(20, 10)) << "previous image kept";
    ASSERT_EQ(scope.script->messages.size(), 1u);
    EXPECT_EQ(scope.script->messages[0].text,
              wxString::FromUTF8("加载图片文件失败，请检查路径中是否有不受支持的字符。[") + broken.string() + "]\n"
                  + wxString::FromUTF8("文件不是受支持格式的图片"));
    EXPECT_EQ(scope.script->messages[0].caption, wxString::FromUTF8("错误"));
    EXPECT_EQ(scope.script->messages[0].style, wxOK | wxICON_ERROR);
}

class ImageSaveTest : public ImageViewerTest
{
protected:
    void SetUp() override
    {
        ImageViewerTest::SetUp();
        viewer->set_zoom_mode(ZoomMode::NoZoom);
        source = gradient(300, 200);
        viewer->set_source_image(source);
        folder = temp_dir();
    }

    std::filesystem::path save(int id, const std::string& name)
    {
        const auto path = folder / name;
        scope.script->paths = {wxString::FromUTF8(path.string())};
        menu(id);
        return path;
    }

    ScriptedInteractionScope scope;
    cv::Mat source;
    std::filesystem::path folder;
};

TEST_F(ImageSaveTest, ColourSaveWritesTheDisplayedView)
{
    viewer->set_rotation(Rotation::ClockWise90);
    const auto path = save(ImageForm::ID_SAVE_CURRENT_VIEW, "view.png");
    const cv::Mat written = read_rgb(path);
    ASSERT_EQ(written.size(), cv::Size(200, 300)) << "rotated, displayed size";
    EXPECT_EQ(cv::norm(written, viewer->image_being_shown(), cv::NORM_INF), 0);

    ASSERT_EQ(scope.script->file_dialogs.size(), 1u);
    const FileDialogRequest& request = scope.script->file_dialogs[0];
    EXPECT_EQ(request.message, wxString::FromUTF8("请给保存的文件指定路径、名称"));
    EXPECT_EQ(request.default_file, "image.png");
    EXPECT_EQ(request.default_dir, "");
    EXPECT_EQ(request.style, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    ASSERT_EQ(scope.script->messages.size(), 1u);
    EXPECT_EQ(scope.script->messages[0].text, wxString::FromUTF8("保存图片成功"));
    EXPECT_EQ(scope.script->messages[0].caption, wxString::FromUTF8("信息"));
    EXPECT_EQ(scope.script->messages[0].style, wxOK | wxICON_INFORMATION);
}

TEST_F(ImageSaveTest, SelectionDecidesWhatIsWritten)
{
    struct Case
    {
        std::array<int, 4> selection;
        cv::Rect expected;
    };
    const Case cases[] = {
        {{100, 50, 20, 10}, {100, 50, 20, 10}},
        {{290, 195, 30, 30}, {290, 195, 10, 5}},  // cut at the far edges
        {{100, 50, 0, 10}, {0, 0, 300, 200}},     // covers no pixel: whole view
        {{100, 50, -30, -20}, {71, 31, 30, 20}},  // dragged up-left, ending on (100, 50)
        {{-1, -1, 0, 0}, {0, 0, 300, 200}},       // no selection
    };
    int n = 0;
    // Unzoomed and unturned, the source's pixels are the view's: both saves write the same.
    for (const int id : {int(ImageForm::ID_SAVE_CURRENT_VIEW), int(ImageForm::ID_SAVE_SOURCE_SELECTION)})
        for (const auto& c : cases) {
            viewer->set_selection_rect(c.selection);
            const auto path = save(id, "part" + std::to_string(n++) + ".png");
            const cv::Mat written = read_rgb(path);
            ASSERT_EQ(written.size(), c.expected.size()) << "selection " << c.selection[0] << "," << c.selection[1]
                                                         << "," << c.selection[2] << "," << c.selection[3];
            EXPECT_EQ(cv::norm(written, source(c.expected), cv::NORM_INF), 0);
        }
}

TEST_F(ImageSaveTest, GrayscaleSaveWritesOneChannel)
{
    viewer->set_selection_rect({10, 20, 50, 40});
    const auto path = save(ImageForm::ID_SAVE_GRAYSCALE, "gray.png");
    const cv::Mat written = read_rgb(path);
    ASSERT_EQ(written.channels(), 1);
    cv::Mat expected;
    cv::cvtColor(source(cv::Rect(10, 20, 50, 40)), expected, cv::COLOR_RGB2GRAY);
    EXPECT_EQ(cv::norm(written, expected, cv::NORM_INF), 0);
}

TEST_F(ImageSaveTest, CancelOrNoImageWritesNothing)
{
    scope.script->paths = {std::nullopt};
    menu(ImageForm::ID_SAVE_CURRENT_VIEW);
    EXPECT_EQ(scope.script->file_dialogs.size(), 1u);
    EXPECT_TRUE(scope.script->messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    auto* empty = add_viewer(second_frame());
    wxCommandEvent event(wxEVT_MENU, ImageForm::ID_SAVE_GRAYSCALE);
    empty->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(scope.script->file_dialogs.size(), 1u) << "no dialog without an image";
}

TEST_F(ImageSaveTest, FailedWriteKeepsTheExistingFile)
{
    const auto existing = folder / "keep.png";
    write_rgb(existing, solid(5, 5, cv::Vec3b(9, 9, 9)));
    const std::string before = file_bytes(existing);

    const std::pair<std::string, const char*> cases[] = {{"keep.xyz", "没有扩展名 .xyz 的图片编码器"},
                                                         {"keep.png/inside.png", "路径中有一段不是文件夹"}};
    for (const auto& [name, cause] : cases) {
        scope.script->messages.clear();
        save(ImageForm::ID_SAVE_CURRENT_VIEW, name);
        ASSERT_EQ(scope.script->messages.size(), 1u) << name;
        EXPECT_EQ(scope.script->messages[0].text,
                  wxString::FromUTF8("保存图片失败\n[" + (folder / name).string() + "]\n" + cause))
            << name;
        EXPECT_EQ(scope.script->messages[0].caption, wxString::FromUTF8("错误"));
        EXPECT_EQ(scope.script->messages[0].style, wxOK | wxICON_ERROR);
    }
    EXPECT_EQ(file_bytes(existing), before);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file left behind";
}

TEST_F(ImageSaveTest, SourceSelectionKeepsTheDepthAndChannelsOfAFileReadAtItsOwnDepth)
{
    viewer->set_native_depth(true);
    cv::Mat gray16(20, 30, CV_16UC1), bgra16(20, 30, CV_16UC4), gray_float(20, 30, CV_32FC1);
    cv::randu(gray16, 0, 65536), cv::randu(bgra16, 0, 65536), cv::randu(gray_float, -1e4, 1e4);
    const cv::Rect part(5, 4, 10, 6);
    for (const auto& [name, in_file] : {std::pair("gray16.png", gray16), std::pair("bgra16.png", bgra16),
                                        std::pair("float.tif", gray_float)}) {
        const auto in = folder / (std::string("in-") + name);
        ASSERT_TRUE(cv::imwrite(in.string(), in_file));
        viewer->set_source_image(in);
        viewer->set_selection_rect({part.x, part.y, part.width, part.height});
        const cv::Mat written = cv::imread(save(ImageForm::ID_SAVE_SOURCE_SELECTION, name).string(), cv::IMREAD_UNCHANGED);
        EXPECT_TRUE(written.type() == in_file.type() && cv::norm(written, in_file(part), cv::NORM_INF) == 0) << name;
    }

    const auto kept = folder / "kept.jpg";
    write_rgb(kept, solid(5, 5, cv::Vec3b(9, 9, 9)));
    const std::string before = file_bytes(kept);
    save(ImageForm::ID_SAVE_SOURCE_SELECTION, "kept.jpg");
    EXPECT_EQ(scope.script->messages.back().text,
              wxString::FromUTF8("保存图片失败\n[" + kept.string() + "]\n扩展名 .jpg 的格式无法原样保存这幅图片的位深和通道"));
    EXPECT_EQ(file_bytes(kept), before);
}

TEST_F(ImageViewerTest, AutoLevelsItemServesSourcesWithLevels)
{
    ScriptedInteractionScope scope;
    const auto item_enabled = [&] {
        wxContextMenuEvent request(wxEVT_CONTEXT_MENU, viewer->GetId(), viewer->ClientToScreen(wxPoint(5, 5)));
        viewer->GetEventHandler()->ProcessEvent(request);
        return viewer->ui_poup_menu->IsEnabled(ImageForm::ID_AUTO_LEVELS);
    };
    viewer->set_source_image(gradient(60, 40));
    EXPECT_FALSE(item_enabled()) << "8-bit colour has no levels";
    viewer->set_source_image(cv::Mat(40, 60, CV_16UC1, cv::Scalar(3000)));
    viewer->set_levels(std::pair(0.0, 65535.0));
    EXPECT_TRUE(item_enabled());
    EXPECT_EQ(viewer->ui_poup_menu->GetLabel(ImageForm::ID_AUTO_LEVELS), wxString::FromUTF8("自动色阶"));
    menu(ImageForm::ID_AUTO_LEVELS);
    EXPECT_EQ(viewer->levels(), std::nullopt);
}

} // namespace

namespace {

TEST_F(ImageSaveTest, SaveBoxSpeaksTheChosenLanguage)
{
    ASSERT_TRUE(i18n::set_language("en"));
    save(ImageForm::ID_SAVE_CURRENT_VIEW, "english.png");
    i18n::set_language("");
    ASSERT_EQ(scope.script->messages.size(), 1u);
    EXPECT_EQ(scope.script->messages[0].text, "The image was saved.");
    EXPECT_EQ(scope.script->messages[0].caption, "Information");
    ASSERT_EQ(scope.script->file_dialogs.size(), 1u);
    EXPECT_EQ(scope.script->file_dialogs[0].message, "Choose the path and name of the file to save");
    EXPECT_EQ(scope.script->file_dialogs[0].wildcard,
              "Image files (*.png;*.jpg;*.jpeg;*.bmp)|*.png;*.jpg;*.jpeg;*.bmp")
        << "filters are not translated";
}

} // namespace

TEST_F(ImageViewerTest, PopupZoomItemsZoomAboutWhereTheMenuWasOpened)
{
    viewer->set_zoom_mode(ZoomMode::NoZoom);
    viewer->set_source_image(gradient(1000, 800));
    viewer->ui_scroll_bar_horizontal->SetThumbPosition(200);
    viewer->ui_scroll_bar_vertical->SetThumbPosition(200);
    viewer->draw_image();
    wxMouseEvent press(wxEVT_RIGHT_DOWN); // at control (100, 60): source pixel (300, 260)
    press.SetPosition(wxPoint(100, 60));
    viewer->on_mouse_right_down(press);
    for (const auto& [id, rate] : {std::pair(ImageForm::ID_ZOOM_IN, 1.1892), std::pair(ImageForm::ID_ZOOM_OUT, 1.0),
                                   std::pair(ImageForm::ID_ZOOM_OUT, 0.8409),
                                   std::pair(ImageForm::ID_ZOOM_ACTUAL_SIZE, 1.0)}) {
        menu(id);
        EXPECT_EQ(viewer->zoom_mode(), ZoomMode::ZoomAny);
        EXPECT_NEAR(viewer->zoom_rate(), rate, 1e-4);
        EXPECT_EQ(pixel(picture(), 100, 60), wxColour(44, 4, 48)) << "the pressed pixel stays under the press";
    }

    ASSERT_TRUE(i18n::set_language("en"));
    EXPECT_EQ(viewer->ui_poup_menu->GetLabelText(ImageForm::ID_ZOOM_IN), "Zoom in");
    EXPECT_EQ(viewer->ui_poup_menu->GetLabelText(ImageForm::ID_ZOOM_ACTUAL_SIZE), "Actual pixels (1:1)");
    i18n::set_language("");
}
