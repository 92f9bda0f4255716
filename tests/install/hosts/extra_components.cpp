// A host that uses wxWidgets' net and xrc libraries beside tesk_vumo: it
// links only when the package left the host's wxWidgets_LIBRARIES whole.
#include <tesk_vumo/tesk_vumo.h>

#include <wx/init.h>
#include <wx/socket.h>
#include <wx/xrc/xmlres.h>

#include <cstdio>

int main(int argc, char** argv)
{
    wxInitializer toolkit(argc, argv);
    if (!toolkit.IsOk())
        return 1;
    wxIPV4address address;
    address.Hostname("127.0.0.1");
    wxXmlResource::Get()->InitAllHandlers();
    // Something of the library's own, so that it is linked and loaded too.
    const cv::Size turned = tesk_vumo::geometry::rotated_size(cv::Size(4, 3), tesk_vumo::Rotation::ClockWise90);
    std::printf("%s %dx%d\n", static_cast<const char*>(address.IPAddress().utf8_str()), turned.width,
                turned.height);
    return 0;
}
