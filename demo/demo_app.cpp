#include <wx/app.h>
int main() { return 0; }
