#include "support/PdfFixture.h"

#include <cairo-pdf.h>

#include <sstream>
#include <vector>

std::string makePdf(const std::string& drawing) {
    std::string bytes;
    const auto append = [](void* out, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(out)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(append, &bytes, 595, 842);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    // The outline's entry last added at each level, the parent of the next one below it.
    std::vector<int> parents{CAIRO_PDF_OUTLINE_ROOT};
    std::istringstream lines(drawing);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string command, rest;
        double x = 0, y = 0;
        if (line[0] != '#' && fields >> x >> y && std::getline(fields >> std::ws, rest)) {
            cairo_move_to(cr, x, y);
            cairo_show_text(cr, rest.c_str());
            continue;
        }
        fields >> command >> std::ws;
        if (command == "#outline") {
            std::size_t level = 0;
            std::string page, title;
            fields >> level >> page >> y >> std::ws;
            std::getline(fields, title);
            const std::string target = page[0] == '@'
                                           ? "dest='" + page.substr(1) + "'"
                                           : "page=" + page + " pos=[0 " + std::to_string(y) + "]";
            parents.resize(level + 1);
            parents.push_back(cairo_pdf_surface_add_outline(surface, parents[level], title.c_str(),
                                                            target.c_str(),
                                                            CAIRO_PDF_OUTLINE_FLAG_OPEN));
            continue;
        }
        if (command == "#dest") {
            std::string name;
            fields >> name >> y;
            const std::string attributes = "name='" + name + "' y=" + std::to_string(y);
            cairo_tag_begin(cr, CAIRO_TAG_DEST, attributes.c_str());
            cairo_tag_end(cr, CAIRO_TAG_DEST);
            continue;
        }
        std::getline(fields, rest);
        if (command == "#size") {
            cairo_set_font_size(cr, std::stod(rest));
        } else if (command == "#title") {
            cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, rest.c_str());
        } else if (command == "#page") {
            cairo_show_page(cr);
        }
        if ((command == "#page" || command == "#label") && !rest.empty()) {
            cairo_pdf_surface_set_page_label(surface, rest.c_str());
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return bytes;
}
