# Installing FlitEngine the way a host author expects a library to install on Debian:
#
#   lib/<multiarch>/libflitengine.so.0.1.0, .so.0 (runtime) and .so (development)
#   include/flitengine/{engine,timing,debug,outside,import}/*.h and FlitExport.h (public only)
#   lib/<multiarch>/cmake/FlitEngine/   find_package(FlitEngine), target FlitEngine::flitengine
#   lib/<multiarch>/pkgconfig/flitengine.pc
#   bin/flitreader, bin/flit-timing, their manual pages, the reader's desktop entry and icons
#
# Every file belongs to one install component, and each component becomes one Debian package
# (cmake/FlitPackaging.cmake): runtime (libflitengine), dev (libflitengine-dev) and reader
# (flitreader). Included at the end of the top-level CMakeLists.txt, once every target exists.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(FLIT_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
set(FLIT_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/FlitEngine)

# --- The library and its headers ---

# Hosts write <flitengine/engine/FlitManager.h>: the include folder above flitengine/.
target_include_directories(flitengine INTERFACE
    $<INSTALL_INTERFACE:${FLIT_INSTALL_INCLUDEDIR}>)

install(TARGETS flitengine
    EXPORT FlitEngineTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT runtime
        NAMELINK_COMPONENT dev
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT dev
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT runtime)

# The public headers, each named: what a host may include. The importers of single formats, the
# markup reader, the word writer and the zip reader are the engine's own and stay out.
set(FLIT_PUBLIC_HEADERS
    engine/FlashedWords.h
    engine/FlitCommandEvent.h
    engine/FlitManager.h
    engine/FlitMetricsData.h
    engine/FlitViewThread.h
    engine/Phrases.h
    engine/Hyphenation.h
    engine/ReadingRules.h
    engine/RenderLatency.h
    engine/WordPacer.h
    timing/FlitWordCalcs.h
    timing/FlitWordCalcsSerializer.h
    timing/SentenceEnd.h
    timing/TimingTableData.h
    timing/TimingTableDataSerializer.h
    debug/FEDebugDlg.h
    debug/FEDebugNotebook.h
    debug/FEMetricsPanel.h
    debug/FETimingConstantsPanel.h
    outside/BlockArena.h
    outside/CommonGuiUtils.h
    outside/DataInfo.h
    outside/DataManager.h
    outside/DocumentRecords.h
    outside/FileNames.h
    outside/FileParser.h
    outside/FileWriter.h
    outside/MessageText.h
    outside/OvriChars.h
    outside/PageManager.h
    outside/ParserBase.h
    outside/StyleInfo.h
    outside/TextTokenizer.h
    outside/Utf8.h
    outside/WriterBase.h
    outside/XMLParser.h
    outside/XMLSerializer.h
    outside/XMLWriter.h
    outside/wxXMLUtils.h
    import/DocumentImporter.h
    import/FormatImporter.h)
# Everything under include/flitengine is public: a header put there is listed here too, or the
# build says so rather than ship a package whose headers include one that is missing.
file(GLOB_RECURSE _flit_found RELATIVE ${PROJECT_SOURCE_DIR}/include/flitengine
    CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/flitengine/*.h)
foreach(_flit_header IN LISTS _flit_found)
    if(NOT _flit_header IN_LIST FLIT_PUBLIC_HEADERS)
        message(FATAL_ERROR "include/flitengine/${_flit_header} is not listed in FLIT_PUBLIC_HEADERS")
    endif()
endforeach()
unset(_flit_found)
foreach(_flit_header IN LISTS FLIT_PUBLIC_HEADERS)
    get_filename_component(_flit_dir ${_flit_header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/include/flitengine/${_flit_header}
        DESTINATION ${FLIT_INSTALL_INCLUDEDIR}/flitengine/${_flit_dir}
        COMPONENT dev)
endforeach()
unset(_flit_header)
unset(_flit_dir)
install(FILES ${PROJECT_BINARY_DIR}/include/flitengine/FlitExport.h
    DESTINATION ${FLIT_INSTALL_INCLUDEDIR}/flitengine
    COMPONENT dev)

# --- The CMake package ---

install(EXPORT FlitEngineTargets
    NAMESPACE FlitEngine::
    DESTINATION ${FLIT_INSTALL_CMAKEDIR}
    COMPONENT dev)
configure_package_config_file(
    ${PROJECT_SOURCE_DIR}/cmake/FlitEngineConfig.cmake.in
    ${PROJECT_BINARY_DIR}/FlitEngineConfig.cmake
    INSTALL_DESTINATION ${FLIT_INSTALL_CMAKEDIR})
# Versions 0.x share the library's SONAME (libflitengine.so.0), so any 0.x satisfies a request
# for an earlier 0.x.
write_basic_package_version_file(
    ${PROJECT_BINARY_DIR}/FlitEngineConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/FlitEngineConfig.cmake
    ${PROJECT_BINARY_DIR}/FlitEngineConfigVersion.cmake
    DESTINATION ${FLIT_INSTALL_CMAKEDIR}
    COMPONENT dev)

# --- The pkg-config file ---

# wxWidgets has no pkg-config file of its own on Debian (it has wx-config), so the flags this
# build found for it go into ours: a host compiles against the headers of both.
set(FLIT_PC_CFLAGS "")
foreach(_flit_item IN LISTS wxWidgets_INCLUDE_DIRS)
    string(APPEND FLIT_PC_CFLAGS " -I${_flit_item}")
endforeach()
foreach(_flit_item IN LISTS wxWidgets_DEFINITIONS)
    string(APPEND FLIT_PC_CFLAGS " -D${_flit_item}")
endforeach()
foreach(_flit_item IN LISTS wxWidgets_CXX_FLAGS)
    string(APPEND FLIT_PC_CFLAGS " ${_flit_item}")
endforeach()
list(JOIN wxWidgets_LIBRARIES " " FLIT_PC_LIBS)
unset(_flit_item)

# The prefix is the one installed into, which `cmake --install --prefix` may change after
# configuring: the file is written at install time. string(CONFIGURE) fills in the @-names now
# and leaves ${CMAKE_INSTALL_PREFIX} for the install step.
configure_file(${PROJECT_SOURCE_DIR}/cmake/flitengine.pc.in
    ${PROJECT_BINARY_DIR}/pkgconfig/flitengine.pc.body @ONLY)
set(FLIT_PC_BODY ${PROJECT_BINARY_DIR}/pkgconfig/flitengine.pc.body)
set(FLIT_PC_FILE ${PROJECT_BINARY_DIR}/pkgconfig/flitengine.pc)
string(CONFIGURE [[
    file(READ "@FLIT_PC_BODY@" _flit_pc_body)
    file(WRITE "@FLIT_PC_FILE@" "prefix=${CMAKE_INSTALL_PREFIX}\n${_flit_pc_body}")
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_LIBDIR@/pkgconfig"
        TYPE FILE FILES "@FLIT_PC_FILE@")
]] _flit_pc_install_code @ONLY)
install(CODE "${_flit_pc_install_code}" COMPONENT dev)
unset(_flit_pc_install_code)

# --- The programs, their manual pages, the desktop entry and the icons ---

if(TARGET flitreader)
    install(TARGETS flitreader RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT reader)
    install(FILES ${PROJECT_SOURCE_DIR}/data/flitreader.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT reader)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/flitreader.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT reader)
    foreach(_flit_size IN ITEMS 48 256)
        install(FILES ${PROJECT_SOURCE_DIR}/data/icons/flitreader-${_flit_size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_flit_size}x${_flit_size}/apps
            RENAME flitreader.png
            COMPONENT reader)
    endforeach()
    unset(_flit_size)
endif()
if(TARGET flit-timing)
    install(TARGETS flit-timing RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT reader)
endif()

# Manual pages go in compressed, as Debian keeps them; -n leaves the name and time out of the
# header so that the same page always compresses to the same bytes.
set(_flit_man_pages)
foreach(_flit_program IN ITEMS flitreader flit-timing)
    if(TARGET ${_flit_program})
        set(_flit_page ${PROJECT_BINARY_DIR}/man/${_flit_program}.1.gz)
        add_custom_command(OUTPUT ${_flit_page}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/man/${_flit_program}.1 > ${_flit_page}
            DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${_flit_program}.1
            COMMENT "Compressing the manual page of ${_flit_program}"
            VERBATIM)
        list(APPEND _flit_man_pages ${_flit_page})
    endif()
endforeach()
if(_flit_man_pages)
    add_custom_target(flit_man_pages ALL DEPENDS ${_flit_man_pages})
    install(FILES ${_flit_man_pages}
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT reader)
endif()
unset(_flit_man_pages)
unset(_flit_page)
unset(_flit_program)

# The PNG icons are rendered from the hand-drawn SVG by the toolkit's own rasteriser and kept in
# the source tree; after a change to the SVG:
#     cmake --build <dir> --target flit_icons
add_executable(flit-render-icon EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/data/icons/render-icon.cpp)
flit_set_warnings(flit-render-icon)
target_link_libraries(flit-render-icon PRIVATE ${wxWidgets_LIBRARIES})
add_custom_target(flit_icons
    COMMAND flit-render-icon flitreader.svg 48 flitreader-48.png
    COMMAND flit-render-icon flitreader.svg 256 flitreader-256.png
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons
    COMMENT "Rendering the reader's PNG icons from data/icons/flitreader.svg"
    VERBATIM)

# --- Tests of the installed package ---

# A sanitizer build's library needs its runtime loaded first, which a host built outside the
# project does not arrange: the package is tested in ordinary builds only.
if(FLIT_BUILD_TESTS AND NOT FLIT_SANITIZE)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/package ${PROJECT_BINARY_DIR}/tests/package)
endif()

include(FlitPackaging)
