# The Debian package of both programs: `cpack --preset deb` (or tools/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane-tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kelvane and Tessaly developers")
set(CPACK_PACKAGE_CONTACT ${KT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "expansion animation and Fibonacci timing calculator")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories in the package are 0755 whatever the umask of the machine that builds it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package is for the machine the programs are built for, not the one that builds them: CPack
# would ask dpkg for the latter. The compiler's multiarch triplet says which (a cross toolchain
# sets it); off Debian, or without a triplet, CPack's own guess stands.
find_program(KT_DPKG_ARCHITECTURE dpkg-architecture)
if(CMAKE_LIBRARY_ARCHITECTURE AND KT_DPKG_ARCHITECTURE AND NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    execute_process(
        COMMAND ${KT_DPKG_ARCHITECTURE} --host-type ${CMAKE_LIBRARY_ARCHITECTURE}
                --query DEB_HOST_ARCH
        OUTPUT_VARIABLE architecture OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
        RESULT_VARIABLE failed)
    if(NOT failed AND architecture)
        set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${architecture})
    endif()
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# No Homepage: the project has no web address of its own, and a made-up one would be a link that
# whoever registers it could fill.
# CPack puts the summary first and indents these lines itself; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelvane animates an expansion: 151 coloured points and a growing ring spread
out from a centre, one step every 0.3 seconds, with the parameters set in a
control window.

Tessaly times the plain double recursion of a Fibonacci number over a number
of cycles, and cancels a run promptly even deep inside the recursion.")
# The libraries come from dpkg-shlibdeps, giflib's libgif7 for Kelvane's animation among them,
# with the version the build linked; the window system plug-ins are only recommended by Qt, yet
# without them no window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The Wayland plug-in is recommended, not depended on: apt installs what is recommended unless told
# not to, so a desktop gets it, and Tessaly runs natively on Wayland. Without it both programs
# still run wherever an X server answers, on X11 and on a Wayland desktop through XWayland, as
# Debian's desktops start it; only a Wayland session without XWayland needs it, which is the
# unusual installation that a recommendation leaves to its owner. A dependency would put the
# Wayland client libraries on every X11-only machine that can never use them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-liberation | fonts-dejavu-extra")

# CPack strips the programs but leaves the compiler's notes (.comment), which a Debian package
# does not carry either.
include(GNUInstallDirs)
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program kelvane tessaly)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

include(CPack)
