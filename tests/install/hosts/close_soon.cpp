// Preloaded into a quick-start program (LD_PRELOAD): once its main loop has
// run for a moment, closes its windows as a user would, so that the
// program's own close handlers run and it ends by itself.
#include <wx/module.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <vector>

class CloseSoon : public wxModule
{
public:
    bool OnInit() override
    {
        timer_.Bind(wxEVT_TIMER, [](wxTimerEvent&) {
            const std::vector<wxWindow*> windows(wxTopLevelWindows.begin(), wxTopLevelWindows.end());
            for (wxWindow* window : windows)
                window->Close();
        });
        timer_.StartOnce(500);
        return true;
    }
    void OnExit() override { timer_.Stop(); }

private:
    wxTimer timer_;
    wxDECLARE_DYNAMIC_CLASS(CloseSoon);
};

wxIMPLEMENT_DYNAMIC_CLASS(CloseSoon, wxModule);
