# The Debian package: cmake --build build --target package (or cpack in the build folder) makes
# velmora_VERSION_ARCH.deb from what `cmake --install` installs, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <velmora@quorvane.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "backup program for folders, with 7-Zip archives or rsync mirrors")
# The long description below the summary; CPack puts the summary first, indents the lines and turns the empty one
# into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velmora keeps a list of backup sets. Running a set packs its source folder
into a 7-Zip or zip archive (a full archive, or a full archive followed by
update archives that hold only the changes) or makes a destination folder an
exact mirror of the source with rsync. A new archive replaces the old one
only once it was written whole and tested good.

Sets can be restored as of any earlier run, run on schedules as systemd user
timers, and report failed or overdue backups by desktop notifications. Their
archives can be encrypted, and copied to another computer over ssh or to a
cloud store through rclone.
velmora-run runs the same sets from a terminal, a timer or cron.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvane.com/velmora/")
# The libraries it links come from dpkg-shlibdeps; the programs it runs and the Qt plugins it loads do not.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "7zip-standalone | 7zip (<< 25), rsync, qt6-qpa-plugins")
# ssh and rclone carry off-site copies, which only some sets have.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, dbus-user-session, openssh-client")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "rclone")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
