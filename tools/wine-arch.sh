# Sourced: which Windows architecture Wine can run here. Wine runs 32-bit programs only where the
# Linux kernel runs 32-bit processes; some kernels are built without that (no IA32 emulation), and
# there the tests run a 64-bit build of the same sources while the 32-bit product is still built.
# There tools/setup.sh registers a user-mode emulator for i386 with binfmt_misc, so 32-bit programs
# run, but some 50 s slower at each start: the main suite stays on the 64-bit build, and only the
# product32 entry runs the shipped 32-bit exe.
#   zarvex_wine_arch  i686 or x86_64: the build the tests run
#   zarvex_run32      native, emulated or none: how 32-bit processes run here

# Whether an enabled binfmt_misc entry hands 32-bit x86 ELF programs to an emulator. The kernel
# asks binfmt_misc before its own ELF loader, so such an entry wins even over native support.
zarvex_i386_emulated() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] && [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
    # ELF, 32-bit class, at offset 0, e_machine EM_386.
    grep -qE '^offset 0$' "$entry" && grep -qE '^magic 7f454c4601[0-9a-f]{26}0300' "$entry" && return 0
  done
  return 1
}

if [ -z "${zarvex_wine_arch:-}" ] || [ -z "${zarvex_run32:-}" ]; then
  if zarvex_i386_emulated; then
    zarvex_run32=emulated
    zarvex_wine_arch=x86_64
  elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    zarvex_run32=native
    zarvex_wine_arch=i686
  else
    zarvex_run32=none
    zarvex_wine_arch=x86_64
  fi
  export zarvex_wine_arch zarvex_run32
fi
