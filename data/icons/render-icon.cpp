// render-icon: draws an SVG picture into a PNG file of the given size, through the toolkit's own
// SVG rasteriser, so that the reader's PNG icons are made from the one hand-drawn SVG.
//
//     render-icon SVG SIZE PNG

#include <wx/bmpbndl.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: render-icon SVG SIZE PNG\n");
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < 1 || size > 4096) {
        std::fprintf(stderr, "render-icon: SIZE must be from 1 to 4096, not '%s'\n", argv[2]);
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "render-icon: cannot initialise the toolkit\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);

    const wxBitmapBundle bundle = wxBitmapBundle::FromSVGFile(argv[1], wxSize(size, size));
    if (!bundle.IsOk()) {
        std::fprintf(stderr, "render-icon: cannot read the SVG picture '%s'\n", argv[1]);
        return 1;
    }
    const wxImage image = bundle.GetBitmap(wxSize(size, size)).ConvertToImage();
    if (!image.IsOk() || !image.SaveFile(argv[3], wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "render-icon: cannot write '%s'\n", argv[3]);
        return 1;
    }
    return 0;
}
