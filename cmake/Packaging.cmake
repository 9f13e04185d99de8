# `cmake --install build --prefix P` installs tessaro-sim so that P/bin/tessaro-sim runs from
# anywhere once the build tree is gone: the stand-in frameworks and the stand-in builds of
# both deliverables in P/lib/tessaro (found through the RPATH), the progress image in
# P/share/tessaro; the fonts and gnuplot come from their Debian packages. CPack makes
# tessaro-sim_VERSION_amd64.deb from the same installation, its library dependencies
# computed by dpkg-shlibdeps.
set(platform_libraries
  platform_objc platform_core platform_plist platform_hardware platform_foundation platform_coregraphics
  platform_quartzcore platform_uikit platform_libcolorpicker platform_audiotoolbox platform_coremotion
  platform_telephony platform_frontboard platform_controlcenter platform_springboard platform_substrate
  platform_device)
install(TARGETS tessaro-sim RUNTIME DESTINATION bin)
install(TARGETS ${platform_libraries} Tessaro LIBRARY DESTINATION lib/tessaro)
install(TARGETS TessaroModule LIBRARY DESTINATION lib/tessaro/TessaroModule.bundle)
install(DIRECTORY ${TESSARO_MODULE_BUNDLE_DIR}/ DESTINATION lib/tessaro/TessaroModule.bundle
  FILES_MATCHING PATTERN "*.png" PATTERN "Info.plist")
install(FILES ${TESSARO_PROGRESS_IMAGE} DESTINATION share/tessaro)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaro-sim)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessaro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tessaro's simulator: a stand-in SpringBoard that runs the tweak")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
# What is not a shared library the simulator loads: the drawing font and the plotter.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-inter, gnuplot-nox | gnuplot")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
