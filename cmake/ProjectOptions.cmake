# Compiler settings shared by every target of our own code.

option(OSTREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

function(ostrel_configure_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(OSTREL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

if(WIN32)
  # One self-contained .exe: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
endif()
