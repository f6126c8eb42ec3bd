#include <flitengine/outside/FileNames.h>

#include <wx/strconv.h>
#include <wx/string.h>

void CFileNames::keepEveryByte() {
    // UTF-8 is what the desktop writes names in; the toolkit's GUI makes the same choice.
    static wxConvBrokenFileNames conversion("UTF-8");
    wxConvFileName = &conversion;
}

CFileNames::CArguments::CArguments(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        strings.push_back(wxString(argv[i], wxConvFile).ToStdWstring());
    }
    for (std::wstring& value : strings) {
        pointers.push_back(&value[0]);
    }
    pointers.push_back(nullptr);
}
