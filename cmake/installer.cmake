# What the installer ships beside the program, and the installer itself (NSIS, makensis):
#   Help.pdf          printed at build time from install/help/Help.html by headless Chromium
#   offlinenews.html  install/offlinenews.html as it is
#   Demos\            the three built-in demos from QUORVEL_DEMO_DIR
#   QuorvelSetup-<version>.exe  in the build tree's top folder
# Without makensis or chromium the installer is not built (scripts/setup.sh installs both);
# the installer tests then fail, saying so.
set(QUORVEL_DEMO_DIR ${CMAKE_SOURCE_DIR}/install/demos CACHE PATH
    "Folder with zrv_highway.dem, zrv_lost_coast.dem and zrv_anticitizen.dem for the installer")
find_program(MAKENSIS_EXECUTABLE makensis)
find_program(CHROMIUM_EXECUTABLE NAMES chromium chromium-browser)

set(installer_name QuorvelSetup-${PROJECT_VERSION}.exe)
set(help_source ${CMAKE_SOURCE_DIR}/install/help/Help.html)
file(GLOB help_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/install/help/*)
set(help_pdf ${CMAKE_BINARY_DIR}/Help.pdf)
set(news_page ${CMAKE_SOURCE_DIR}/install/offlinenews.html)
set(demo_files ${QUORVEL_DEMO_DIR}/zrv_highway.dem ${QUORVEL_DEMO_DIR}/zrv_lost_coast.dem
               ${QUORVEL_DEMO_DIR}/zrv_anticitizen.dem)

# The installer tests find what they install and compare against.
if(TARGET win_installer_tests)
  target_compile_definitions(win_installer_tests PRIVATE
    QUORVEL_INSTALLER_NAME="${installer_name}"
    QUORVEL_INSTALL_SOURCES="Z:${CMAKE_SOURCE_DIR}/install"
    QUORVEL_DEMO_SOURCES="Z:${QUORVEL_DEMO_DIR}")
endif()

if(NOT MAKENSIS_EXECUTABLE OR NOT CHROMIUM_EXECUTABLE)
  message(WARNING "makensis or chromium not found: the installer is not built (run scripts/setup.sh)")
  return()
endif()

# Chromium prints with its own profile in the build tree and without header and footer lines.
add_custom_command(OUTPUT ${help_pdf}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/print-pdf.sh ${CHROMIUM_EXECUTABLE} ${help_source}
    ${help_pdf} ${CMAKE_BINARY_DIR}/chromium
  DEPENDS ${help_files} ${CMAKE_SOURCE_DIR}/scripts/print-pdf.sh
  COMMENT "Printing Help.pdf")
add_custom_target(quorvel_help DEPENDS ${help_pdf})

set(installer ${CMAKE_BINARY_DIR}/${installer_name})
set(installer_script ${CMAKE_SOURCE_DIR}/install/quorvel.nsi)
add_custom_command(OUTPUT ${installer}
  COMMAND ${MAKENSIS_EXECUTABLE} -V2 -WX -DPROGRAM=$<TARGET_FILE:quorvel> -DHELP=${help_pdf}
    -DNEWS=${news_page} -DDEMOS=${QUORVEL_DEMO_DIR} -DVERSION=${PROJECT_VERSION}
    -DOUTFILE=${installer} ${installer_script}
  DEPENDS quorvel ${help_pdf} ${news_page} ${demo_files} ${installer_script}
  COMMENT "Building the installer ${installer_name}")
add_custom_target(quorvel_installer ALL DEPENDS ${installer})

if(TARGET win_installer_tests)
  add_dependencies(win_installer_tests quorvel_installer)
endif()
