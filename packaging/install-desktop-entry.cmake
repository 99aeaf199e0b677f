# Install-time part of packaging/CMakeLists.txt: writes the launcher and the desktop entry with the
# absolute paths they will have under CMAKE_INSTALL_PREFIX, then installs them.
function(kestrim_installed_dir out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

kestrim_installed_dir(bindir "${KESTRIM_BINDIR}")
kestrim_installed_dir(libexecdir "${KESTRIM_LIBEXECDIR}")
kestrim_installed_dir(datadir "${KESTRIM_DATADIR}")
set(KESTRIM_BINARY "${bindir}/kestrim")
set(KESTRIM_LAUNCHER "${libexecdir}/kestrim/kestrim-desktop")

# One stage folder per destination, so that installs into different places can run at once.
string(SHA1 destination "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(stage "${KESTRIM_PACKAGING_STAGE_DIR}/${destination}")
configure_file("${KESTRIM_PACKAGING_SOURCE_DIR}/kestrim-desktop.in" "${stage}/kestrim-desktop"
  @ONLY)
configure_file("${KESTRIM_PACKAGING_SOURCE_DIR}/${KESTRIM_APP_ID}.desktop.in"
  "${stage}/${KESTRIM_APP_ID}.desktop" @ONLY)

file(INSTALL DESTINATION "${libexecdir}/kestrim" TYPE PROGRAM FILES "${stage}/kestrim-desktop")
file(INSTALL DESTINATION "${datadir}/applications" TYPE FILE
  FILES "${stage}/${KESTRIM_APP_ID}.desktop")
