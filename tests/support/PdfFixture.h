#ifndef FLIT_TESTS_SUPPORT_PDFFIXTURE_H
#define FLIT_TESTS_SUPPORT_PDFFIXTURE_H

#include <string>

// Draws a small PDF with cairo and gives its bytes. The drawing is one command a line:
//   "X Y text"      the text in DejaVu Sans with its baseline starting at X, Y (points from the
//                   page's top left corner)
//   "#size N"       the font size of the text drawn after it (12 at first)
//   "#page [LABEL]" ends the page; the next page gets the label when one is given
//   "#label LABEL"  labels the first page
//   "#title TITLE"  the document's title in its information
//   "#outline LEVEL PAGE Y TITLE"  an outline entry at LEVEL (0 the top) going to Y points below
//                   the top of PAGE (from 1), or to the named destination when PAGE is "@NAME"
//   "#dest NAME Y"  a named destination Y points below the top of the page being drawn
std::string makePdf(const std::string& drawing);

#endif
