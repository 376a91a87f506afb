# The program's icon: the SVG drawn for it, rendered by rsvg-convert into the
# hicolor sizes. Included by src/CMakeLists.txt after kervio_gui, which
# embeds the pictures as the window icon, so that the pictures are made in
# that library's folder.
find_program(KERVIO_RSVG_CONVERT rsvg-convert REQUIRED)

set(KERVIO_ICON_ID tr.com.kavrel.Kervio)
set(_kervio_icon_svg ${PROJECT_SOURCE_DIR}/share/icons/${KERVIO_ICON_ID}.svg)
set(_kervio_icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(_kervio_icon_pngs)
foreach(size 16 32 48 64 128 256)
  set(png ${_kervio_icon_dir}/${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_kervio_icon_dir}
    COMMAND ${KERVIO_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${_kervio_icon_svg}
    DEPENDS ${_kervio_icon_svg}
    VERBATIM)
  list(APPEND _kervio_icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KERVIO_ICON_ID}.png)
endforeach()
install(FILES ${_kervio_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

qt_add_resources(kervio_gui kervio_icons PREFIX /icons BASE ${_kervio_icon_dir} FILES ${_kervio_icon_pngs})
