# Install-time part of packaging/CMakeLists.txt: writes the launcher, the desktop entry and the
# board's systemd unit with the absolute paths they will have under CMAKE_INSTALL_PREFIX, then
# installs them.
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

# The board's unit, where systemd looks for the units of packages (/usr/lib/systemd/system under
# /usr). Nothing enables it: the site does, once it has said where the store is.
if(KESTRIM_BOARD)
  set(KESTRIM_BOARD_BINARY "${bindir}/kestrim-board")
  configure_file("${KESTRIM_PACKAGING_SOURCE_DIR}/kestrim-board.service.in"
    "${stage}/kestrim-board.service" @ONLY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system" TYPE FILE
    FILES "${stage}/kestrim-board.service")
endif()
