# Run by "cmake --install build --prefix DIR --component bundle" after the
# programs are in DIR: copies in the Qt plugins and every library they and
# the programs need that a desktop does not bring itself, and points every
# binary at the folder's own lib/ through $ORIGIN-relative run paths.
#
# Set by the install rule: BUNDLE_DIR (the installed folder), BUNDLE_PLUGINS
# (a list of "subfolder=plugin file"), BUNDLE_PATCHELF.

# The libraries every desktop has, which stay outside: the C and C++
# run-times, the X11 client libraries with the core xcb protocol libraries,
# OpenGL, fontconfig and freetype with what they stand on, D-Bus and GLib.
# A copy of these would fight the system's own (the OpenGL driver, the
# session's D-Bus) or only repeat it.
set(outside_patterns
  "^ld-linux" "^libc\\.so" "^libm\\.so" "^libdl\\.so" "^libpthread\\.so" "^librt\\.so"
  "^libresolv\\.so" "^libutil\\.so" "^libgcc_s\\.so" "^libstdc\\+\\+\\.so"
  "^libX[A-Za-z0-9]*\\.so" "^libX11-xcb\\.so" "^libICE\\.so" "^libSM\\.so" "^libuuid\\.so"
  "^libxcb(-(randr|render|shape|shm|sync|xfixes|xinerama|xkb|xinput|glx|present|dri2|dri3|composite|damage|dpms|record|res|screensaver|xtest|xv|xvmc))?\\.so"
  "^libGL" "^libEGL" "^libOpenGL" "^libGLX" "^libGLdispatch" "^libdrm" "^libgbm"
  "^libfontconfig" "^libfreetype" "^libexpat" "^libz\\.so" "^libpng16" "^libbrotli" "^libbz2"
  "^libdbus-1" "^libglib-2" "^libgthread-2" "^libgobject-2" "^libpcre2-8" "^libffi"
  "^libsystemd" "^libcap\\.so" "^liblzma" "^libzstd" "^liblz4" "^libgcrypt" "^libgpg-error"
  "^libbsd" "^libmd\\.so")

set(lib_dir "${BUNDLE_DIR}/lib")
file(MAKE_DIRECTORY "${lib_dir}")

set(executables "${BUNDLE_DIR}/register" "${BUNDLE_DIR}/schedule")
if(EXISTS "${BUNDLE_DIR}/register-config")
  list(APPEND executables "${BUNDLE_DIR}/register-config")
endif()
set(modules "${BUNDLE_DIR}/register-services.so")
foreach(entry IN LISTS BUNDLE_PLUGINS)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 sub)
  list(GET parts 1 plugin)
  get_filename_component(name "${plugin}" NAME)
  file(MAKE_DIRECTORY "${BUNDLE_DIR}/plugins/${sub}")
  file(COPY_FILE "${plugin}" "${BUNDLE_DIR}/plugins/${sub}/${name}")
  list(APPEND modules "${BUNDLE_DIR}/plugins/${sub}/${name}")
endforeach()

file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${executables}
  MODULES ${modules}
  RESOLVED_DEPENDENCIES_VAR resolved
  UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
  message(FATAL_ERROR "bundle: libraries not found on this machine: ${unresolved}")
endif()

set(inside "")
foreach(library IN LISTS resolved)
  get_filename_component(name "${library}" NAME)
  set(keep_outside FALSE)
  foreach(pattern IN LISTS outside_patterns)
    if(name MATCHES "${pattern}")
      set(keep_outside TRUE)
      break()
    endif()
  endforeach()
  if(keep_outside)
    continue()
  endif()
  # Under the name the binaries ask for (the soname link), as the file itself.
  file(REAL_PATH "${library}" real)
  file(COPY_FILE "${real}" "${lib_dir}/${name}")
  file(CHMOD "${lib_dir}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND inside "${name}")
endforeach()
list(SORT inside)

# Run paths: each binary finds its libraries in the folder, wherever the
# folder lies. A library in lib/ needs only its own folder; a plugin two
# levels down climbs back to it.
function(set_run_path file path)
  execute_process(COMMAND "${BUNDLE_PATCHELF}" --set-rpath "${path}" "${file}"
    RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "bundle: patchelf on ${file}: ${error}")
  endif()
endfunction()
foreach(program IN LISTS executables)
  set_run_path("${program}" "$ORIGIN/lib")
endforeach()
set_run_path("${BUNDLE_DIR}/register-services.so" "$ORIGIN/lib")
foreach(name IN LISTS inside)
  set_run_path("${lib_dir}/${name}" "$ORIGIN")
endforeach()
file(GLOB plugins "${BUNDLE_DIR}/plugins/*/*.so")
foreach(plugin IN LISTS plugins)
  set_run_path("${plugin}" "$ORIGIN/../../lib")
endforeach()

list(JOIN inside "\n" listing)
file(WRITE "${lib_dir}/LIBRARIES.txt"
  "The libraries this folder brings (every other one comes from the system):\n${listing}\n")
list(LENGTH inside count)
message(STATUS "bundle: ${count} libraries in ${lib_dir} (listed in LIBRARIES.txt)")
