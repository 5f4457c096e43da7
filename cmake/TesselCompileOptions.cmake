# Warnings and sanitizers for every target of the project.
# Shipped binaries target baseline x86-64 (SSE2); wider units are chosen at run time.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                    -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference
                    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
if(TESSEL_WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
endif()

if(TESSEL_SANITIZE)
  add_compile_options(-fsanitize=${TESSEL_SANITIZE} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${TESSEL_SANITIZE})
  if(TESSEL_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# Plug-in and libraries must resolve every symbol at link time.
set(TESSEL_NO_UNDEFINED_LINK_FLAG "-Wl,--no-undefined")
