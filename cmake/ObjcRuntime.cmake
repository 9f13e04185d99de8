# The GNU Objective-C runtime (libobjc from gcc 12) as the imported target objc::runtime.
# Its headers sit in gcc's private include directory next to gcc's own stddef.h,
# which clang must not see; so only the objc/ folder is exposed, through a link.
set(_gcc_dir /usr/lib/gcc/x86_64-linux-gnu/12)
find_path(OBJC_RUNTIME_HEADER_DIR objc/runtime.h PATHS ${_gcc_dir}/include NO_DEFAULT_PATH REQUIRED)
find_library(OBJC_RUNTIME_LIBRARY NAMES objc libobjc.so.4 PATHS ${_gcc_dir} /usr/lib/x86_64-linux-gnu REQUIRED)

set(_shim ${CMAKE_BINARY_DIR}/objc-include)
file(MAKE_DIRECTORY ${_shim})
file(CREATE_LINK ${OBJC_RUNTIME_HEADER_DIR}/objc ${_shim}/objc SYMBOLIC)

add_library(objc::runtime INTERFACE IMPORTED)
set_target_properties(objc::runtime PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${_shim}
  INTERFACE_LINK_LIBRARIES ${OBJC_RUNTIME_LIBRARY})
