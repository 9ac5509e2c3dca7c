# cmake -DSOURCE=a -DDEST=b -P CopyIfPresent.cmake: copies a to b when a
# exists; otherwise removes a stale b.
if(EXISTS "${SOURCE}")
  file(COPY_FILE "${SOURCE}" "${DEST}" ONLY_IF_DIFFERENT)
elseif(EXISTS "${DEST}")
  file(REMOVE "${DEST}")
endif()
