# Copies SRC to DST unless DST exists: the settings file beside the program is
# the user's once it is there, and a rebuild must not reset it.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
