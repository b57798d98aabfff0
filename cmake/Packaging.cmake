# Installation and the Debian package: the three programs, their manual pages,
# bash completion for tadmor and the manuals; `cmake --build build --target
# package` builds build/tadmor_VERSION_ARCH.deb. The window's own install
# rules (desktop entry, icons) are in app/gui, the studio's in app/studio.
include(GNUInstallDirs)

install(TARGETS tadmor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/cli/tadmor-completion.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tadmor)
install(FILES ${PROJECT_SOURCE_DIR}/docs/model.md ${PROJECT_SOURCE_DIR}/docs/materials.md ${PROJECT_SOURCE_DIR}/docs/extruder.md
              ${PROJECT_SOURCE_DIR}/materials/default.material
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages, made at build time from the programs' --help (the window's
# from a template). Not in the sanitizer and fuzzing builds: they would run
# an instrumented tadmor at build time, and packaging is not what they test.
if(NOT TADMOR_SANITIZE AND NOT TADMOR_BUILD_FUZZ)
  find_program(HELP2MAN help2man REQUIRED)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_pages)
  foreach(page tadmor tadmor-run tadmor-plot tadmor-sweep tadmor-fit tadmor-solve tadmor-sensitivity tadmor-extruder)
    list(APPEND man_pages ${man_dir}/${page}.1.gz)
  endforeach()
  set(gui_page_option)
  set(gui_page)
  if(TADMOR_BUILD_GUI)
    set(gui_page ${man_dir}/tadmor-gui.1)
    configure_file(${PROJECT_SOURCE_DIR}/app/gui/tadmor-gui.1.in ${gui_page} @ONLY)
    set(gui_page_option -DGUI_PAGE=tadmor-gui.1 -DSTUDIO_DIR=$<TARGET_FILE_DIR:tadmor-studio>)
    list(APPEND man_pages ${gui_page}.gz ${man_dir}/tadmor-studio.1.gz)
  endif()
  add_custom_command(OUTPUT ${man_pages}
    COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM_DIR=$<TARGET_FILE_DIR:tadmor>
            -DVERSION=${PROJECT_VERSION} -DOUTPUT_DIR=${man_dir} ${gui_page_option}
            -P ${PROJECT_SOURCE_DIR}/cmake/ManPages.cmake
    DEPENDS tadmor $<$<BOOL:${TADMOR_BUILD_GUI}>:tadmor-studio> ${PROJECT_SOURCE_DIR}/cmake/ManPages.cmake ${gui_page}
    COMMENT "Writing the manual pages")
  add_custom_target(man-pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The install tree in a temporary prefix: the installed tadmor on the
  # default case, every manual page there, and the installed Python module.
  if(TADMOR_BUILD_TESTS)
    add_test(NAME Packaging.InstallIntoTemporaryPrefix
      COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/install_prefix.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR}
              ${PROJECT_SOURCE_DIR}/tests/data/reference/default.txt $<BOOL:${TADMOR_BUILD_GUI}>
              "$<$<BOOL:${tadmor_python}>:${Python3_EXECUTABLE}>" "${TADMOR_PYTHON_INSTALL_DIR}")
  endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tadmor)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Melting of a polymer in a single-screw extruder (Tadmor melting model)")
set(CPACK_PACKAGE_DESCRIPTION "The tadmor command, the tadmor-gui window and the tadmor-studio workbench simulate how the solid bed of a polymer melts in the channel of a single-screw extruder, increment by increment down the screw, and write a results file; the command also exports CSV and JSON, draws melting profiles, runs parameter sweeps and fits viscosity laws; the studio recalculates as the inputs are typed and shows the melting, the pressure to the die and every warning.")
set(CPACK_PACKAGE_CONTACT "Tadmor developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link (Qt 6, the C++ runtime), from dpkg-shlibdeps;
# the window's Japanese Gothic font besides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic)
# The Python module (in /usr/lib/python3/dist-packages) is built for one
# Python version and makes NumPy arrays; pandas is optional.
if(tadmor_python)
  math(EXPR python_next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${python_next_minor}), python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3-pandas)
endif()
include(CPack)
