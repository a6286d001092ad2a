# What `cmake --install` puts in place, and the Debian package made from it with `cpack -G DEB`.
#
# Layout under the prefix:
#   games/winzolvik, games/wzolvikcreator  launchers: prepare the player's folder, start the
#                                       program
#   games/wzassets                      the asset tool
#   lib/winzolvik/                      WinZolvik, WZolvikCreator and libJpgToBmp.so side by side,
#                                       so the editor finds the game beside itself
#   share/winzolvik/                    the default WinData.stg and the launchers' shared part
#   share/applications/, share/mime/packages/, share/icons/hicolor/<size>/apps/
#   share/metainfo/                     the game's AppStream entry
#   share/man/man1, man6, share/doc/winzolvik/ (with copyright and changelog.gz)
#
# The launchers find the prefix from their own place, so an unpacked package runs anywhere.

# The commands go where Debian keeps games, all three: the editor and the tool serve only the
# game. (The launchers and the tool find lib/ from one level below the prefix, as from bin/.)
set(WZ_COMMAND_DIR games)
set(WZ_PROGRAM_DIR lib/winzolvik)
set(WZ_DATA_DIR share/winzolvik)
set(WZ_DIST_DIR ${PROJECT_SOURCE_DIR}/dist)

# Programs and the decoder library. The two GUI programs live in one folder with the library
# and find it through $ORIGIN; the tool in games/ looks into that folder.
set_target_properties(WinZolvik WZolvikCreator PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS WinZolvik WZolvikCreator RUNTIME DESTINATION ${WZ_PROGRAM_DIR})
install(TARGETS JpgToBmp LIBRARY DESTINATION ${WZ_PROGRAM_DIR} NAMELINK_SKIP)
set_target_properties(wzassets PROPERTIES INSTALL_RPATH "$ORIGIN/../${WZ_PROGRAM_DIR}")
install(TARGETS wzassets RUNTIME DESTINATION ${WZ_COMMAND_DIR})
install(FILES ${CMAKE_BINARY_DIR}/WinData.stg DESTINATION ${WZ_DATA_DIR})

# Launchers and desktop integration: the desktop entries start the launchers, and the MIME
# type hands asset files to the editor. Installing these is how the editor offers its
# document type to the desktop.
install(PROGRAMS ${WZ_DIST_DIR}/winzolvik.sh DESTINATION ${WZ_COMMAND_DIR} RENAME winzolvik)
install(PROGRAMS ${WZ_DIST_DIR}/wzolvikcreator.sh DESTINATION ${WZ_COMMAND_DIR} RENAME wzolvikcreator)
install(FILES ${WZ_DIST_DIR}/user-folder.sh DESTINATION ${WZ_DATA_DIR})
install(FILES ${WZ_DIST_DIR}/winzolvik.desktop ${WZ_DIST_DIR}/wzolvikcreator.desktop
        DESTINATION share/applications)
install(FILES ${WZ_DIST_DIR}/winzolvik-assets.xml DESTINATION share/mime/packages)

# Icons for the hicolor theme, made at build time: the game's from the code that draws its
# window icon, the editor's from its frame icon.
set(WZ_ICON_SIZES 16 22 24 32 48 64 128 256)
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(wz_icon_maker ${WZ_DIST_DIR}/icons/IconMaker.cpp)
target_link_libraries(wz_icon_maker PRIVATE wz_game_resources Qt6::Gui)
set_target_properties(wz_icon_maker PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
set(icon_dir ${CMAKE_BINARY_DIR}/dist/icons)
set(editor_icon ${PROJECT_SOURCE_DIR}/editor/app/resources/frame.png)
set(icon_files "")
foreach(size IN LISTS WZ_ICON_SIZES)
  list(APPEND icon_files ${icon_dir}/${size}/winzolvik.png ${icon_dir}/${size}/wzolvikcreator.png)
  install(FILES ${icon_dir}/${size}/winzolvik.png ${icon_dir}/${size}/wzolvikcreator.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
# A build-time helper: a sanitizer build's leak report at its exit is no concern here.
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:wz_icon_maker> ${editor_icon} ${icon_dir} ${WZ_ICON_SIZES}
  DEPENDS wz_icon_maker ${editor_icon}
  COMMENT "Drawing the desktop icons"
  VERBATIM)
add_custom_target(wz_icons ALL DEPENDS ${icon_files})

# Manual pages and the changelog, compressed as Debian keeps them (-n: no name or time stamp,
# same bytes each build). Each page is installed under the name of its command; man finds
# `man WinZolvik` too, as it ignores case.
function(wz_gzip_file source out)
  get_filename_component(out_dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${source} ${out}
    DEPENDS ${source}
    VERBATIM)
endfunction()
set(man_files "")
foreach(page WinZolvik.6 WZolvikCreator.1 wzassets.1)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  string(TOLOWER ${page} command_page)
  set(out ${CMAKE_BINARY_DIR}/dist/man/${command_page}.gz)
  wz_gzip_file(${WZ_DIST_DIR}/man/${page} ${out})
  list(APPEND man_files ${out})
  install(FILES ${out} DESTINATION share/man/man${section})
endforeach()
add_custom_target(wz_man_pages ALL DEPENDS ${man_files})
# The package is its own upstream, so its history is changelog.gz, not changelog.Debian.gz.
set(changelog ${CMAKE_BINARY_DIR}/dist/changelog.gz)
wz_gzip_file(${WZ_DIST_DIR}/changelog ${changelog})
add_custom_target(wz_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION share/doc/winzolvik)

# The licence in Debian's machine-readable form, and the game's entry for software centres.
install(FILES ${WZ_DIST_DIR}/copyright DESTINATION share/doc/winzolvik)
install(FILES ${WZ_DIST_DIR}/org.winzolvik.WinZolvik.metainfo.xml DESTINATION share/metainfo)

# User documentation.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/winzolvik)
install(FILES ${PROJECT_SOURCE_DIR}/docs/game.md ${PROJECT_SOURCE_DIR}/docs/editor.md
              ${PROJECT_SOURCE_DIR}/docs/asset-file.md
        DESTINATION share/doc/winzolvik)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION share/doc/winzolvik
        FILES_MATCHING PATTERN "*.png")

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME winzolvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The WinZolvik developers")
set(CPACK_PACKAGE_CONTACT "The WinZolvik developers <winzolvik@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game with its asset editor")
# The summary above is the first line of the package's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "WinZolvik is a single-player falling-block puzzle game: seven shapes fall into
a well of 12 by 18 cells, full rows are removed, and every 1000 points complete
one of 20 levels, each played over its own picture and to its own music.
.
WZolvikCreator replaces the pictures and music of the game's asset file, and
wzassets builds, lists, extracts and checks asset files.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_STRIP_FILES ON)
# Qt's platform plugins are loaded at run time (without them no window opens) and the music
# is played with the SoundFont: no tool can see either in the programs, so they are named.
# The libraries the programs link come, with their least versions, from dpkg-shlibdeps
# where it is there (it needs the file utility); else they are named too.
set(WZ_RUNTIME_ONLY_PACKAGES "qt6-qpa-plugins, timgm6mb-soundfont")
find_program(WZ_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(WZ_FILE_UTILITY file)
if(WZ_DPKG_SHLIBDEPS AND WZ_FILE_UTILITY)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${WZ_RUNTIME_ONLY_PACKAGES}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6, libqt6gui6, libqt6core6, libturbojpeg0, libvips42, libsdl2-2.0-0, libsdl2-mixer-2.0-0, libfluidsynth3, libx11-6, ${WZ_RUNTIME_ONLY_PACKAGES}")
endif()
# The desktop tools whose triggers register the MIME type and the menu entries. xdg-open, with
# which the editor opens the file manager, comes with every desktop; as a recommendation it
# would pull in some forty Perl packages and a terminal on a bare system.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-utils")
include(CPack)
