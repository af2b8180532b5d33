# SPDX-License-Identifier: GPL-3.0-or-later
# Every target of the project links kelvora_warnings, so the flags live in one place.
add_library(kelvora_warnings INTERFACE)
target_compile_options(kelvora_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wshadow -Wnon-virtual-dtor
  -Woverloaded-virtual -Wcast-align -Wnull-dereference -Wimplicit-fallthrough)
if(KELVORA_WERROR)
  target_compile_options(kelvora_warnings INTERFACE -Werror)
endif()
if(KELVORA_SANITIZE)
  target_compile_options(kelvora_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                         -fno-sanitize-recover=undefined)
  target_link_options(kelvora_warnings INTERFACE -fsanitize=address,undefined)
endif()
