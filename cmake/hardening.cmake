# The hardening a Debian package is built with: fortified functions, the
# stack protector, format checks, read-only relocations and immediate
# binding, taken from dpkg-buildflags with every hardening feature on (a
# fixed set where dpkg-buildflags is missing). Only these flags are kept;
# optimisation and debugging stay the build type's. The instrumented builds
# (sanitizers, fuzz targets) go without: their runtimes do the checking.
option(TLVX_HARDENING "Build with the distribution's hardening flags" ON)
if(TLVX_HARDENING AND NOT TLVX_INSTRUMENTED)
  set(tlvx_hardening_compile)
  set(tlvx_hardening_link)
  find_program(DPKG_BUILDFLAGS dpkg-buildflags)
  if(DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${DPKG_BUILDFLAGS} --get ${kind}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
      separate_arguments(flags UNIX_COMMAND "${flags}")
      foreach(flag IN LISTS flags)
        if(flag MATCHES "^-D_FORTIFY_SOURCE=|^-fstack-protector|^-fstack-clash-protection|^-fcf-protection|^-Wformat|^-Werror=format-security")
          list(APPEND tlvx_hardening_compile ${flag})
        elseif(flag MATCHES "^-Wl,-z,(relro|now)$")
          list(APPEND tlvx_hardening_link ${flag})
        endif()
      endforeach()
    endforeach()
  else()
    set(tlvx_hardening_compile -D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat
        -Werror=format-security)
    set(tlvx_hardening_link -Wl,-z,relro -Wl,-z,now)
  endif()
  # Fortified functions need the optimiser.
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    list(FILTER tlvx_hardening_compile EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
  endif()
  list(REMOVE_DUPLICATES tlvx_hardening_compile)
  list(REMOVE_DUPLICATES tlvx_hardening_link)
  add_compile_options(${tlvx_hardening_compile})
  add_link_options(${tlvx_hardening_link})
endif()
