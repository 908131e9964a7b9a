# Writes the page's service worker, SITE/service-worker.js, from TEMPLATE:
# it lists every other file of SITE, and its cache is named after a hash of
# them and of the template, so that a build that changes any of them makes a
# new worker and a new cache.
#   cmake -DSITE=build-web/site -DTEMPLATE=web/service-worker.js.in -P web/site_worker.cmake
file(GLOB names LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names service-worker.js)
list(SORT names)
file(SHA256 ${TEMPLATE} sums)
set(listed "")
foreach(name ${names})
  file(SHA256 ${SITE}/${name} sum)
  string(APPEND sums "\n${name} ${sum}")
  list(APPEND listed "'${name}'")
endforeach()
string(SHA256 hash "${sums}")
string(SUBSTRING ${hash} 0 16 SITE_HASH)
list(JOIN listed ", " SITE_FILES)
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
