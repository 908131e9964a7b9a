# Makes the Debian package from the build's installation:
#   cmake -DBUILD=dir -DSTAGE=dir -DSOURCE=linux/package -DINPUTS=dir -DOUT=file.deb
#         -DSPIRALIS_VERSION=x.y.z -DSPIRALIS_ARCH=amd64 -DSPIRALIS_MAINTAINER=...
#         -DSPIRALIS_FILM_PACKAGES="libavformat59;..." -P deb.cmake
# INPUTS holds copyright, postinst and postrm, as the package's CMakeLists.txt
# made them; SOURCE the control file's template and the changelog.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command}: ${status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${STAGE}")
# The component of the package's files: `cmake --install` alone also edits
# the program list (component register), which here the maintainer scripts do.
run(${CMAKE_COMMAND} -E env "DESTDIR=${STAGE}"
    ${CMAKE_COMMAND} --install "${BUILD}" --component Unspecified --prefix /usr --strip)
set(doc "${STAGE}/usr/share/doc/spiralis")
file(MAKE_DIRECTORY "${doc}")
configure_file("${INPUTS}/copyright" "${doc}/copyright" COPYONLY)
execute_process(COMMAND gzip -9n -c "${SOURCE}/changelog" OUTPUT_FILE "${doc}/changelog.gz" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip of the changelog: ${status}")
endif()
# No notes or compiler comments either (what dh_strip leaves out).
run(strip --remove-section=.comment --remove-section=.note "${STAGE}/usr/libexec/xscreensaver/spiralis")
# Whatever the umask: folders and programs rwxr-xr-x, other files rw-r--r--.
run(chmod -R u=rwX,go=rX "${STAGE}")

# The libraries' packages, as dpkg-shlibdeps finds them (it reads a
# debian/control, which a folder of its own provides).
set(shlibs "${STAGE}.shlibs")
file(REMOVE_RECURSE "${shlibs}")
file(WRITE "${shlibs}/debian/control" "Source: spiralis\n\nPackage: spiralis\nArchitecture: any\n")
execute_process(COMMAND dpkg-shlibdeps -O -e "${STAGE}/usr/libexec/xscreensaver/spiralis"
                WORKING_DIRECTORY "${shlibs}" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE "${shlibs}")
if(NOT status EQUAL 0 OR NOT out MATCHES "shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps: ${status}\n${out}${err}")
endif()
set(DEPENDS "${CMAKE_MATCH_1}")
# FFmpeg's libraries, which the hack loads only to record a film: recommended.
string(REPLACE ";" ", " RECOMMENDS "${SPIRALIS_FILM_PACKAGES}")

# md5sums and Installed-Size (KiB, each file rounded up, as dpkg-gencontrol counts).
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT files)
set(sums "")
set(SIZE 0)
foreach(f IN LISTS files)
  file(MD5 "${STAGE}/${f}" md5)
  string(APPEND sums "${md5}  ${f}\n")
  file(SIZE "${STAGE}/${f}" bytes)
  math(EXPR SIZE "${SIZE} + (${bytes} + 1023) / 1024")
endforeach()
file(MAKE_DIRECTORY "${STAGE}/DEBIAN")
file(WRITE "${STAGE}/DEBIAN/md5sums" "${sums}")
configure_file("${SOURCE}/control.in" "${STAGE}/DEBIAN/control" @ONLY)
foreach(script postinst postrm)
  file(COPY "${INPUTS}/${script}" DESTINATION "${STAGE}/DEBIAN"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
file(CHMOD "${STAGE}/DEBIAN/md5sums" "${STAGE}/DEBIAN/control" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

run(dpkg-deb --root-owner-group -Zxz --build "${STAGE}" "${OUT}")
message(STATUS "Debian package: ${OUT}")
