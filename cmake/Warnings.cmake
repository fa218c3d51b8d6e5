# SPDX-License-Identifier: MIT
# Warnings are set per target so third-party code never inherits them.
function(kelvora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Woverloaded-virtual -Wcast-align -Wformat=2)
endfunction()
