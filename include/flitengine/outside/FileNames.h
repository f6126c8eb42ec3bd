#ifndef FLIT_OUTSIDE_FILENAMES_H
#define FLIT_OUTSIDE_FILENAMES_H

#include <flitengine/FlitExport.h>

#include <string>
#include <vector>

// File names as the system keeps them: bytes, not always UTF-8 (a name written on a Latin-1
// system holds é as the byte 0xE9). The toolkit turns names into its strings and back through
// one conversion; where that conversion is strict, such a name is lost on the way ("No such
// file"). These helpers make every name round-trip: bytes that are not UTF-8 become private
// characters in the string and the same bytes again when the file is opened, as the GUI
// toolkit does for itself once it starts.
class FLIT_EXPORT CFileNames {
public:
    // Sets the toolkit's file name conversion to UTF-8 that keeps other bytes. Call it before
    // the first name is converted (the command line included); idempotent.
    static void keepEveryByte();

    // A program's command line decoded as file names are (after keepEveryByte), for the
    // toolkit's command line parser: an argument that is not UTF-8 keeps its bytes rather than
    // being dropped or read as Latin-1.
    class FLIT_EXPORT CArguments {
    public:
        CArguments(int argc, char** argv);
        CArguments(const CArguments&) = delete;
        CArguments& operator=(const CArguments&) = delete;

        int count() const { return static_cast<int>(strings.size()); }
        // Null-terminated, valid while this object lives.
        wchar_t** values() { return pointers.data(); }

    private:
        std::vector<std::wstring> strings;
        std::vector<wchar_t*> pointers;
    };
};

#endif
