// Every broken file of the corpus, loaded into every viewer, by the host and
// through the load commands: the documented error or outcome, never a
// crash, and the view kept where a failed load must keep it.

#include "corrupt_corpus.h"
#include "reliability_support.h"
#include "scripted_interaction.h"
#include "test_support.h"
#include "viewer_snapshot.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/strconv.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class CorruptFilesTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(400, 300);
        FrameTest::SetUp();
        Rng rng(storm_seed());
        corpus = make_corrupt_corpus(temp_dir(), rng, unreadable_skipped);
        if (unreadable_skipped)
            std::cout << "[ skipped  ] the file without read permission: this process reads it anyway"
                      << std::endl;
    }

    /// A large picture at one pixel per pixel, scrolled and with a selection
    /// dragged on it: what a failed load has to leave alone.
    template <class Viewer>
    void show_baseline(Viewer* viewer)
    {
        viewer->set_zoom_mode(ZoomMode::NoZoom);
        viewer->set_source_image(baseline);
        viewer->ui_scroll_bar_horizontal->SetThumbPosition(100);
        viewer->ui_scroll_bar_vertical->SetThumbPosition(50);
        viewer->draw_image();
        for (auto [type, x, y] : {std::tuple{wxEVT_LEFT_DOWN, 20, 30}, std::tuple{wxEVT_MOTION, 60, 70}}) {
            wxMouseEvent event(type);
            event.SetPosition(wxPoint(x, y));
            event.SetLeftDown(true);
            deliver(viewer->ui_image, event, "a drag");
        }
        ASSERT_EQ(viewer->selection_rect(), wxRect(120, 80, 41, 41));
    }

    /// @p after with the buffer of @p before: the event loop runs while a
    /// load command decodes, and a redraw there may make the buffer anew.
    static ViewerSnapshot same_buffer(ViewerSnapshot after, const ViewerSnapshot& before)
    {
        after.buffer = before.buffer;
        return after;
    }

    /// A decodable file shows what the codec reads; of a JPEG cut short the
    /// codec's own reading has undefined pixels where the data ends, so only
    /// its size is compared.
    static void expect_codec_pixels(const cv::Mat& shown, const cv::Mat& codec, const CorpusFile& file)
    {
        ASSERT_EQ(shown.size(), codec.size());
        if (file.path.extension() != ".jpg")
            EXPECT_EQ(cv::norm(shown, codec, cv::NORM_INF), 0);
    }

    static wxString dialog_answer(const std::filesystem::path& path)
    {
        // What the toolkit's file dialog hands back for this file name.
        return wxString(path.c_str(), *wxConvFileName);
    }

    /// Checks a host's setting of @p file on @p viewer; returns whether the
    /// file was shown (the view then has to be prepared again).
    template <class Viewer>
    bool host_sets(Viewer* viewer, const CorpusFile& file, const std::string& message)
    {
        SCOPED_TRACE(file.kind);
        const cv::Mat expected = codec_reading(file.path);
        const ViewerSnapshot before = snapshot(*viewer);
        try {
            viewer->set_source_image(file.path);
        } catch (const AssertionError& error) {
            EXPECT_TRUE(expected.empty()) << "the codec reads it";
            const std::string what = error.what();
            EXPECT_EQ(what.substr(0, what.find('\n')), message) << "then the cause";
            EXPECT_EQ(snapshot(*viewer), before);
            return false;
        } catch (const std::exception& error) {
            ADD_FAILURE() << "unexpected error: " << error.what();
            return false;
        }
        EXPECT_FALSE(expected.empty()) << "shown although the codec cannot read it";
        expect_codec_pixels(viewer->source_image(), expected, file);
        return true;
    }

    PermissionChecksEnforced as_a_user; // first: the corpus is made under it
    cv::Mat baseline = gradient(600, 450);
    std::vector<CorpusFile> corpus;
    bool unreadable_skipped = false;
    ScriptedInteractionScope dialogs;
};

TEST_F(CorruptFilesTest, SimpleImagePanelRaisesTheReadFailureAndKeepsItsPicture)
{
    auto* viewer = fill_frame(new SimpleImagePanel(frame, wxSize(480, 360)));
    viewer->set_source_image(baseline);
    int shown = 0;
    for (const CorpusFile& file : corpus) {
        if (host_sets(viewer, file, standard_read_failure(file.path.string()))) {
            ++shown;
            viewer->set_source_image(baseline);
        }
    }
    report_figure("corrupt files tried on SimpleImagePanel (host)", static_cast<long>(corpus.size()));
    report_figure("  of which the codec still decodes", shown);
}

TEST_F(CorruptFilesTest, ImagePanelRaisesTheReadFailureAndKeepsItsView)
{
    auto* viewer = fill_frame(new ImagePanel(frame));
    ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
    for (const CorpusFile& file : corpus)
        if (host_sets(viewer, file, standard_read_failure(file.path.string())))
            ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
    report_figure("corrupt files tried on ImagePanel (host)", static_cast<long>(corpus.size()));
}

TEST_F(CorruptFilesTest, ImageRaisesItsOwnReadFailureAndKeepsItsView)
{
    auto* viewer = fill_frame(new Image(frame));
    ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
    for (const CorpusFile& file : corpus)
        if (host_sets(viewer, file, context_read_failure(file.path.string())))
            ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
    report_figure("corrupt files tried on Image (host)", static_cast<long>(corpus.size()));
}

TEST_F(CorruptFilesTest, ImagePanelLoadCommandReportsAnUndecodableFileAndKeepsItsView)
{
    auto* viewer = fill_frame(new ImagePanel(frame));
    ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
    for (const CorpusFile& file : corpus) {
        SCOPED_TRACE(file.kind);
        const cv::Mat expected = codec_reading(file.path);
        const ViewerSnapshot before = snapshot(*viewer);
        dialogs.script->messages.clear();
        dialogs.script->paths.push_back(dialog_answer(file.path));
        wxCommandEvent click(wxEVT_BUTTON);
        deliver(viewer->ui_button_load, click, "the load button");
        ASSERT_TRUE(load_ended(viewer));
        if (expected.empty()) {
            EXPECT_EQ(same_buffer(snapshot(*viewer), before), before);
            ASSERT_EQ(dialogs.script->messages.size(), 1u);
            const auto& box = dialogs.script->messages.front();
            EXPECT_EQ(box.style, wxOK | wxICON_ERROR);
            const wxString readable = wxString::FromUTF8(context_read_failure(file.path.string()));
            if (!readable.empty())
                EXPECT_EQ(box.text.BeforeFirst('\n'), readable);
            EXPECT_FALSE(box.text.AfterFirst('\n').empty()) << "no cause given";
        } else {
            EXPECT_TRUE(dialogs.script->messages.empty());
            expect_codec_pixels(viewer->source_image(), expected, file);
            ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
        }
    }
    report_figure("corrupt files tried on ImagePanel (load command)", static_cast<long>(corpus.size()));
}

TEST_F(CorruptFilesTest, ImageLoadCommandReportsAnUndecodableFileAndKeepsItsView)
{
    auto* viewer = fill_frame(new Image(frame));
    ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
    for (const CorpusFile& file : corpus) {
        SCOPED_TRACE(file.kind);
        const cv::Mat expected = codec_reading(file.path);
        const ViewerSnapshot before = snapshot(*viewer);
        dialogs.script->messages.clear();
        dialogs.script->paths.push_back(dialog_answer(file.path));
        wxCommandEvent command(wxEVT_MENU, ImageForm::ID_LOAD_IMAGE);
        deliver(viewer, command, "the load item");
        ASSERT_TRUE(load_ended(viewer));
        if (expected.empty()) {
            EXPECT_EQ(same_buffer(snapshot(*viewer), before), before);
            ASSERT_EQ(dialogs.script->messages.size(), 1u);
            const auto& box = dialogs.script->messages.front();
            EXPECT_EQ(box.style, wxOK | wxICON_ERROR);
            EXPECT_EQ(box.caption, wxString::FromUTF8("错误"));
            EXPECT_FALSE(box.text.empty());
            const wxString readable = wxString::FromUTF8(context_read_failure(file.path.string()));
            if (!readable.empty())
                EXPECT_EQ(box.text.BeforeFirst('\n'), readable);
            EXPECT_FALSE(box.text.AfterFirst('\n').empty()) << "no cause given";
        } else {
            EXPECT_TRUE(dialogs.script->messages.empty());
            EXPECT_EQ(viewer->source_image().size(), expected.size());
            ASSERT_NO_FATAL_FAILURE(show_baseline(viewer));
        }
    }
    report_figure("corrupt files tried on Image (load command)", static_cast<long>(corpus.size()));
}

TEST_F(CorruptFilesTest, AGoodFileUnderANameThatIsNotUtf8LoadsEverywhere)
{
    const std::filesystem::path path = temp_dir() / std::string("pic\xff\xfe\xc3(.png");
    write_bytes(path, encoded(".png", gradient(30, 20)));
    frame->SetClientSize(1500, 600);
    ASSERT_TRUE(wait_until([&] { return frame->GetClientSize() == wxSize(1500, 600); }));
    auto* image = new Image(frame);
    auto* panel = new ImagePanel(frame);
    auto* simple = new SimpleImagePanel(frame, wxSize(200, 150));
    frame->SetSizer(new wxBoxSizer(wxHORIZONTAL));
    for (wxWindow* viewer : std::initializer_list<wxWindow*>{image, panel, simple})
        frame->GetSizer()->Add(viewer, 1, wxEXPAND);
    frame->Layout();
    pump();

    simple->set_source_image(path);
    EXPECT_EQ(simple->source_image().size(), cv::Size(30, 20));
    panel->set_source_image(path);
    EXPECT_EQ(panel->source_image().size(), cv::Size(30, 20));
    image->set_source_image(path);
    EXPECT_EQ(image->source_image().size(), cv::Size(30, 20));

    panel->set_source_image(std::nullopt);
    dialogs.script->paths.push_back(dialog_answer(path));
    wxCommandEvent click(wxEVT_BUTTON);
    deliver(panel->ui_button_load, click, "the load button");
    ASSERT_TRUE(load_ended(panel));
    EXPECT_EQ(panel->source_image().size(), cv::Size(30, 20));

    image->set_source_image(std::nullopt);
    dialogs.script->paths.push_back(dialog_answer(path));
    wxCommandEvent command(wxEVT_MENU, ImageForm::ID_LOAD_IMAGE);
    deliver(image, command, "the load item");
    ASSERT_TRUE(load_ended(image));
    EXPECT_EQ(image->source_image().size(), cv::Size(30, 20));
    EXPECT_TRUE(dialogs.script->messages.empty());
}

} // namespace

namespace {

TEST_F(CorruptFilesTest, ImageNamesAFileWhoseNameIsNotUtf8InItsErrorBox)
{
    // The box used to be empty: its text was decoded as UTF-8 as a whole.
    auto* viewer = fill_frame(new Image(frame));
    const std::filesystem::path dir = temp_dir();
    const std::filesystem::path path = dir / std::string("bad\xff(name.png");
    write_bytes(path, std::vector<uchar>(40, 0x42));
    dialogs.script->paths.push_back(dialog_answer(path));
    wxCommandEvent command(wxEVT_MENU, ImageForm::ID_LOAD_IMAGE);
    deliver(viewer, command, "the load item");
    ASSERT_TRUE(load_ended(viewer));
    ASSERT_EQ(dialogs.script->messages.size(), 1u);
    EXPECT_EQ(dialogs.script->messages.front().text.BeforeFirst('\n'),
              wxString::FromUTF8(context_read_failure(dir.string() + "/bad\\377(name.png")));
}

TEST_F(CorruptFilesTest, AJpegCutShortShowsGreyWhereItsDataEnds)
{
    // The codec used to hand back whatever its scratch memory held for the
    // rows it never received: a different picture on every load.
    const std::vector<uchar> whole = encoded(".jpg", gradient(64, 64));
    size_t scan = 0;
    for (size_t i = 0; i + 1 < whole.size() && !scan; ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA)
            scan = i;
    ASSERT_GT(scan, 0u);
    const std::filesystem::path path = temp_dir() / "short.jpg";
    write_bytes(path, std::vector<uchar>(whole.begin(), whole.begin() + scan + 20));

    auto* viewer = fill_frame(new ImagePanel(frame));
    viewer->set_source_image(path);
    const cv::Mat first = viewer->source_image();
    ASSERT_EQ(first.size(), cv::Size(64, 64));
    EXPECT_EQ(cv::norm(first.row(63), cv::Mat(1, 64, CV_8UC3, cv::Scalar::all(128)), cv::NORM_INF), 0)
        << "bottom row " << first.row(63);
    viewer->set_source_image(path);
    EXPECT_EQ(cv::norm(viewer->source_image(), first, cv::NORM_INF), 0);
}

} // namespace
