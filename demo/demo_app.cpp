// Shows the library's viewers side by side on one picture.
//
//   tesk_vumo_demo [IMAGE] [--screenshot FILE] [--language LANG] [--size WxH]
//
// IMAGE defaults to the bundled sample picture. With --screenshot the window
// is laid out, painted once, written to FILE as PNG, and the program exits.
// --language shows the viewers' texts in LANG ("en", "zh_CN"; by default the
// system's language), --size gives each viewer that size (480x360).

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/i18n/i18n.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

#include <wx/app.h>
#include <wx/cmdline.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>

namespace {

class DemoFrame : public wxFrame
{
public:
    DemoFrame(const std::filesystem::path& image, const wxSize& viewer_size)
        : wxFrame(nullptr, wxID_ANY, "tesk_vumo demo")
    {
        viewers_ = new wxPanel(this);
        row_ = new wxBoxSizer(wxHORIZONTAL);

        auto* simple = add_viewer("SimpleImagePanel", new tesk_vumo::SimpleImagePanel(viewers_, viewer_size));
        simple->set_source_image(image);
        auto* panel = add_viewer("ImagePanel", new tesk_vumo::ImagePanel(viewers_, viewer_size));
        panel->enable_middle_lines();
        panel->set_pointer_navigation(true);
        panel->set_source_image(image);
        auto* menu_viewer = add_viewer("Image (right-click for the menu)", new tesk_vumo::Image(viewers_, viewer_size));
        menu_viewer->set_pointer_navigation(true);
        menu_viewer->set_source_image(image);
        menu_viewer->set_rotation(tesk_vumo::Rotation::ClockWise90);

        viewers_->SetSizer(row_);
        auto* frame_sizer = new wxBoxSizer(wxVERTICAL);
        frame_sizer->Add(viewers_, 1, wxEXPAND);
        SetSizerAndFit(frame_sizer);
    }

    /// True once every viewer has had a paint event, that is once the whole
    /// window has reached the screen.
    bool all_painted() const { return painted_.size() == watched_.size(); }

private:
    /// Puts @p viewer in the row under a label. Its window and all its
    /// children are watched for the first paint.
    template <class Viewer>
    Viewer* add_viewer(const wxString& label, Viewer* viewer)
    {
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(new wxStaticText(viewers_, wxID_ANY, label), 0, wxALL, 4);
        column->Add(viewer, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 4);
        row_->Add(column, 1, wxEXPAND);
        watched_.push_back(viewer);
        watch_paint(viewer, viewer);
        return viewer;
    }

    void watch_paint(wxWindow* window, wxWindow* viewer)
    {
        window->Bind(wxEVT_PAINT, [this, viewer](wxPaintEvent& event) {
            painted_.insert(viewer);
            event.Skip();
        });
        for (wxWindow* child : window->GetChildren())
            watch_paint(child, viewer);
    }

    wxPanel* viewers_;
    wxBoxSizer* row_;
    std::vector<wxWindow*> watched_;
    std::set<wxWindow*> painted_;
};

class DemoApp : public wxApp
{
public:
    void OnInitCmdLine(wxCmdLineParser& parser) override
    {
        wxApp::OnInitCmdLine(parser);
        parser.AddOption(wxEmptyString, "screenshot", "write the window to FILE (PNG) once shown, then exit",
                         wxCMD_LINE_VAL_STRING);
        parser.AddOption(wxEmptyString, "language", "show the viewers' texts in LANG (en, zh_CN)",
                         wxCMD_LINE_VAL_STRING);
        parser.AddOption(wxEmptyString, "size", "size WxH of each viewer (480x360)", wxCMD_LINE_VAL_STRING);
        parser.AddParam("image", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
        parser.SetLogo("Shows IMAGE (by default the bundled sample picture) in the tesk_vumo viewers.");
    }

    bool OnCmdLineParsed(wxCmdLineParser& parser) override
    {
        if (!wxApp::OnCmdLineParsed(parser))
            return false;
        parser.Found("screenshot", &screenshot_);
        wxString language, size;
        if (parser.Found("language", &language) && !tesk_vumo::i18n::set_language(language)) {
            std::fprintf(stderr, "tesk_vumo_demo: no catalogue for %s\n", static_cast<const char*>(language.utf8_str()));
            return false;
        }
        if (parser.Found("size", &size)) {
            long width = 0, height = 0;
            if (!size.BeforeFirst('x').ToLong(&width) || !size.AfterFirst('x').ToLong(&height) || width <= 0
                || height <= 0) {
                std::fprintf(stderr, "tesk_vumo_demo: --size wants WxH, e.g. 640x480\n");
                return false;
            }
            viewer_size_ = wxSize(width, height);
        }
        image_ = parser.GetParamCount() > 0 ? parser.GetParam(0) : wxString(TESK_VUMO_SAMPLE_IMAGE);
        return true;
    }

    bool OnInit() override
    {
        if (!wxApp::OnInit())
            return false;
        wxInitAllImageHandlers();
        try {
            frame_ = new DemoFrame(std::filesystem::path(std::string(image_.fn_str())), viewer_size_);
        } catch (const tesk_vumo::Error& error) {
            std::fprintf(stderr, "tesk_vumo_demo: %s\n", error.what());
            return false;
        }
        frame_->Show();
        if (!screenshot_.empty()) {
            started_ = std::chrono::steady_clock::now();
            timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { poll_for_screenshot(); });
            timer_.Start(20);
        }
        return true;
    }

    int OnRun() override
    {
        const int code = wxApp::OnRun();
        return exit_code_ != 0 ? exit_code_ : code;
    }

private:
    void poll_for_screenshot()
    {
        using namespace std::chrono;
        if (!frame_->all_painted()) {
            if (steady_clock::now() - started_ > seconds(10))
                finish(2, "the window was never painted");
            return;
        }
        // Let the paints that follow the first one finish too.
        if (++settle_ticks_ < 5)
            return;
        const wxSize size = frame_->GetClientSize();
        wxBitmap bitmap(size);
        {
            wxMemoryDC memory(bitmap);
            wxClientDC client(frame_);
            memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
        }
        if (!bitmap.ConvertToImage().SaveFile(screenshot_, wxBITMAP_TYPE_PNG))
            finish(1, "cannot write " + screenshot_);
        else
            finish(0, wxEmptyString);
    }

    void finish(int code, const wxString& message)
    {
        timer_.Stop();
        if (!message.empty())
            std::fprintf(stderr, "tesk_vumo_demo: %s\n", static_cast<const char*>(message.utf8_str()));
        exit_code_ = code;
        frame_->Destroy();
    }

    wxString image_;
    wxString screenshot_;
    wxSize viewer_size_{480, 360};
    DemoFrame* frame_ = nullptr;
    wxTimer timer_;
    std::chrono::steady_clock::time_point started_;
    int settle_ticks_ = 0;
    int exit_code_ = 0;
};

} // namespace

wxIMPLEMENT_APP(DemoApp);
