// GoogleTest main for widget tests: starts the toolkit once, turns wx
// assertions and unexpected modal dialogs into test failures, and sends log
// output to stderr so that nothing ever waits for a person.

#include "tesk_vumo/i18n/i18n.h"
#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>

namespace {

class TestApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};

class FailOnModal : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        ADD_FAILURE() << "unexpected modal dialog: " << dialog->GetTitle().utf8_str();
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

void assert_handler(const wxString& file, int line, const wxString& func, const wxString& cond,
                    const wxString& msg)
{
    ADD_FAILURE() << "wx assertion at " << file.utf8_str() << ":" << line << " in " << func.utf8_str()
                  << ": " << cond.utf8_str() << " " << msg.utf8_str();
}

bool only_listing(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    return false;
}

} // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (only_listing(argc, argv))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "cannot start the toolkit (is there a display?)\n");
        return 1;
    }
    wxInitAllImageHandlers();
    // The tests read the texts as written, whatever the machine's language.
    tesk_vumo::i18n::set_language("");
    wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(assert_handler);
    FailOnModal hook;
    hook.Register();

    const int result = RUN_ALL_TESTS();

    hook.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
