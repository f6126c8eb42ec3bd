# The document fixtures: small EPUB books and PDFs made on the spot, for the importer tests and
# the importer benchmarks (which include this file themselves when the tests are not built).
set(_flit_support ${PROJECT_SOURCE_DIR}/tests/support)

add_library(flit_epub_fixture STATIC ${_flit_support}/EpubFixture.cpp)
target_link_libraries(flit_epub_fixture PUBLIC flitengine_headers)
target_include_directories(flit_epub_fixture PUBLIC ${_flit_support})
flit_set_warnings(flit_epub_fixture)

# PDFs are drawn with cairo.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLIT_CAIRO REQUIRED IMPORTED_TARGET cairo-pdf)
add_library(flit_pdf_fixture STATIC ${_flit_support}/PdfFixture.cpp)
target_link_libraries(flit_pdf_fixture PUBLIC PkgConfig::FLIT_CAIRO)
target_include_directories(flit_pdf_fixture PUBLIC ${PROJECT_SOURCE_DIR}/tests)
flit_set_warnings(flit_pdf_fixture)

unset(_flit_support)
