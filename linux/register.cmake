# Adds spiralis to XScreenSaver's program list (its application defaults),
# once, with the script the Debian package's maintainer scripts carry; under
# DESTDIR when that is set.
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DPKG_ROOT=$ENV{DESTDIR}"
                        sh "${CMAKE_CURRENT_LIST_DIR}/package/program_list.sh" add "${SPIRALIS_APP_DEFAULTS}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "spiralis could not be added to XScreenSaver's program list")
endif()
