// A small wxWidgets host with the three tesk_vumo viewers side by side.
//
//   example_host [IMAGE] [--screenshot FILE]
//
// The full viewers start at actual size, turned a quarter clockwise; the
// status bar shows the selection of the middle viewer whenever the user
// releases the mouse over it.

#include <tesk_vumo/tesk_vumo.h>

#include <wx/cmdline.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/sizer.h>
#include <wx/wx.h>

namespace {

class HostFrame : public wxFrame
{
public:
    HostFrame(const wxString& image_path)
        : wxFrame(nullptr, wxID_ANY, "tesk_vumo example host", wxDefaultPosition, wxSize(1500, 560))
    {
        CreateStatusBar();
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        simple_ = new tesk_vumo::SimpleImagePanel(this, wxSize(300, 400));
        panel_ = new tesk_vumo::ImagePanel(this, wxSize(560, 480));
        menu_viewer_ = new tesk_vumo::Image(this, wxSize(560, 480));
        row->Add(simple_, 0, wxEXPAND | wxALL, 4);
        row->Add(panel_, 1, wxEXPAND | wxALL, 4);
        row->Add(menu_viewer_, 1, wxEXPAND | wxALL, 4);
        SetSizer(row);
        Layout();

        const std::string path(image_path.utf8_str());
        simple_->set_source_image(path);
        panel_->set_source_image(path);
        menu_viewer_->set_source_image(path);

        panel_->set_zoom_mode(tesk_vumo::ZoomMode::NoZoom);
        menu_viewer_->set_rotation(tesk_vumo::Rotation::ClockWise90);
        panel_->ui_image->Bind(wxEVT_LEFT_UP, &HostFrame::show_selection, this);
    }

private:
    void show_selection(wxMouseEvent& event)
    {
        const auto [x, y, w, h] = panel_->get_selection_rect();
        SetStatusText(wxString::Format("selection: %d, %d, %d x %d", x, y, w, h));
        event.Skip();
    }

    tesk_vumo::SimpleImagePanel* simple_;
    tesk_vumo::ImagePanel* panel_;
    tesk_vumo::Image* menu_viewer_;
};

bool save_screenshot(wxWindow* window, const wxString& path)
{
    const wxSize size = window->GetClientSize();
    wxBitmap shot(size.x, size.y);
    wxMemoryDC memory(shot);
    wxClientDC client(window);
    memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
    memory.SelectObject(wxNullBitmap);
    return shot.SaveFile(path, wxBITMAP_TYPE_PNG);
}

class HostApp : public wxApp
{
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        wxCmdLineParser parser(argc, argv);
        parser.AddParam("image", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
        parser.AddOption("", "screenshot", "write the window to this PNG file and exit");
        if (parser.Parse() != 0)
            return false;
        const wxString image = parser.GetParamCount() > 0 ? parser.GetParam(0) : wxString("sample.png");
        try {
            frame_ = new HostFrame(image);
        } catch (const tesk_vumo::Error& error) {
            wxFprintf(stderr, "%s\n", wxString::FromUTF8(error.what()));
            return false;
        }
        frame_->Show();
        if (parser.Found("screenshot", &screenshot_))
            CallAfter([this] { take_screenshot(); });
        return true;
    }

private:
    void take_screenshot()
    {
        // Give the first paints a moment to reach the X server.
        for (int i = 0; i < 20; ++i) {
            wxYield();
            wxMilliSleep(10);
        }
        const bool saved = save_screenshot(frame_, screenshot_);
        frame_->Destroy();
        if (!saved)
            exit_code_ = 1;
    }

    int OnRun() override
    {
        const int code = wxApp::OnRun();
        return code != 0 ? code : exit_code_;
    }

    HostFrame* frame_ = nullptr;
    wxString screenshot_;
    int exit_code_ = 0;
};

} // namespace

wxIMPLEMENT_APP(HostApp);
