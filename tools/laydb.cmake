# cmake -DFROM=fresh.mdb -DTO=bin/BaseDB.mdb -P laydb.cmake
# Lays the fresh file at TO only where nothing is there. Whatever is at TO (a book
# holding the user's work, or anything else) is left exactly as it is.
if(EXISTS "${TO}" OR IS_SYMLINK "${TO}")
  return()
endif()
get_filename_component(dir "${TO}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
file(COPY_FILE "${FROM}" "${TO}.laying")
# NO_REPLACE: a file that appeared meanwhile wins (it may be a hard link, so the
# temporary name is removed either way).
file(RENAME "${TO}.laying" "${TO}" NO_REPLACE RESULT failed)
file(REMOVE "${TO}.laying")
message(STATUS "Laid a new BaseDB.mdb at ${TO}")
